#include "PtyTerminal.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace talvix::termsim {

PtyTerminal::PtyTerminal(EventLoop& loop, TerminalSet& terminals, std::string linkPath)
    : linkPath_(std::move(linkPath))
{
    char slaveName[256];
    if (::openpty(&master_, &slave_, slaveName, nullptr, nullptr) != 0) {
        printLine("cannot open a pseudo-terminal: " + std::string(std::strerror(errno)));
        return;
    }
    termios raw {};
    ::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave_, TCSANOW, &raw);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);

    // Replace a link left by an earlier run, never anything else.
    struct stat existing { };
    if (::lstat(linkPath_.c_str(), &existing) == 0 && S_ISLNK(existing.st_mode))
        ::unlink(linkPath_.c_str());
    if (::symlink(slaveName, linkPath_.c_str()) != 0) {
        printLine("cannot make the link " + linkPath_ + ": " + std::strerror(errno));
        return;
    }
    linked_ = true;

    terminal_ = &terminals.create("pty " + linkPath_);
    printLine(terminals.prefix(*terminal_) + " on " + linkPath_ + " -> " + slaveName);
    terminal_->setSend([this](const std::string& bytes) {
        // Non-blocking: what the line cannot take now is lost, as nobody is listening.
        if (::write(master_, bytes.data(), bytes.size()) < 0 && errno != EAGAIN)
            printLine("write to " + linkPath_ + " failed: " + std::strerror(errno));
    });
    terminal_->setOnDropConnection([this] { printLine("a pseudo-terminal cannot drop its line: " + linkPath_); });
    watch_ = loop.watchFd(master_, FdEvent::Read, [this] { readMaster(); });
}

PtyTerminal::~PtyTerminal()
{
    watch_.reset();
    if (terminal_) {
        terminal_->setSend({});
        terminal_->setOnDropConnection({});
    }
    if (linked_)
        ::unlink(linkPath_.c_str());
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
}

void PtyTerminal::readMaster()
{
    char buffer[4096];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n > 0)
        terminal_->onBytes(std::string_view(buffer, static_cast<std::size_t>(n)));
}

} // namespace talvix::termsim
