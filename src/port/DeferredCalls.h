#pragma once
// Calls handed to the event loop for later, which are dropped when their owner is destroyed (or
// calls cancelAll()) before they ran. Calls run in the order they were posted.

#include <functional>
#include <memory>

#include "platform/EventLoop.h"

namespace talvix {

class DeferredCalls {
public:
    explicit DeferredCalls(EventLoop& loop)
        : loop_(loop)
        , token_(std::make_shared<char>())
    { }
    DeferredCalls(const DeferredCalls&) = delete;
    DeferredCalls& operator=(const DeferredCalls&) = delete;

    void post(std::function<void()> fn)
    {
        loop_.post([alive = std::weak_ptr<char>(token_), fn = std::move(fn)] {
            if (alive.lock())
                fn();
        });
    }
    void cancelAll() { token_ = std::make_shared<char>(); }
    EventLoop& loop() const { return loop_; }

private:
    EventLoop& loop_;
    std::shared_ptr<char> token_;
};

} // namespace talvix
