// The terminal's XModem sender against an independent receiver: rx of lrzsz on a
// pseudo-terminal.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include "platform/qt/QtLoop.h"
#include "sim/SimTerminal.h"
#include "support/TempDir.h"

using namespace talvix;
using namespace talvix::sim;
using namespace std::chrono_literals;

constexpr Millis turnaround { 3 };

namespace {

bool rxInstalled()
{
    return std::system("command -v rx >/dev/null 2>&1") == 0;
}

struct Pty {
    int master = -1;
    // Kept open by the test too: when rx closes the last slave descriptor at its exit, the
    // kernel would discard the ACK it has just written to EOT.
    int slave = -1;
    ~Pty()
    {
        ::close(master);
        ::close(slave);
    }
};

// Starts "rx -c" on the slave side of the pseudo-terminal, in folder.
pid_t startRx(const Pty& pty, const std::string& folder)
{
    const int master = pty.master;
    const int slave = pty.slave;
    termios raw {};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(slave, 0);
        ::dup2(slave, 1);
        const int devNull = ::open("/dev/null", O_WRONLY);
        ::dup2(devNull, 2);
        ::close(master);
        ::close(slave);
        if (::chdir(folder.c_str()) == 0)
            ::execlp("rx", "rx", "-c", "-b", "-q", "received.dat", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return child;
}

} // namespace

TEST(SimRxTest, LrzszRxReceivesTheDataMemoryIntact)
{
    if (!rxInstalled())
        GTEST_SKIP() << "rx (lrzsz) is not installed";
    static int argc = 1;
    static char name[] = "sim_rx_tests";
    static char* argv[] = { name, nullptr };
    QCoreApplication app(argc, argv);
    QtLoop loop;
    test::TempDir dir;

    SimTerminal terminal(loop);
    terminal.addRecords(400); // about 12 kB: some 95 blocks
    Pty pty;
    ASSERT_EQ(::openpty(&pty.master, &pty.slave, nullptr, nullptr, nullptr), 0);
    const int master = pty.master;
    const pid_t child = startRx(pty, dir.path());
    ASSERT_GT(child, 0);

    const auto writeAll = [master](const std::string& bytes) {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(master, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                return;
            done += static_cast<std::size_t>(n);
        }
    };
    // rx empties its input after each answer it writes; a block arriving in between is lost and
    // costs rx's ten-second time-out. A real line's turnaround keeps the block behind the flush.
    std::vector<std::unique_ptr<Timer>> inFlight;
    terminal.setSend([&](const std::string& bytes) {
        inFlight.push_back(loop.callLater(turnaround, [writeAll, bytes] { writeAll(bytes); }));
    });
    std::optional<TransferResult> result;
    terminal.setOnTransferEnd([&](TransferResult r) { result = r; });
    auto watch = loop.watchFd(master, FdEvent::Read, [&] {
        char buffer[512];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0)
            terminal.onBytes(std::string_view(buffer, static_cast<std::size_t>(n)));
    });
    terminal.onBytes("XD\r");

    int status = -1;
    const auto rxExited = [&] { return ::waitpid(child, &status, WNOHANG) == child; };
    if (!loop.serveUntil(rxExited, 30s)) {
        ::kill(child, SIGTERM);
        ::waitpid(child, &status, 0);
        FAIL() << "rx did not finish";
    }
    watch.reset();

    // rx flushes its line as it exits, which may discard the ACK it has just sent to EOT (seen
    // with strace); so the sender has either seen that ACK or is still waiting for it.
    EXPECT_TRUE(result == TransferResult::Completed || (!result && terminal.transferRunning()));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::string file = test::ReadFile(dir / "received.dat");
    const std::string& sent = terminal.data();
    ASSERT_GE(file.size(), sent.size());
    EXPECT_EQ(file.substr(0, sent.size()), sent);
    EXPECT_EQ(file.substr(sent.size()), std::string(file.size() - sent.size(), '\x1A'));
    EXPECT_LT(file.size(), sent.size() + 128);
}
