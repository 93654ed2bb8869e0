// XModem throughput of our engine, for bench/xmodem_throughput.sh.
//
//   xmodem_throughput receive <tty> <file>   our receive on a serial device; prints bytes/s
//   xmodem_throughput send <tty> <file>      our send on a serial device; prints bytes/s
//   xmodem_throughput virtual <bytes/s> <file> our send to our receive over an in-memory line
//       of that speed, in virtual time (machine load plays no part); prints bytes/s
//   xmodem_throughput paced <bytes/s> <file> over a line paced to that speed, three transfers
//       of <file>: our receive (on TCP) from "sx", our send to "rx -c", and lrzsz against itself
//       (sx to rx -c) on the same line; prints bytes/s of each
//
// Rates count the file's bytes over the time from the start of the transfer to its finish.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "ChildProcess.h"
#include "platform/ProfileFile.h"
#include "platform/VirtualLoop.h"
#include "platform/qt/QtLoop.h"
#include "port/MemoryLink.h"
#include "port/StandardDevices.h"
#include "port/TXmProtocol.h"

using namespace talvix;
using Clock = std::chrono::steady_clock;

namespace {

constexpr Millis longestTransfer { 3'600'000 };

double rate(std::uintmax_t bytes, Clock::duration elapsed)
{
    return static_cast<double>(bytes) / std::chrono::duration<double>(elapsed).count();
}

// Runs one transfer of our engine on `port`; its finish code and the file's bytes per second
// (for a receive, of the file as received).
std::pair<int, double> runOurs(QtLoop& loop, TWsComPort& port, bool receive, const std::string& file)
{
    TXmProtocol engine(port);
    std::optional<int> code;
    engine.SetOnProtocolFinish([&](int c) { code = c; });
    const auto start = Clock::now();
    if (receive) {
        engine.SetFileName(file);
        engine.StartReceive();
    } else {
        engine.SetFileMask(file);
        engine.StartTransmit();
    }
    loop.serveUntil([&] { return code.has_value(); }, longestTransfer);
    const auto elapsed = Clock::now() - start;
    std::error_code ec;
    return { code.value_or(1), rate(std::filesystem::file_size(file, ec), elapsed) };
}

int onSerialDevice(QtLoop& loop, bool receive, const std::string& tty, const std::string& file)
{
    const std::string settingsPath
        = std::filesystem::temp_directory_path() / ("xmodem-bench-" + std::to_string(::getpid()) + ".ini");
    ProfileFile settings(settingsPath);
    settings.writeString("ComPorts", "COM1", tty);
    TWsComPort port(loop, standardPortDevices(loop, ComPortNames(&settings)));
    port.SetComNumber(1);
    port.SetBaud(115200);
    port.SetOutSize(1024);
    port.SetOpen(true);
    const auto [code, bytesPerSecond] = runOurs(loop, port, receive, file);
    std::filesystem::remove(settingsPath);
    if (code != 0) {
        std::fprintf(stderr, "transfer failed: %d\n", code);
        return 1;
    }
    std::printf("%.0f\n", bytesPerSecond);
    return 0;
}

// lrzsz with one end of a socket pair as its line.
struct Lrzsz {
    Lrzsz(const std::vector<std::string>& argv, const std::string& folder)
    {
        int pair[2];
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair);
        fd = pair[0];
        process = std::make_unique<test::ChildProcess>(argv, pair[1], folder);
        ::close(pair[1]);
    }
    ~Lrzsz() { ::close(fd); }
    int fd;
    std::unique_ptr<test::ChildProcess> process;
};

