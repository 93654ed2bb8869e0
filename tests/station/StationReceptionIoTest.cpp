// The same reception over real lines on the programs' own loop: a pseudo-terminal opened as a
// serial port (the simulated terminal on the master side), and a TCP connection to a local server
// whose connection is served by a simulated terminal. The station's port comes from the
// programs' StandardPortBackends.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/ProfileFile.h"
#include "port/QtLoopFixture.h"
#include "port/StandardPortBackends.h"
#include "station/ReceptionRig.h"

using namespace talvix;
using namespace talvix::test;
using namespace std::chrono_literals;

namespace {

// Writes all of bytes to a descriptor whose other end reads them soon.
void writeAll(int fd, const std::string& bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
    }
}

// The terminal reads and writes fd, which the loop watches.
class TerminalOnFd {
public:
    TerminalOnFd(EventLoop& loop, sim::SimTerminal& terminal, int fd)
        : terminal_(terminal)
        , fd_(fd)
    {
        terminal_.setSend([fd](const std::string& bytes) { writeAll(fd, bytes); });
        watch_ = loop.watchFd(fd, FdEvent::Read, [this] {
            char buffer[4096];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n > 0)
                terminal_.onBytes(std::string_view(buffer, static_cast<std::size_t>(n)));
        });
    }
    ~TerminalOnFd() { terminal_.setSend({}); }

private:
    sim::SimTerminal& terminal_;
    int fd_;
    std::unique_ptr<FdWatch> watch_;
};

class StationReceptionIo : public QtLoopFixture {
protected:
    StationReceptionIo()
    {
        std::filesystem::create_directories(dataFolder);
        std::filesystem::create_directories(tempFolder);
        station.Settings.EditDataPath = dataFolder;
        station.Settings.AutoRecBox = true;
        // A quicker tick: the terminal is online after a third of a second, not two seconds.
        station.Timer1->setInterval(100ms);
        terminal.setData(TwoRecords);
    }

    void expectReceived()
    {
        station.Timer1->setEnabled(true);
        ASSERT_TRUE(loop.serveUntil([this] { return station.Mode == DataSaved; }, 10s)) << "mode " << int(station.Mode);
        EXPECT_EQ(ReadFile(dataFolder + "/Talvix.txt"), TwoRecordsStored);
        EXPECT_TRUE(FilesIn(tempFolder).empty());
        EXPECT_TRUE(loop.serveUntil([this] { return terminal.config().lock == sim::LockFlag::T1; }, 2s));
        EXPECT_EQ(terminal.recordCount(), 2);
    }

    TempDir folder;
    const std::string dataFolder = folder / "data";
    const std::string tempFolder = folder / "temp";
    TempFolderVariable temp { tempFolder };
    ProfileFile settings { folder / "Talvix5.ini" };
    sim::SimTerminal terminal { loop };
    ScriptedHost host { folder.path() };
    ScriptedDialogs dialogs;
    StandardPortBackends backends { loop, ComPortNames(&settings) };
    TMDIChild station { loop, host, dialogs, backends };
};

} // namespace

TEST_F(StationReceptionIo, OverAPseudoTerminal)
{
    int master = -1;
    int slave = -1;
    char slaveName[256];
    ASSERT_EQ(::openpty(&master, &slave, slaveName, nullptr, nullptr), 0);
    // The test keeps the slave open too, so nothing written is lost between the station's opens.
    termios raw {};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    settings.writeString("ComPorts", "COM7", slaveName);
    {
        TerminalOnFd onLine(loop, terminal, master);
        station.ComPort->SetComNumber(7);
        station.ComPort->SetOpen(true);
        station.SetMode(OffLine);
        expectReceived();
        station.ComPort->SetOpen(false);
    }
    ::close(master);
    ::close(slave);
}

TEST_F(StationReceptionIo, OverTcp)
{
    const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(server, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(server, 1), 0);
    ASSERT_EQ(::getsockname(server, reinterpret_cast<sockaddr*>(&address), &length), 0);

    int connection = -1;
    std::unique_ptr<TerminalOnFd> onLine;
    const auto accepting = loop.watchFd(server, FdEvent::Read, [&] {
        connection = ::accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0)
            onLine = std::make_unique<TerminalOnFd>(loop, terminal, connection);
    });
    station.ComPort->SetWsAddress("127.0.0.1");
    station.ComPort->SetWsPort(std::to_string(ntohs(address.sin_port)));
    station.ComPort->SetDeviceLayer(TDeviceLayer::dlWinsock);
    station.SetMode(WsDisconnect);
    station.ComPort->SetOpen(true);
    expectReceived();
    station.ComPort->SetOpen(false);
    onLine.reset();
    if (connection >= 0)
        ::close(connection);
    ::close(server);
}
