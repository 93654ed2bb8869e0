#pragma once
// Unix signals as calls on the event loop.
//
// The signal handler does the one thing that is safe there: it writes the signal's number as a
// byte into a pipe. The loop watches the pipe's read end and calls onSignal with each number,
// on the loop thread, where everything else runs. SIGINT and SIGTERM are requests to stop: their
// handlers are installed with SA_RESETHAND, so a second one of the same kind, while the orderly
// end still runs, ends the program the usual way. Any other signal (SIGUSR1) is delivered every
// time. The previous actions are restored when the object is destroyed.
//
// One instance per process at a time (the handler reaches the pipe through one static).

#include <csignal>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/EventLoop.h"

namespace talvix {

class SignalPipe {
public:
    // Throws std::system_error when the pipe or a handler cannot be set up.
    SignalPipe(EventLoop& loop, std::initializer_list<int> numbers, std::function<void(int signalNumber)> onSignal);
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

private:
    struct Previous {
        int signalNumber;
        struct sigaction action;
    };

    void restore();
    void drain();

    int readEnd_ = -1;
    int writeEnd_ = -1;
    std::vector<Previous> previous_;
    std::function<void(int)> onSignal_;
    std::unique_ptr<FdWatch> watch_;
};

} // namespace talvix
