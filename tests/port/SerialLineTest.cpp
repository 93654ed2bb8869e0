#include <gtest/gtest.h>

#include "port/SerialLine.h"

using namespace talvix;

TEST(SerialLineTest, SettingsBecomeTermiosFlags)
{
    struct Case {
        LineSettings line;
        speed_t speed;
        tcflag_t cflags; // of CSIZE, PARENB, PARODD, CMSPAR, CSTOPB, CRTSCTS
        tcflag_t iflags; // of IXON, IXOFF
    };
    const Case cases[] = {
        { { 9600, 8, 1, TParity::pNone, false, false }, B9600, CS8, 0 },
        { { 19200, 7, 1, TParity::pEven, false, false }, B19200, CS7 | PARENB, 0 },
        { { 38400, 7, 2, TParity::pOdd, false, false }, B38400, CS7 | PARENB | PARODD | CSTOPB, 0 },
        { { 115200, 8, 1, TParity::pMark, false, false }, B115200, CS8 | PARENB | PARODD | CMSPAR, 0 },
        { { 57600, 8, 1, TParity::pSpace, false, false }, B57600, CS8 | PARENB | CMSPAR, 0 },
        { { 9600, 5, 1, TParity::pNone, true, false }, B9600, CS5 | CRTSCTS, 0 },
        { { 9600, 6, 1, TParity::pNone, false, true }, B9600, CS6, IXON | IXOFF },
    };
    for (const Case& c : cases) {
        termios t {};
        t.c_cflag = PARENB | CSTOPB | CRTSCTS; // left over from an earlier user of the device
        t.c_iflag = IXON | ICRNL;
        t.c_lflag = ICANON | ECHO;
        t.c_oflag = OPOST;
        ASSERT_TRUE(setLineAttributes(t, c.line)) << c.line.baud;
        EXPECT_EQ(::cfgetospeed(&t), c.speed);
        EXPECT_EQ(::cfgetispeed(&t), c.speed);
        EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS), c.cflags) << c.line.baud;
        EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t { CLOCAL | CREAD });
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), c.iflags);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
    }
}

TEST(SerialLineTest, ARateWithoutASpeedIsRefused)
{
    termios t {};
    t.c_cflag = CS7;
    EXPECT_FALSE(setLineAttributes(t, { 12345, 8, 1, TParity::pNone, false, false }));
    EXPECT_EQ(t.c_cflag, tcflag_t { CS7 });
}
