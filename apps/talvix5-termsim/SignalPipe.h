#pragma once
// Unix signals as loop events: the handler only writes the signal's number into a pipe (the one
// thing a handler may safely do), and the loop reads it and calls the callback on its own thread.

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/EventLoop.h"

namespace talvix::termsim {

class SignalPipe {
public:
    SignalPipe(EventLoop& loop, std::initializer_list<int> numbers, std::function<void(int signal)> onSignal);
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

private:
    std::vector<int> signals_;
    std::function<void(int)> onSignal_;
    std::unique_ptr<FdWatch> watch_;
};

} // namespace talvix::termsim
