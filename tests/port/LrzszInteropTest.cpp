// Our XModem against lrzsz as an independent peer: our receive against "sx", our send against
// "rx -c", over a pseudo-terminal and over TCP, each with socat in front of lrzsz (a pty socat
// creates, or a local TCP port socat listens on). lrzsz talks to socat's socket, not to a pty
// master: rx flushes its line on exit, which on a pty master throws away its own last ACK.
//
// lrzsz waits a second after each EOT, so all transfers of a test run at the same time, each on
// its own port, and the test takes as long as the slowest of them.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <random>

#include "ChildProcess.h"
#include "QtLoopFixture.h"
#include "platform/ProfileFile.h"
#include "port/StandardDevices.h"
#include "port/TXmProtocol.h"
#include "port/XmBlock.h"
#include "support/TempDir.h"

using namespace talvix;
using namespace talvix::test;
using namespace std::chrono_literals;

namespace {

enum class Line { Pty, Tcp };

std::string randomBytes(std::size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

std::string filledToBlocks(std::string data)
{
    data.resize((data.size() + 127) / 128 * 128, xmodem::SUB);
    return data;
}

std::uint16_t freeTcpPort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
}

const std::size_t sizes[] = { 0, 1, 127, 128, 129, 1000, 1 << 20 };

// One transfer: its own folder, COM number or TCP port, port, engine and peer.
struct Session {
    Line line;
    std::size_t size;
    std::string folder;
    std::string data;
    std::unique_ptr<TWsComPort> port;
    std::unique_ptr<TXmProtocol> engine;
    std::unique_ptr<ChildProcess> peer;
    std::optional<int> code;
    bool connected = false;

    std::string name() const { return (line == Line::Pty ? "pty " : "tcp ") + std::to_string(size); }
};

class LrzszInterop : public QtLoopFixture {
protected:
    // Starts a session for every line and size, with lrzsz run as `peer` in the session's
    // folder, opens each port to it and starts its transfer at once.
    void startSessions(const std::vector<std::string>& peer, const std::function<void(Session&)>& startTransfer)
    {
        std::string command;
        for (const std::string& a : peer)
            command += (command.empty() ? "" : " ") + a;
        std::uint16_t comNumber = 1;
        for (Line line : { Line::Pty, Line::Tcp }) {
            for (std::size_t size : sizes) {
                auto s = std::make_unique<Session>();
                s->line = line;
                s->size = size;
                s->folder = dir / std::to_string(comNumber);
                s->data = randomBytes(size, comNumber);
                WriteFile(s->folder + "/source.bin", s->data);
                s->port = std::make_unique<TWsComPort>(loop, standardPortDevices(loop, names));
                s->port->SetOutSize(1024);
                s->port->SetOnWsConnect([s = s.get()] { s->connected = true; });
                s->engine = std::make_unique<TXmProtocol>(*s->port);
                s->engine->SetOnProtocolFinish([s = s.get()](int code) { s->code = code; });
                const std::string tty = s->folder + "/tty";
                const std::uint16_t tcpPort = freeTcpPort();
                const std::string near = line == Line::Pty
                    ? "PTY,link=" + tty + ",raw,echo=0,wait-slave,pty-interval=0.01"
                    : "TCP-LISTEN:" + std::to_string(tcpPort) + ",bind=127.0.0.1,reuseaddr";
                s->peer = std::make_unique<ChildProcess>(
                    std::vector<std::string> { "socat", near, "EXEC:" + command }, -1, s->folder);
                if (line == Line::Pty) {
                    settings.writeString("ComPorts", "COM" + std::to_string(comNumber), tty);
                    s->port->SetComNumber(comNumber);
                    EXPECT_TRUE(serveUntil([&] { return std::filesystem::exists(tty); }));
                    s->port->SetOpen(true);
                } else {
                    s->port->SetDeviceLayer(TDeviceLayer::dlWinsock);
                    s->port->SetWsAddress("127.0.0.1");
                    s->port->SetWsPort(std::to_string(tcpPort));
                    connect(*s);
                }
                startTransfer(*s);
                sessions.push_back(std::move(s));
                ++comNumber;
            }
        }
    }

    // socat needs a moment to listen; until then the connection is refused.
    void connect(Session& s)
    {
        for (int attempt = 0; attempt < 200 && !s.connected; ++attempt) {
            if (!s.port->Open())
                s.port->SetOpen(true);
            serveUntil([&] { return s.connected || !s.port->Open(); }, 1000ms);
            if (!s.connected)
                serveFor(10ms);
        }
        EXPECT_TRUE(s.connected) << s.name();
    }

    void waitForAll()
    {
        EXPECT_TRUE(serveUntil(
            [&] {
                return std::all_of(sessions.begin(), sessions.end(),
                    [](const auto& s) { return s->code.has_value() && s->peer->exited(); });
            },
            120'000ms));
    }

    TempDir dir;
    ProfileFile settings { dir / "Talvix5.ini" };
    ComPortNames names { &settings };
    std::vector<std::unique_ptr<Session>> sessions;
};

} // namespace

TEST_F(LrzszInterop, OurReceiveFromSx)
{
    startSessions({ "sx", "source.bin" }, [](Session& s) {
        s.engine->SetFileName(s.folder + "/RECEIVED.TMP");
        s.engine->StartReceive();
    });
    waitForAll();
    for (const auto& s : sessions) {
        EXPECT_EQ(s->code, 0) << s->name();
        EXPECT_TRUE(ReadFile(s->folder + "/RECEIVED.TMP") == filledToBlocks(s->data)) << s->name();
        EXPECT_EQ(s->engine->BytesTransferred(), static_cast<int>(filledToBlocks(s->data).size())) << s->name();
    }
}

TEST_F(LrzszInterop, OurSendToRx)
{
    startSessions({ "rx", "-c", "out.bin" }, [](Session& s) {
        s.engine->SetFileMask(s.folder + "/source.bin");
        s.engine->StartTransmit();
    });
    waitForAll();
    for (const auto& s : sessions) {
        EXPECT_EQ(s->code, 0) << s->name();
        EXPECT_TRUE(ReadFile(s->folder + "/out.bin") == filledToBlocks(s->data)) << s->name();
        EXPECT_EQ(s->engine->BytesTransferred(), static_cast<int>(s->size)) << s->name();
    }
}
