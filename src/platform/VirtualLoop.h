#pragma once
// Single-threaded virtual time for engine tests.
//
// Time stands still until the test calls advance() or an engine calls serveUntil(); then every
// timer due within the span fires in order of its due time (ties: the one started first), with
// posted functions and ready file descriptors served before each timer. A 15-second watchdog or a
// 10-second reconnect therefore runs in microseconds, and always the same way.

#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/EventLoop.h"

namespace talvix {

class VirtualLoop final : public EventLoop {
public:
    VirtualLoop();
    ~VirtualLoop() override;

    Millis now() const override { return now_; }
    LocalDateTime localNow() const override;
    // Sets the wall clock; it then moves on with virtual time.
    void setLocalTime(const LocalDateTime& t);

    std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) override;
    std::unique_ptr<FdWatch> watchFd(int fd, FdEvent event, std::function<void()> onReady) override;
    void post(std::function<void()> fn) override;
    void invokeAndWait(std::function<void()> fn) override;
    bool serveUntil(const std::function<bool()>& predicate, Millis timeout) override;

    // Moves virtual time forward by span, firing everything due on the way.
    void advance(Millis span);
    // Serves posted functions and ready descriptors without moving time.
    void runPending();
    // Time until the next active timer fires, or -1 ms when none is active.
    Millis nextTimerIn() const;

private:
    class VTimer;
    class VFdWatch;
    friend class VTimer;
    friend class VFdWatch;

    VTimer* earliestDue(Millis limit) const;
    void fire(VTimer* timer);

    Millis now_{0};
    std::int64_t wallOffsetMillis_;
    std::uint64_t nextSequence_ = 0;
    std::vector<VTimer*> timers_;
    std::vector<VFdWatch*> fdWatches_;
    std::mutex postMutex_;
    std::deque<std::function<void()>> posted_;
    std::thread::id loopThread_;
};

} // namespace talvix
