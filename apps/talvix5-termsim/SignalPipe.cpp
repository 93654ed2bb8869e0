#include "SignalPipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

namespace talvix::termsim {

namespace {

int pipeEnds[2] = { -1, -1 };

extern "C" void writeSignalNumber(int signal)
{
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t ignored = ::write(pipeEnds[1], &number, 1);
}

} // namespace

SignalPipe::SignalPipe(EventLoop& loop, std::initializer_list<int> numbers, std::function<void(int)> onSignal)
    : signals_(numbers)
    , onSignal_(std::move(onSignal))
{
    if (::pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0)
        return;
    watch_ = loop.watchFd(pipeEnds[0], FdEvent::Read, [this] {
        unsigned char number = 0;
        while (::read(pipeEnds[0], &number, 1) == 1)
            onSignal_(number);
    });
    struct sigaction action { };
    action.sa_handler = writeSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : numbers)
        ::sigaction(signal, &action, nullptr);
}

SignalPipe::~SignalPipe()
{
    for (int signal : signals_)
        std::signal(signal, SIG_DFL);
    watch_.reset();
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
}

} // namespace talvix::termsim
