#include "port/SerialLine.h"

namespace talvix {

namespace {

speed_t speedFor(int baud)
{
    struct Pair {
        int baud;
        speed_t speed;
    };
    static constexpr Pair table[] = {
        { 110, B110 },
        { 300, B300 },
        { 600, B600 },
        { 1200, B1200 },
        { 2400, B2400 },
        { 4800, B4800 },
        { 9600, B9600 },
        { 19200, B19200 },
        { 38400, B38400 },
        { 57600, B57600 },
        { 115200, B115200 },
        { 230400, B230400 },
        { 460800, B460800 },
        { 921600, B921600 },
    };
    for (const Pair& p : table) {
        if (p.baud == baud)
            return p.speed;
    }
    return B0;
}

tcflag_t sizeFor(std::uint16_t dataBits)
{
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

tcflag_t parityFor(TParity parity)
{
    switch (parity) {
    case TParity::pOdd:
        return PARENB | PARODD;
    case TParity::pEven:
        return PARENB;
    case TParity::pMark:
        return PARENB | CMSPAR | PARODD;
    case TParity::pSpace:
        return PARENB | CMSPAR;
    case TParity::pNone:
        break;
    }
    return 0;
}

} // namespace

bool setLineAttributes(termios& t, const LineSettings& line)
{
    const speed_t speed = speedFor(line.baud);
    if (speed == B0)
        return false;
    ::cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD | sizeFor(line.dataBits) | parityFor(line.parity);
    if (line.stopBits >= 2)
        t.c_cflag |= CSTOPB;
    if (line.hardwareFlow)
        t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (line.softwareFlow)
        t.c_iflag |= IXON | IXOFF;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    return true;
}

} // namespace talvix
