#include "platform/StopSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

namespace talvix {

namespace {

std::atomic<int> stopPipe { -1 };

extern "C" void writeSignalNumber(int signalNumber)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a stop request; losing this one changes nothing.
    [[maybe_unused]] const ssize_t written = ::write(stopPipe.load(), &byte, 1);
    errno = savedErrno;
}

void install(int signalNumber, struct sigaction& previous)
{
    struct sigaction action { };
    action.sa_handler = writeSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    if (::sigaction(signalNumber, &action, &previous) != 0)
        throw std::system_error(errno, std::generic_category(), "sigaction");
}

} // namespace

StopSignals::StopSignals(EventLoop& loop, std::function<void(int signalNumber)> onStop)
    : onStop_(std::move(onStop))
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::system_error(errno, std::generic_category(), "pipe2");
    readEnd_ = ends[0];
    writeEnd_ = ends[1];
    stopPipe = writeEnd_;
    watch_ = loop.watchFd(readEnd_, FdEvent::Read, [this] { drain(); });
    install(SIGINT, previousInt_);
    try {
        install(SIGTERM, previousTerm_);
    } catch (...) {
        ::sigaction(SIGINT, &previousInt_, nullptr);
        throw;
    }
}

StopSignals::~StopSignals()
{
    ::sigaction(SIGTERM, &previousTerm_, nullptr);
    ::sigaction(SIGINT, &previousInt_, nullptr);
    watch_.reset();
    stopPipe = -1;
    ::close(writeEnd_);
    ::close(readEnd_);
}

void StopSignals::drain()
{
    unsigned char numbers[16];
    ssize_t n;
    while ((n = ::read(readEnd_, numbers, sizeof numbers)) > 0)
        for (ssize_t i = 0; i < n; ++i)
            onStop_(numbers[i]);
}

} // namespace talvix
