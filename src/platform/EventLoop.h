#pragma once
// The one event loop every engine runs on.
//
// Engines never sleep and never block: a pause is a single-shot timer continuation, a device is
// watched through its file descriptor, and "wait with messages served" is serveUntil(). Two
// implementations exist: QtLoop (the programs and the real-I/O tests) and VirtualLoop (virtual
// time for deterministic engine tests). Everything but post() and invokeAndWait() must be called
// on the loop thread; callbacks always run on the loop thread.

#include <chrono>
#include <functional>
#include <memory>

#include "platform/LocalDateTime.h"

namespace talvix {

using Millis = std::chrono::milliseconds;

// A timer owned by whoever created it; destroying it stops it for good.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void setInterval(Millis interval) = 0;
    virtual Millis interval() const = 0;
    virtual void setSingleShot(bool singleShot) = 0;
    virtual bool isSingleShot() const = 0;
    // (Re)starts the countdown from now.
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    // Delphi-style switch: enabling an enabled timer keeps its countdown.
    void setEnabled(bool enabled)
    {
        if (enabled && !isActive())
            start();
        else if (!enabled && isActive())
            stop();
    }
};

enum class FdEvent { Read, Write };

// Watches one file descriptor; destroying it stops watching.
class FdWatch {
public:
    virtual ~FdWatch() = default;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
};

class EventLoop {
public:
    virtual ~EventLoop() = default;

    // Monotonic time since an arbitrary start.
    virtual Millis now() const = 0;
    // Local wall-clock time (date and time of day, as the user's clock shows it).
    virtual LocalDateTime localNow() const = 0;

    virtual std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) = 0;
    virtual std::unique_ptr<FdWatch> watchFd(int fd, FdEvent event, std::function<void()> onReady) = 0;

    // Thread-safe: runs fn on the loop thread soon.
    virtual void post(std::function<void()> fn) = 0;
    // From a worker thread: runs fn on the loop thread and returns when it has run.
    // Called on the loop thread, it runs fn at once.
    virtual void invokeAndWait(std::function<void()> fn) = 0;

    // Serves events until predicate() is true or timeout has passed; returns predicate().
    virtual bool serveUntil(const std::function<bool()>& predicate, Millis timeout) = 0;

    // A single-shot timer continuation: creates, starts and returns the timer. Keep the handle
    // as long as the continuation may run; dropping it cancels the continuation.
    std::unique_ptr<Timer> callLater(Millis delay, std::function<void()> fn)
    {
        auto timer = createTimer(std::move(fn));
        timer->setSingleShot(true);
        timer->setInterval(delay);
        timer->start();
        return timer;
    }
};

} // namespace talvix
