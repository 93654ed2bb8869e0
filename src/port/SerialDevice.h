#pragma once
// A serial line on a tty device (POSIX termios), non-blocking and watched on the EventLoop.
//
// The device is taken exclusively: TIOCEXCL keeps other opens out, and an flock() keeps out the
// programs that TIOCEXCL does not stop (root, a second open of our own). It runs raw, without
// flow control unless asked. Modem-line requests a device cannot carry out (pseudo-terminals have
// no DTR) are ignored. A device that disappears (read gives EIO or end of file) stops being
// watched at once and reports itself lost with -2001; it never spins on its dead descriptor.

#include <memory>
#include <string>

#include "platform/EventLoop.h"
#include "port/ByteDevice.h"

namespace talvix {

class SerialDevice final : public ByteDevice {
public:
    enum class Presence { Available, Busy, Missing };

    SerialDevice(EventLoop& loop, std::string path, LineSettings line, bool dtr, bool rts);
    ~SerialDevice() override;

    // Throws PortError: -2001 (no such device, not a tty, permission denied, bad settings),
    // -2008 (held by another program).
    void open() override;
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }
    std::size_t write(std::string_view bytes) override;
    std::size_t read(char* buffer, std::size_t capacity) override;
    void setReading(bool enabled) override;
    std::size_t pendingOutput() const override;
    void discardOutput() override;
    void setLineSettings(const LineSettings& line) override;
    void setModemLines(bool dtr, bool rts) override;

    // Whether a port could be offered in a port list: it opens, or another program holds it.
    static Presence probe(const std::string& path);

private:
    void gone();
    bool applyLine(const LineSettings& line);

    EventLoop& loop_;
    std::string path_;
    LineSettings line_;
    bool dtr_;
    bool rts_;
    int fd_ = -1;
    bool gone_ = false;
    bool reading_ = true;
    std::unique_ptr<FdWatch> readWatch_;
    std::unique_ptr<FdWatch> writeWatch_;
};

} // namespace talvix
