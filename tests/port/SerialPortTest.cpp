// The serial layer on pseudo-terminals: the test holds the master side, the port opens the slave
// by the path the settings file gives for its COM number.

#include <fcntl.h>
#include <grp.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "QtLoopFixture.h"
#include "platform/ProfileFile.h"
#include "platform/VirtualLoop.h"
#include "port/SerialDevice.h"
#include "port/StandardDevices.h"
#include "support/TempDir.h"

using namespace talvix;
using namespace talvix::test;
using namespace std::chrono_literals;

namespace {

struct Pty {
    int master = -1;
    std::string path;
    Pty()
    {
        int slave = -1;
        char name[256];
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        ::close(slave);
        path = name;
        ::fcntl(master, F_SETFL, O_NONBLOCK);
    }
    ~Pty() { hangUp(); }
    void hangUp()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    std::string readAll() const
    {
        std::string out;
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(master, buffer, sizeof buffer)) > 0)
            out.append(buffer, static_cast<std::size_t>(n));
        return out;
    }
    void write(const std::string& bytes) const
    {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // The line settings as the device holds them, seen through a second descriptor.
    termios attributes() const
    {
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios t {};
        ::tcgetattr(fd, &t);
        ::close(fd);
        return t;
    }
};

class SerialPort : public QtLoopFixture {
protected:
    SerialPort()
        : settings(dir / "Talvix5.ini")
    {
        settings.writeString("ComPorts", "COM7", pty.path);
        port.SetComNumber(7);
        port.SetOnTriggerAvail([this](std::uint16_t count) {
            for (std::uint16_t i = 0; i < count; ++i)
                received += port.GetChar();
        });
        port.SetOnWsError([this](int code) { errors.push_back(code); });
        port.SetOnWsDisconnect([this] { ++disconnects; });
    }

    int openCode(TWsComPort& p)
    {
        try {
            p.SetOpen(true);
        } catch (const PortError& e) {
            lastText = e.what();
            return e.code();
        }
        return 0;
    }

    TempDir dir;
    Pty pty;
    ProfileFile settings;
    ComPortNames names { &settings };
    TWsComPort port { loop, standardPortDevices(loop, names) };
    std::string received;
    std::vector<int> errors;
    int disconnects = 0;
    std::string lastText;
};

} // namespace

TEST_F(SerialPort, BytesGoBothWays)
{
    ASSERT_EQ(openCode(port), 0);
    port.PutString("V\rS\r\x11");
    std::string atTerminal;
    EXPECT_TRUE(serveUntil([&] { return (atTerminal += pty.readAll()).size() >= 5; }));
    EXPECT_EQ(atTerminal, "V\rS\r\x11");
    pty.write("S/N:1234\r\xFC");
    EXPECT_TRUE(serveUntil([&] { return received.size() >= 10; }));
    EXPECT_EQ(received, "S/N:1234\r\xFC");
}

// A pty keeps only part of the flags (it forces 8 bits without parity); the flags themselves are
// checked in SerialLineTest.
TEST_F(SerialPort, LineSettingsAreAppliedAtOpenAndWhileOpen)
{
    struct Case {
        int baud;
        TParity parity;
        std::uint16_t stopBits;
        speed_t speed;
        tcflag_t kept;
    };
    const Case cases[] = {
        { 9600, TParity::pNone, 1, B9600, 0 },
        { 38400, TParity::pOdd, 2, B38400, PARODD },
        { 115200, TParity::pMark, 1, B115200, PARODD | CMSPAR },
        { 57600, TParity::pSpace, 2, B57600, CMSPAR },
    };
    for (bool whileOpen : { false, true }) {
        for (const Case& c : cases) {
            if (!whileOpen)
                port.SetOpen(false);
            port.SetBaud(c.baud);
            port.SetParity(c.parity);
            port.SetStopBits(c.stopBits);
            ASSERT_EQ(openCode(port), 0);
            const termios t = pty.attributes();
            EXPECT_EQ(::cfgetospeed(&t), c.speed) << c.baud;
            EXPECT_EQ(t.c_cflag & (PARODD | CMSPAR), c.kept) << c.baud;
            EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.stopBits == 2) << c.baud;
            EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u) << "raw mode";
            EXPECT_EQ(t.c_oflag & OPOST, 0u) << "raw mode";
        }
    }
}

