#pragma once
// A TCP client carrying raw bytes (no Telnet processing, ever), non-blocking on the EventLoop.
//
// open() checks the address and port, then starts the connection and returns; `connected` or
// an error follows. A dotted IPv4 address is used directly; a host name is looked up on a worker
// thread while open() serves the loop, so the loop never stands still. Socket errors are reported
// with their Winsock numbers; after an error that ends the connection, and after the other side
// has closed, the descriptor is no longer watched. An error that ends the connection (or the
// attempt to make it) reports the device lost with that error; other errors only report it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/EventLoop.h"
#include "port/ByteDevice.h"
#include "port/DeferredCalls.h"

namespace talvix {

class TcpDevice final : public ByteDevice {
public:
    TcpDevice(EventLoop& loop, std::string address, std::string port);
    ~TcpDevice() override;

    // Throws PortError: 10039 (empty address), 9005 (port 0), -9007 (host unknown; reported as
    // error 9007 first).
    void open() override;
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }
    std::size_t write(std::string_view bytes) override;
    std::size_t read(char* buffer, std::size_t capacity) override;
    void setReading(bool enabled) override;
    std::size_t pendingOutput() const override;

    // A decimal port number, or a TCP service name; 0 when neither gives a port.
    static std::uint16_t resolvePort(const std::string& port);
    // Whether the connected socket fd is its own peer. Connecting to a local port nobody listens
    // on can pick that very port as the source and connect the socket to itself (simultaneous
    // open); such a connection counts as refused, or the station would poll its own echo.
    static bool connectedToItself(int fd);

private:
    void onWritable();
    void failed(int errnoValue);
    void stopWatching();

    EventLoop& loop_;
    DeferredCalls calls_;
    std::string address_;
    std::string port_;
    int fd_ = -1;
    bool connecting_ = false;
    bool ended_ = false;
    bool reading_ = true;
    std::unique_ptr<FdWatch> readWatch_;
    std::unique_ptr<FdWatch> writeWatch_;
};

} // namespace talvix
