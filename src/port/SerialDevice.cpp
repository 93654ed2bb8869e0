#include "port/SerialDevice.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "port/SerialLine.h"

namespace talvix {

namespace {

const char* const noSuchPort = "ie_BadId - Specified comport doesn't exist";
const char* const portHeld = "ie_Open - device already open";

std::string groupOf(const std::string& path)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) != 0)
        return {};
    const group* g = ::getgrgid(st.st_gid);
    return g ? g->gr_name : std::to_string(st.st_gid);
}

bool deviceVanished(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV;
}

} // namespace

SerialDevice::SerialDevice(EventLoop& loop, std::string path, LineSettings line, bool dtr, bool rts)
    : loop_(loop)
    , path_(std::move(path))
    , line_(line)
    , dtr_(dtr)
    , rts_(rts)
{ }

SerialDevice::~SerialDevice()
{
    close();
}

void SerialDevice::open()
{
    const int fd = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == EBUSY)
            throw PortError(-2008, portHeld);
        if (error == EACCES || error == EPERM)
            throw PortError(-2001,
                std::string(noSuchPort) + ": no permission for " + path_ + "; the user must be in group \""
                    + groupOf(path_) + "\"");
        throw PortError(-2001, noSuchPort);
    }
    termios attributes {};
    if (::tcgetattr(fd, &attributes) != 0) {
        ::close(fd);
        throw PortError(-2001, noSuchPort);
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        throw PortError(-2008, portHeld);
    }
    ::ioctl(fd, TIOCEXCL);
    fd_ = fd;
    gone_ = false;
    if (!applyLine(line_)) {
        close();
        throw PortError(-2001, std::string(noSuchPort) + ": line settings not supported");
    }
    setModemLines(dtr_, rts_);
    readWatch_ = loop_.watchFd(fd_, FdEvent::Read, [this] {
        if (events().readable)
            events().readable();
    });
    readWatch_->setEnabled(reading_);
    writeWatch_ = loop_.watchFd(fd_, FdEvent::Write, [this] {
        writeWatch_->setEnabled(false);
        if (events().writable)
            events().writable();
    });
    writeWatch_->setEnabled(false);
}

void SerialDevice::close()
{
    readWatch_.reset();
    writeWatch_.reset();
    if (fd_ >= 0) {
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }
    fd_ = -1;
}

bool SerialDevice::applyLine(const LineSettings& line)
{
    termios t {};
    return ::tcgetattr(fd_, &t) == 0 && setLineAttributes(t, line) && ::tcsetattr(fd_, TCSANOW, &t) == 0;
}

void SerialDevice::setLineSettings(const LineSettings& line)
{
    if (fd_ < 0 || applyLine(line))
        line_ = line;
}

void SerialDevice::setModemLines(bool dtr, bool rts)
{
    dtr_ = dtr;
    rts_ = rts;
    if (fd_ < 0)
        return;
    // Pseudo-terminals and some adapters have no modem lines: their refusal is no error.
    int bits = TIOCM_DTR;
    ::ioctl(fd_, dtr ? TIOCMBIS : TIOCMBIC, &bits);
    bits = TIOCM_RTS;
    ::ioctl(fd_, rts ? TIOCMBIS : TIOCMBIC, &bits);
}

std::size_t SerialDevice::write(std::string_view bytes)
{
    if (fd_ < 0 || gone_)
        return 0;
    ssize_t n;
    do {
        n = ::write(fd_, bytes.data(), bytes.size());
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        if (deviceVanished(errno))
            gone();
        else if (errno == EAGAIN)
            writeWatch_->setEnabled(true);
        else if (events().error)
            events().error(-3004);
        return 0;
    }
    if (static_cast<std::size_t>(n) < bytes.size())
        writeWatch_->setEnabled(true);
    return static_cast<std::size_t>(n);
}

std::size_t SerialDevice::read(char* buffer, std::size_t capacity)
{
    if (fd_ < 0 || gone_ || capacity == 0)
        return 0;
    ssize_t n;
    do {
        n = ::read(fd_, buffer, capacity);
    } while (n < 0 && errno == EINTR);
    if (n > 0)
        return static_cast<std::size_t>(n);
    if (n == 0 || deviceVanished(errno))
        gone();
    return 0;
}

void SerialDevice::gone()
{
    // The watches stay (a watch must not be destroyed inside its own callback), but are off.
    gone_ = true;
    readWatch_->setEnabled(false);
    writeWatch_->setEnabled(false);
    if (events().lost)
        events().lost(-2001);
}

void SerialDevice::setReading(bool enabled)
{
    reading_ = enabled;
    if (readWatch_ && !gone_)
        readWatch_->setEnabled(enabled);
}

std::size_t SerialDevice::pendingOutput() const
{
    int queued = 0;
    if (fd_ < 0 || gone_ || ::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued < 0)
        return 0;
    return static_cast<std::size_t>(queued);
}

void SerialDevice::discardOutput()
{
    if (fd_ >= 0 && !gone_)
        ::tcflush(fd_, TCOFLUSH);
}

SerialDevice::Presence SerialDevice::probe(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EBUSY ? Presence::Busy : Presence::Missing;
    termios t {};
    Presence presence = Presence::Missing;
    if (::tcgetattr(fd, &t) == 0)
        presence = ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? Presence::Available : Presence::Busy;
    ::close(fd);
    return presence;
}

} // namespace talvix