// A line of a given speed between two descriptors, on a thread of its own: every byte leaves
// when a real line would have finished sending it, timed to the microsecond (an event loop's
// millisecond timers would add up to a millisecond to each block and each answer). The relay
// itself may wake late; an answer is then timed from when the byte it answers was due, plus the
// time its end took to answer, so that the relay's own lateness is not counted against either end.
class PacedRelay {
public:
    PacedRelay(int a, int b, std::uint32_t bytesPerSecond)
        : byteTime_(std::chrono::nanoseconds(1'000'000'000LL / bytesPerSecond))
    {
        ::pipe2(stop_, O_CLOEXEC);
        lanes_[0].from = a;
        lanes_[0].to = b;
        lanes_[1].from = b;
        lanes_[1].to = a;
        thread_ = std::thread([this] { run(); });
    }
    ~PacedRelay()
    {
        [[maybe_unused]] auto n = ::write(stop_[1], "x", 1);
        thread_.join();
        ::close(stop_[0]);
        ::close(stop_[1]);
    }

private:
    struct Lane {
        int from;
        int to;
        std::deque<std::pair<Clock::time_point, char>> queue;
        Clock::time_point lineFree;
        Clock::duration deliveredLate {}; // of the last bytes this lane handed to its `to` end
        bool open = true;
    };

    void run()
    {
        ::prctl(PR_SET_TIMERSLACK, 1UL);
        for (;;) {
            const auto now = Clock::now();
            std::optional<Clock::time_point> next;
            for (Lane& lane : lanes_) {
                std::string due;
                Clock::time_point lastDue;
                while (!lane.queue.empty() && lane.queue.front().first <= now) {
                    due += lane.queue.front().second;
                    lastDue = lane.queue.front().first;
                    lane.queue.pop_front();
                }
                if (!due.empty()) [[maybe_unused]]
                    auto n = ::send(lane.to, due.data(), due.size(), MSG_NOSIGNAL);
                if (!lane.queue.empty() && (!next || lane.queue.front().first < *next))
                    next = lane.queue.front().first;
            }
            pollfd fds[3] = { { stop_[0], POLLIN, 0 }, { lanes_[0].open ? lanes_[0].from : -1, POLLIN, 0 },
                { lanes_[1].open ? lanes_[1].from : -1, POLLIN, 0 } };
            timespec wait {};
            if (next) {
                const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(*next - Clock::now()).count();
                wait.tv_sec = ns > 0 ? ns / 1'000'000'000 : 0;
                wait.tv_nsec = ns > 0 ? ns % 1'000'000'000 : 0;
            }
            if (::ppoll(fds, 3, next ? &wait : nullptr, nullptr) < 0 && errno != EINTR)
                return;
            if (fds[0].revents)
                return;
            for (int i = 0; i < 2; ++i) {
                if (fds[i + 1].revents)
                    take(lanes_[i], lanes_[1 - i]);
            }
        }
    }

    void take(Lane& lane, const Lane& other)
    {
        char buffer[4096];
        const ssize_t n = ::recv(lane.from, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n <= 0) {
            lane.open = n < 0 && errno == EAGAIN;
            return;
        }
        const auto now = Clock::now() - other.deliveredLate;
        for (ssize_t i = 0; i < n; ++i) {
            lane.lineFree = std::max(lane.lineFree, now) + byteTime_;
            lane.queue.emplace_back(lane.lineFree, buffer[i]);
        }
    }

    std::chrono::nanoseconds byteTime_;
    Lane lanes_[2];
    int stop_[2];
    std::thread thread_;
};

// A TCP port on 127.0.0.1 for our port to connect to; the connection's descriptor once made.
class Listener {
public:
    Listener()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd_, 1);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~Listener()
    {
        ::close(fd_);
        if (client_ >= 0)
            ::close(client_);
    }
    std::string port() const { return std::to_string(port_); }
    bool accept()
    {
        const int one = 1;
        client_ = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client_ >= 0)
            ::setsockopt(client_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        return client_ >= 0;
    }
    int client() const { return client_; }

private:
    int fd_ = -1;
    int client_ = -1;
    std::uint16_t port_ = 0;
};

int paced(QtLoop& loop, std::uint32_t bytesPerSecond, const std::string& file)
{
    const std::uintmax_t size = std::filesystem::file_size(file);
    const std::filesystem::path folder
        = std::filesystem::temp_directory_path() / ("xmodem-paced-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(file, folder / "source.bin", std::filesystem::copy_options::overwrite_existing);

    const auto ours = [&](bool receive, const std::vector<std::string>& argv) {
        Listener listener;
        TWsComPort port(loop, standardPortDevices(loop, ComPortNames()));
        port.SetDeviceLayer(TDeviceLayer::dlWinsock);
        port.SetWsAddress("127.0.0.1");
        port.SetWsPort(listener.port());
        port.SetOutSize(1024);
        port.SetOpen(true);
        loop.serveUntil([&] { return listener.accept(); }, Millis { 5000 });
        Lrzsz peer(argv, folder);
        PacedRelay line(listener.client(), peer.fd, bytesPerSecond);
        const auto [code, r]
            = runOurs(loop, port, receive, (folder / (receive ? "RECEIVED.TMP" : "source.bin")).string());
        return code == 0 ? r : 0.0;
    };
    const double ourReceive = ours(true, { "sx", "source.bin" });
    const double ourSend = ours(false, { "rx", "-c", "out.bin" });

    double theirs = 0;
    {
        Lrzsz receiver({ "rx", "-c", "theirs.bin" }, folder);
        const auto start = Clock::now();
        Lrzsz sender({ "sx", "source.bin" }, folder);
        PacedRelay line(receiver.fd, sender.fd, bytesPerSecond);
        loop.serveUntil([&] { return receiver.process->exited(); }, longestTransfer);
        theirs = receiver.process->exitCode() == 0 ? rate(size, Clock::now() - start) : 0.0;
    }
    std::filesystem::remove_all(folder);
    std::printf("%.0f %.0f %.0f\n", ourReceive, ourSend, theirs);
    return ourReceive > 0 && ourSend > 0 ? 0 : 1;
}

// Our sender at the terminal end of an in-memory line, our receiver at the station end.
int inVirtualTime(std::uint32_t bytesPerSecond, const std::string& file)
{
    VirtualLoop loop;
    MemoryLink link(loop, bytesPerSecond);
    TWsComPort station(loop, { [&](const TWsComPort&) { return link.makeStationEnd(); }, {} });
    TWsComPort terminal(loop, { [&](const TWsComPort&) { return link.makeTerminalEnd(); }, {} });
    for (TWsComPort* p : { &station, &terminal }) {
        p->SetComNumber(1);
        p->SetOutSize(1024);
        p->SetOpen(true);
    }
    TXmProtocol receiver(station);
    TXmProtocol sender(terminal);
    std::optional<int> received;
    std::optional<int> sent;
    receiver.SetOnProtocolFinish([&](int code) { received = code; });
    sender.SetOnProtocolFinish([&](int code) { sent = code; });
    const std::string target = file + ".received";
    receiver.SetFileName(target);
    sender.SetFileMask(file);
    const Millis start = loop.now();
    receiver.StartReceive();
    sender.StartTransmit();
    loop.serveUntil([&] { return received && sent; }, longestTransfer);
    const double seconds = std::chrono::duration<double>(loop.now() - start).count();
    std::filesystem::remove(target);
    if (received != 0 || sent != 0) {
        std::fprintf(stderr, "transfer failed\n");
        return 1;
    }
    std::printf("%.0f\n", static_cast<double>(std::filesystem::file_size(file)) / seconds);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s receive|send <tty> <file> | virtual|paced <bytes/s> <file>\n", argv[0]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    QtLoop loop;
    const std::string mode = argv[1];
    const std::string file = argv[3];
    if (mode == "paced")
        return paced(loop, static_cast<std::uint32_t>(std::stoul(argv[2])), file);
    if (mode == "virtual")
        return inVirtualTime(static_cast<std::uint32_t>(std::stoul(argv[2])), file);
    return onSerialDevice(loop, mode == "receive", argv[2], file);
}
