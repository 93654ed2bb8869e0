// The network layer against a TCP server on 127.0.0.1 run by the test.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "QtLoopFixture.h"
#include "port/StandardDevices.h"
#include "port/TcpDevice.h"

using namespace talvix;
using namespace talvix::test;
using namespace std::chrono_literals;

namespace {

class Server {
public:
    Server()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(listener_, 4);
        socklen_t len = sizeof a;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~Server()
    {
        dropClient();
        if (listener_ >= 0)
            ::close(listener_);
    }
    std::string port() const { return std::to_string(port_); }
    // A port on which nobody listens.
    void stopListening()
    {
        ::close(listener_);
        listener_ = -1;
    }
    bool accept()
    {
        client_ = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK);
        return client_ >= 0;
    }
    void send(const std::string& bytes) const { ::send(client_, bytes.data(), bytes.size(), 0); }
    std::string receive() const
    {
        char buffer[4096];
        const ssize_t n = ::recv(client_, buffer, sizeof buffer, 0);
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
    }
    void dropClient()
    {
        if (client_ >= 0)
            ::close(client_);
        client_ = -1;
    }
    void resetClient()
    {
        const linger abort { 1, 0 };
        ::setsockopt(client_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        dropClient();
    }

private:
    int listener_ = -1;
    int client_ = -1;
    std::uint16_t port_ = 0;
};

class TcpPort : public QtLoopFixture {
protected:
    TcpPort()
    {
        port.SetDeviceLayer(TDeviceLayer::dlWinsock);
        port.SetWsAddress("127.0.0.1");
        port.SetWsPort(server.port());
        port.SetOnTriggerAvail([this](std::uint16_t count) {
            for (std::uint16_t i = 0; i < count; ++i)
                received += port.GetChar();
        });
        port.SetOnWsConnect([this] { events.push_back("connect"); });
        port.SetOnWsDisconnect([this] { events.push_back("disconnect"); });
        port.SetOnWsError([this](int code) { events.push_back("error " + std::to_string(code)); });
    }

    int openCode()
    {
        try {
            port.SetOpen(true);
        } catch (const PortError& e) {
            return e.code();
        }
        return 0;
    }

    void connect()
    {
        ASSERT_EQ(openCode(), 0);
        ASSERT_TRUE(serveUntil([&] { return server.accept(); }));
        ASSERT_TRUE(serveUntil([&] { return !events.empty(); }));
        ASSERT_EQ(events, std::vector<std::string> { "connect" });
    }

    Server server;
    TWsComPort port { loop, standardPortDevices(loop, ComPortNames()) };
    std::string received;
    std::vector<std::string> events;
};

} // namespace

TEST_F(TcpPort, RawBytesGoBothWays)
{
    connect();
    // Telnet's IAC (255) and a NUL pass untouched in both directions.
    const std::string bytes("V\r\xFF\xFB\x01\0S\r", 8);
    port.PutString(bytes);
    std::string atServer;
    EXPECT_TRUE(serveUntil([&] { return (atServer += server.receive()).size() >= bytes.size(); }));
    EXPECT_EQ(atServer, bytes);
    server.send(bytes);
    EXPECT_TRUE(serveUntil([&] { return received.size() >= bytes.size(); }));
    EXPECT_EQ(received, bytes);
}

TEST_F(TcpPort, ARefusedConnectionLeavesThePortClosedWithoutDisconnect)
{
    server.stopListening();
    EXPECT_EQ(openCode(), 0);
    EXPECT_TRUE(serveUntil([&] { return !port.Open(); }));
    serveFor(50ms);
    EXPECT_EQ(events, std::vector<std::string> { "error 10061" });
}

TEST_F(TcpPort, AServerThatClosesDisconnectsOnceAndTheNextOpenReconnects)
{
    connect();
    server.dropClient();
    EXPECT_TRUE(serveUntil([&] { return !port.Open(); }));
    serveFor(50ms);
    EXPECT_EQ(events, (std::vector<std::string> { "connect", "disconnect" }));

    events.clear();
    connect();
    server.send("OK");
    EXPECT_TRUE(serveUntil([&] { return received == "OK"; }));
}

TEST_F(TcpPort, AResetRaisesTheErrorAndCloses)
{
    connect();
    server.resetClient();
    EXPECT_TRUE(serveUntil([&] { return !port.Open(); }));
    serveFor(50ms);
    EXPECT_EQ(events, (std::vector<std::string> { "connect", "error 10054", "disconnect" }));
}

TEST_F(TcpPort, AHostNameIsLookedUp)
{
    port.SetWsAddress("localhost");
    connect();
}

TEST_F(TcpPort, OpenFailures)
{
    struct Case {
        std::string address;
        std::string wsPort;
        int code;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        { "", "10001", 10039, {} },
        { "127.0.0.1", "0", 9005, {} },
        { "127.0.0.1", "no-such-service", 9005, {} },
        { "no-such-host.invalid", "10001", -9007, { "error 9007" } },
    };
    for (const Case& c : cases) {
        events.clear();
        port.SetWsAddress(c.address);
        port.SetWsPort(c.wsPort);
        EXPECT_EQ(openCode(), c.code) << c.address << ":" << c.wsPort;
        EXPECT_FALSE(port.Open());
        serveFor(20ms);
        EXPECT_EQ(events, c.events) << c.address << ":" << c.wsPort;
    }
}

TEST_F(TcpPort, ClosingAConnectedPortDisconnectsOnce)
{
    connect();
    port.SetOpen(false);
    serveFor(50ms);
    EXPECT_EQ(events, (std::vector<std::string> { "connect", "disconnect" }));
}

// A socket bound to a port and connected to that same port is its own peer, as a connection to
// a local port nobody listens on can become; a connection to a server is not.
TEST(TcpDeviceEndpoints, ASocketConnectedToItselfIsToldFromARealConnection)
{
    const auto connectFrom = [](std::uint16_t sourcePort, std::uint16_t targetPort) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(sourcePort);
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        a.sin_port = htons(targetPort != 0 ? targetPort : ntohs(a.sin_port));
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        return fd;
    };
    const int itself = connectFrom(0, 0);
    EXPECT_TRUE(TcpDevice::connectedToItself(itself));
    ::close(itself);

    Server server;
    const int client = connectFrom(0, static_cast<std::uint16_t>(std::stoi(server.port())));
    EXPECT_FALSE(TcpDevice::connectedToItself(client));
    ::close(client);
}
