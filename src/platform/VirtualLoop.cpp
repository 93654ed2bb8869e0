#include "platform/VirtualLoop.h"

#include <poll.h>

#include <algorithm>
#include <future>

namespace talvix {

class VirtualLoop::VTimer final : public Timer {
public:
    VTimer(VirtualLoop& loop, std::function<void()> onTimeout) : loop_(loop), onTimeout_(std::move(onTimeout))
    {
        loop_.timers_.push_back(this);
    }
    ~VTimer() override { std::erase(loop_.timers_, this); }

    void setInterval(Millis interval) override { interval_ = interval; }
    Millis interval() const override { return interval_; }
    void setSingleShot(bool singleShot) override { singleShot_ = singleShot; }
    bool isSingleShot() const override { return singleShot_; }
    void start() override
    {
        active_ = true;
        due_ = loop_.now_ + effectiveInterval();
        sequence_ = loop_.nextSequence_++;
    }
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }

    // A repeating zero-interval timer would never let virtual time move on.
    Millis effectiveInterval() const { return (!singleShot_ && interval_ <= Millis{0}) ? Millis{1} : interval_; }

    VirtualLoop& loop_;
    std::function<void()> onTimeout_;
    Millis interval_{0};
    Millis due_{0};
    std::uint64_t sequence_ = 0;
    bool singleShot_ = false;
    bool active_ = false;
};

class VirtualLoop::VFdWatch final : public FdWatch {
public:
    VFdWatch(VirtualLoop& loop, int fd, FdEvent event, std::function<void()> onReady)
        : loop_(loop), fd_(fd), event_(event), onReady_(std::move(onReady))
    {
        loop_.fdWatches_.push_back(this);
    }
    ~VFdWatch() override { std::erase(loop_.fdWatches_, this); }
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    bool isEnabled() const override { return enabled_; }

    VirtualLoop& loop_;
    int fd_;
    FdEvent event_;
    std::function<void()> onReady_;
    bool enabled_ = true;
};

namespace {
constexpr std::int64_t defaultWallStart = 1704067200000LL; // 2024-01-01 00:00:00
}

VirtualLoop::VirtualLoop() : wallOffsetMillis_(defaultWallStart), loopThread_(std::this_thread::get_id()) {}

VirtualLoop::~VirtualLoop() = default;

LocalDateTime VirtualLoop::localNow() const
{
    return LocalDateTime::fromEpochMillis(wallOffsetMillis_ + now_.count());
}

void VirtualLoop::setLocalTime(const LocalDateTime& t)
{
    wallOffsetMillis_ = t.toEpochMillis() - now_.count();
}

std::unique_ptr<Timer> VirtualLoop::createTimer(std::function<void()> onTimeout)
{
    return std::make_unique<VTimer>(*this, std::move(onTimeout));
}

std::unique_ptr<FdWatch> VirtualLoop::watchFd(int fd, FdEvent event, std::function<void()> onReady)
{
    return std::make_unique<VFdWatch>(*this, fd, event, std::move(onReady));
}

void VirtualLoop::post(std::function<void()> fn)
{
    std::lock_guard lock(postMutex_);
    posted_.push_back(std::move(fn));
}

void VirtualLoop::invokeAndWait(std::function<void()> fn)
{
    if (std::this_thread::get_id() == loopThread_) {
        fn();
        return;
    }
    std::promise<void> done;
    auto finished = done.get_future();
    post([&fn, &done] {
        fn();
        done.set_value();
    });
    finished.wait();
}

void VirtualLoop::runPending()
{
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard lock(postMutex_);
            if (posted_.empty())
                break;
            fn = std::move(posted_.front());
            posted_.pop_front();
        }
        fn();
    }
    // Copy: a callback may destroy or create watches.
    const auto watches = fdWatches_;
    for (VFdWatch* watch : watches) {
        if (std::find(fdWatches_.begin(), fdWatches_.end(), watch) == fdWatches_.end() || !watch->enabled_)
            continue;
        pollfd p{watch->fd_, static_cast<short>(watch->event_ == FdEvent::Read ? POLLIN : POLLOUT), 0};
        if (::poll(&p, 1, 0) > 0)
            watch->onReady_();
    }
}

VirtualLoop::VTimer* VirtualLoop::earliestDue(Millis limit) const
{
    VTimer* best = nullptr;
    for (VTimer* t : timers_) {
        if (!t->active_ || t->due_ > limit)
            continue;
        if (!best || t->due_ < best->due_ || (t->due_ == best->due_ && t->sequence_ < best->sequence_))
            best = t;
    }
    return best;
}

Millis VirtualLoop::nextTimerIn() const
{
    const VTimer* next = earliestDue(Millis::max());
    return next ? next->due_ - now_ : Millis{-1};
}

void VirtualLoop::fire(VTimer* timer)
{
    now_ = std::max(now_, timer->due_);
    if (timer->singleShot_) {
        timer->active_ = false;
    } else {
        timer->due_ += timer->effectiveInterval();
        timer->sequence_ = nextSequence_++;
    }
    // The callback may destroy the timer; copy what it needs first.
    auto callback = timer->onTimeout_;
    callback();
}

void VirtualLoop::advance(Millis span)
{
    const Millis target = now_ + span;
    for (;;) {
        runPending();
        VTimer* next = earliestDue(target);
        if (!next)
            break;
        fire(next);
    }
    now_ = std::max(now_, target);
    runPending();
}

bool VirtualLoop::serveUntil(const std::function<bool()>& predicate, Millis timeout)
{
    const Millis deadline = now_ + timeout;
    for (;;) {
        runPending();
        if (predicate())
            return true;
        VTimer* next = earliestDue(deadline);
        if (!next) {
            now_ = std::max(now_, deadline);
            runPending();
            return predicate();
        }
        fire(next);
    }
}

} // namespace talvix
