#include "port/TcpDevice.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include "port/WinsockErrors.h"

namespace talvix {

namespace {

constexpr Millis longestLookup { 30'000 };

// Connection ends after these; other errors leave the socket usable.
bool endsConnection(int errnoValue)
{
    return errnoValue != EAGAIN && errnoValue != EINTR && errnoValue != ENOBUFS && errnoValue != ENOMEM;
}

struct Lookup {
    std::atomic<bool> done { false };
    bool found = false;
    sockaddr_storage address {};
    socklen_t length = 0;
};

// getaddrinfo blocks, so it runs on its own thread; the loop is served meanwhile. The thread
// owns its share of the result, so a lookup given up on can finish harmlessly.
std::optional<std::pair<sockaddr_storage, socklen_t>> lookUpHost(
    EventLoop& loop, const std::string& host, std::uint16_t port)
{
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, port] {
        addrinfo hints {};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* result = nullptr;
        if (::getaddrinfo(host.c_str(), nullptr, &hints, &result) == 0 && result) {
            std::memcpy(&lookup->address, result->ai_addr, result->ai_addrlen);
            lookup->length = result->ai_addrlen;
            if (lookup->address.ss_family == AF_INET6)
                reinterpret_cast<sockaddr_in6*>(&lookup->address)->sin6_port = htons(port);
            else
                reinterpret_cast<sockaddr_in*>(&lookup->address)->sin_port = htons(port);
            lookup->found = true;
            ::freeaddrinfo(result);
        }
        lookup->done = true;
    }).detach();
    if (!loop.serveUntil([&] { return lookup->done.load(); }, longestLookup) || !lookup->found)
        return std::nullopt;
    return std::make_pair(lookup->address, lookup->length);
}

} // namespace

TcpDevice::TcpDevice(EventLoop& loop, std::string address, std::string port)
    : loop_(loop)
    , calls_(loop)
    , address_(std::move(address))
    , port_(std::move(port))
{ }

TcpDevice::~TcpDevice()
{
    close();
}

std::uint16_t TcpDevice::resolvePort(const std::string& port)
{
    if (!port.empty() && port.find_first_not_of("0123456789") == std::string::npos) {
        if (port.size() > 5)
            return 0;
        const unsigned long number = std::stoul(port);
        return number <= 0xFFFF ? static_cast<std::uint16_t>(number) : 0;
    }
    const servent* service = ::getservbyname(port.c_str(), "tcp");
    return service ? ntohs(static_cast<std::uint16_t>(service->s_port)) : 0;
}

void TcpDevice::open()
{
    if (address_.empty())
        throw PortError(WSAEDESTADDRREQ, "Destination address required");
    const std::uint16_t port = resolvePort(port_);
    if (port == 0)
        throw PortError(9005, "Specified port is not valid");

    sockaddr_storage address {};
    socklen_t length = sizeof(sockaddr_in);
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    if (::inet_pton(AF_INET, address_.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(port);
    } else {
        const auto found = lookUpHost(loop_, address_, port);
        if (!found) {
            if (events().error)
                events().error(9007);
            throw PortError(-9007, "Cannot resolve destination address");
        }
        address = found->first;
        length = found->second;
    }

    fd_ = ::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        throw PortError(winsockError(errno), std::strerror(errno));
    // XModem waits for every one-byte answer: no coalescing delay.
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ended_ = false;
    readWatch_ = loop_.watchFd(fd_, FdEvent::Read, [this] {
        if (events().readable)
            events().readable();
    });
    readWatch_->setEnabled(false);
    writeWatch_ = loop_.watchFd(fd_, FdEvent::Write, [this] { onWritable(); });
    connecting_ = true;
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 && errno != EINPROGRESS) {
        // Reported on a later turn, like any connection attempt that fails.
        const int error = errno;
        writeWatch_->setEnabled(false);
        calls_.post([this, error] { failed(error); });
    }
}

void TcpDevice::onWritable()
{
    writeWatch_->setEnabled(false);
    if (connecting_) {
        int error = 0;
        socklen_t size = sizeof error;
        ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size);
        if (error == 0 && connectedToItself(fd_))
            error = ECONNREFUSED;
        if (error != 0) {
            failed(error);
            return;
        }
        connecting_ = false;
        readWatch_->setEnabled(reading_);
        if (events().connected)
            events().connected();
        return;
    }
    if (events().writable)
        events().writable();
}

bool TcpDevice::connectedToItself(int fd)
{
    sockaddr_storage local {};
    sockaddr_storage peer {};
    socklen_t localLength = sizeof local;
    socklen_t peerLength = sizeof peer;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength) != 0
        || ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0)
        return false;
    return localLength == peerLength && std::memcmp(&local, &peer, localLength) == 0;
}

void TcpDevice::close()
{
    calls_.cancelAll();
    readWatch_.reset();
    writeWatch_.reset();
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void TcpDevice::stopWatching()
{
    ended_ = true;
    if (readWatch_)
        readWatch_->setEnabled(false);
    if (writeWatch_)
        writeWatch_->setEnabled(false);
}

void TcpDevice::failed(int errnoValue)
{
    const int code = winsockError(errnoValue);
    if (!endsConnection(errnoValue)) {
        if (events().error)
            events().error(code);
        return;
    }
    stopWatching();
    if (events().lost)
        events().lost(code);
}

std::size_t TcpDevice::write(std::string_view bytes)
{
    if (fd_ < 0 || connecting_ || ended_)
        return 0;
    const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR)
            writeWatch_->setEnabled(true);
        else
            failed(errno);
        return 0;
    }
    if (static_cast<std::size_t>(n) < bytes.size())
        writeWatch_->setEnabled(true);
    return static_cast<std::size_t>(n);
}

std::size_t TcpDevice::read(char* buffer, std::size_t capacity)
{
    if (fd_ < 0 || connecting_ || ended_ || capacity == 0)
        return 0;
    const ssize_t n = ::recv(fd_, buffer, capacity, 0);
    if (n > 0)
        return static_cast<std::size_t>(n);
    if (n == 0) {
        stopWatching();
        if (events().lost)
            events().lost(0);
    } else if (errno != EAGAIN && errno != EINTR) {
        failed(errno);
    }
    return 0;
}

void TcpDevice::setReading(bool enabled)
{
    reading_ = enabled;
    if (readWatch_ && !connecting_ && !ended_)
        readWatch_->setEnabled(enabled);
}

std::size_t TcpDevice::pendingOutput() const
{
    int queued = 0;
    if (fd_ < 0 || connecting_ || ended_ || ::ioctl(fd_, SIOCOUTQ, &queued) != 0 || queued < 0)
        return 0;
    return static_cast<std::size_t>(queued);
}

} // namespace talvix
