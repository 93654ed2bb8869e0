#pragma once
// An in-memory duplex line on one EventLoop, between a station end (a ByteDevice for a port) and
// a terminal side driven by a test, the simulator or a benchmark.
//
// Bytes never cross inside the call that wrote them: unpaced they arrive on the next turn of the
// loop, paced (bytes per second > 0) each byte arrives when a real line of that speed would have
// finished it. The line keeps its own clock in microseconds; whoever answers inside a delivery
// answers at the exact arrival time of what it was given, so millisecond timers of the loop do
// not slow a paced line down. Opening a new station end cuts off the one before.

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/EventLoop.h"
#include "port/ByteDevice.h"

namespace talvix {

class MemoryLinkCore;

class MemoryLink {
public:
    explicit MemoryLink(EventLoop& loop, std::uint32_t bytesPerSecond = 0);
    ~MemoryLink();
    MemoryLink(const MemoryLink&) = delete;
    MemoryLink& operator=(const MemoryLink&) = delete;

    // A new, closed station end. Its open() connects it (and reports `connected`).
    std::unique_ptr<ByteDevice> makeStationEnd();
    bool stationConnected() const;

    // The terminal side as a device, for a port at that end (our sender against our receiver);
    // it takes the place of any receiver set below while open.
    std::unique_ptr<ByteDevice> makeTerminalEnd();

    // The terminal side.
    void write(std::string_view bytes);
    void setReceiver(std::function<void(std::string_view)> receiver);
    // Hangs up: the connected station end reports itself lost, with code (0 for an orderly end,
    // or an error such as 10054 for a reset), once the bytes on their way to it have arrived.
    void disconnect(int code = 0);

    // Bytes still travelling towards the terminal.
    std::size_t pendingToTerminal() const;

private:
    std::shared_ptr<MemoryLinkCore> core_;
};

} // namespace talvix