TEST_F(SerialPort, ABaudRateWithoutASpeedFailsTheOpen)
{
    port.SetBaud(12345);
    EXPECT_EQ(openCode(port), -2001);
    EXPECT_FALSE(port.Open());
}

TEST_F(SerialPort, APseudoTerminalWithoutModemLinesStillOpens)
{
    // The premise: a pty refuses DTR.
    const int fd = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    int bits = TIOCM_DTR;
    ASSERT_NE(::ioctl(fd, TIOCMBIS, &bits), 0);
    ::close(fd);

    ASSERT_EQ(openCode(port), 0);
    port.SetDTR(false);
    port.SetRTS(false);
    port.SetDTR(true);
    EXPECT_TRUE(port.Open());
    EXPECT_TRUE(errors.empty());
}

TEST_F(SerialPort, APortIsHeldExclusively)
{
    TWsComPort second(loop, standardPortDevices(loop, names));
    second.SetComNumber(7);
    ASSERT_EQ(openCode(port), 0);
    EXPECT_EQ(openCode(second), -2008);
    EXPECT_EQ(lastText, "ie_Open - device already open");
    EXPECT_EQ(SerialDevice::probe(pty.path), SerialDevice::Presence::Busy);
    port.SetOpen(false);
    EXPECT_EQ(openCode(second), 0);
}

TEST_F(SerialPort, DevicesThatAreNoPorts)
{
    WriteFile(dir / "plain", "not a tty");
    const std::string cases[] = { dir / "missing", dir / "plain" };
    for (const std::string& path : cases) {
        settings.writeString("ComPorts", "COM7", path);
        EXPECT_EQ(openCode(port), -2001) << path;
        EXPECT_EQ(lastText, "ie_BadId - Specified comport doesn't exist") << path;
        EXPECT_FALSE(port.Open());
        EXPECT_EQ(SerialDevice::probe(path), SerialDevice::Presence::Missing);
    }
}

TEST_F(SerialPort, PermissionDeniedNamesTheGroupToJoin)
{
    // Tried by a user without rights on the device: this one, or "nobody" when the test is root.
    ASSERT_EQ(::chmod(pty.path.c_str(), ::geteuid() == 0 ? 0600 : 0), 0);
    int result[2];
    ASSERT_EQ(::pipe(result), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        std::string text = "opened";
        if (::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0)) {
            VirtualLoop childLoop;
            SerialDevice device(childLoop, pty.path, {}, true, true);
            try {
                device.open();
            } catch (const PortError& e) {
                text = std::to_string(e.code()) + " " + e.what();
            }
        }
        [[maybe_unused]] const auto written = ::write(result[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(result[1]);
    std::string text;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(result[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(result[0]);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(text.starts_with("-2001 ")) << text;
    struct stat st { };
    ::stat(pty.path.c_str(), &st);
    const std::string group = ::getgrgid(st.st_gid)->gr_name; // "tty" or "dialout" on most systems
    EXPECT_NE(text.find("the user must be in group \"" + group + "\""), std::string::npos) << text;
}

TEST_F(SerialPort, ADeviceThatDisappearsClosesThePortOnceWithoutSpinning)
{
    ASSERT_EQ(openCode(port), 0);
    pty.hangUp();
    EXPECT_TRUE(serveUntil([&] { return !port.Open(); }));
    serveFor(100ms);
    EXPECT_EQ(errors, std::vector<int> { -2001 });
    EXPECT_EQ(disconnects, 0);
}

TEST_F(SerialPort, TheSelectPortListHoldsPortsThatOpenOrAreHeld)
{
    Pty other;
    settings.writeString("ComPorts", "COM3", other.path);
    settings.writeString("ComPorts", "COM9", dir / "missing");
    ASSERT_EQ(openCode(port), 0);
    const auto ports = standardPortDevices(loop, names).listComPorts();
    EXPECT_NE(std::find(ports.begin(), ports.end(), 3), ports.end());
    EXPECT_NE(std::find(ports.begin(), ports.end(), 7), ports.end()) << "held by this port, still listed";
    EXPECT_EQ(std::find(ports.begin(), ports.end(), 9), ports.end());
}
