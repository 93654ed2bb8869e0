#include "platform/SignalPipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

namespace talvix {

namespace {

std::atomic<int> signalPipeWriteEnd { -1 };

extern "C" void writeSignalNumber(int signalNumber)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds requests enough; losing this one changes nothing.
    [[maybe_unused]] const ssize_t written = ::write(signalPipeWriteEnd.load(), &byte, 1);
    errno = savedErrno;
}

bool isStopRequest(int signalNumber)
{
    return signalNumber == SIGINT || signalNumber == SIGTERM;
}

} // namespace

SignalPipe::SignalPipe(EventLoop& loop, std::initializer_list<int> numbers, std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal))
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::system_error(errno, std::generic_category(), "pipe2");
    readEnd_ = ends[0];
    writeEnd_ = ends[1];
    signalPipeWriteEnd = writeEnd_;
    watch_ = loop.watchFd(readEnd_, FdEvent::Read, [this] { drain(); });
    for (const int signalNumber : numbers) {
        struct sigaction action { };
        action.sa_handler = writeSignalNumber;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART | (isStopRequest(signalNumber) ? SA_RESETHAND : 0);
        Previous previous { signalNumber, {} };
        if (::sigaction(signalNumber, &action, &previous.action) != 0) {
            const int error = errno;
            restore();
            throw std::system_error(error, std::generic_category(), "sigaction");
        }
        previous_.push_back(previous);
    }
}

SignalPipe::~SignalPipe()
{
    restore();
}

void SignalPipe::restore()
{
    for (auto it = previous_.rbegin(); it != previous_.rend(); ++it)
        ::sigaction(it->signalNumber, &it->action, nullptr);
    previous_.clear();
    watch_.reset();
    signalPipeWriteEnd = -1;
    ::close(writeEnd_);
    ::close(readEnd_);
}

void SignalPipe::drain()
{
    unsigned char numbers[16];
    ssize_t n;
    while ((n = ::read(readEnd_, numbers, sizeof numbers)) > 0)
        for (ssize_t i = 0; i < n; ++i)
            onSignal_(numbers[i]);
}

} // namespace talvix
