#pragma once
// The byte transport under a serial/network port. Each transport is one implementation in a file
// of its own: SerialDevice (a tty), TcpDevice (a TCP client), and the station end of MemoryLink.
//
// A device lives on the loop thread. It moves bytes without blocking: write() takes what fits now
// and returns the count (the rest is offered again after `writable`), read() returns what has
// arrived. Its events run on the loop thread, possibly from inside read() or write(); a handler
// must not destroy the device from there (the port defers its close through the loop).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "port/PortTypes.h"

namespace talvix {

struct LineSettings {
    int baud = 19200;
    std::uint16_t dataBits = 8;
    std::uint16_t stopBits = 1;
    TParity parity = TParity::pNone;
    bool hardwareFlow = false;
    bool softwareFlow = false;
};

class ByteDevice {
public:
    struct Events {
        // Bytes are waiting to be read.
        std::function<void()> readable;
        // A write that took less than it was offered may be tried again.
        std::function<void()> writable;
        // A connecting device (TCP) has its connection.
        std::function<void()> connected;
        // An error with its Winsock number (or a port code); the device may stay usable.
        std::function<void(int code)> error;
        // The device has ended for good (remote close, device removed) and has stopped watching.
        // code is what the station should be told, 0 for an orderly end by the other side.
        std::function<void(int code)> lost;
    };

    virtual ~ByteDevice() = default;

    void setEvents(Events events) { events_ = std::move(events); }

    // Opens the device, or starts connecting; throws PortError when that fails at once.
    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual std::size_t write(std::string_view bytes) = 0;
    virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
    // Stops (false) or resumes watching for input, so that a full input buffer leaves the bytes
    // with the device instead of spinning on them.
    virtual void setReading(bool enabled) = 0;
    // Bytes accepted by write() that are still on their way out.
    virtual std::size_t pendingOutput() const { return 0; }
    // Drops what pendingOutput() counts, where the transport can take it back.
    virtual void discardOutput() { }

    // Line settings and modem lines mean something only on a serial line.
    virtual void setLineSettings(const LineSettings&) { }
    virtual void setModemLines(bool /*dtr*/, bool /*rts*/) { }

protected:
    const Events& events() const { return events_; }

private:
    Events events_;
};

} // namespace talvix
