#pragma once
// SIGINT and SIGTERM as a call on the event loop, so a program can end in order.
//
// The signal handler does the one thing that is safe there: it writes the signal's number as a
// byte into a pipe. The loop watches the pipe's read end and calls onStop with each number, on
// the loop thread, where everything else runs. Each handler is installed with SA_RESETHAND: a
// second signal of the same kind, while the orderly end still runs, ends the program the usual
// way. The previous actions are restored when the object is destroyed.
//
// One instance per process at a time (the handler reaches the pipe through one static).

#include <csignal>
#include <functional>
#include <memory>

#include "platform/EventLoop.h"

namespace talvix {

class StopSignals {
public:
    // Throws std::system_error when the pipe or the handlers cannot be set up.
    StopSignals(EventLoop& loop, std::function<void(int signalNumber)> onStop);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    void drain();

    int readEnd_ = -1;
    int writeEnd_ = -1;
    struct sigaction previousInt_ { };
    struct sigaction previousTerm_ { };
    std::function<void(int)> onStop_;
    std::unique_ptr<FdWatch> watch_;
};

} // namespace talvix
