#include "platform/qt/QtLoop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>

namespace talvix {

namespace {

class QtTimer final : public Timer {
public:
    explicit QtTimer(std::function<void()> onTimeout) : onTimeout_(std::move(onTimeout))
    {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            // The callback may destroy this timer; keep a copy alive for the call.
            auto callback = onTimeout_;
            callback();
        });
    }
    void setInterval(Millis interval) override { timer_.setInterval(static_cast<int>(interval.count())); }
    Millis interval() const override { return Millis{timer_.interval()}; }
    void setSingleShot(bool singleShot) override { timer_.setSingleShot(singleShot); }
    bool isSingleShot() const override { return timer_.isSingleShot(); }
    void start() override { timer_.start(); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
    std::function<void()> onTimeout_;
};

class QtFdWatch final : public FdWatch {
public:
    QtFdWatch(int fd, FdEvent event, std::function<void()> onReady)
        : notifier_(fd, event == FdEvent::Read ? QSocketNotifier::Read : QSocketNotifier::Write),
          onReady_(std::move(onReady))
    {
        QObject::connect(&notifier_, &QSocketNotifier::activated, [this] {
            auto callback = onReady_;
            callback();
        });
    }
    void setEnabled(bool enabled) override { notifier_.setEnabled(enabled); }
    bool isEnabled() const override { return notifier_.isEnabled(); }

private:
    QSocketNotifier notifier_;
    std::function<void()> onReady_;
};

} // namespace

QtLoop::QtLoop() : loopThread_(QThread::currentThread()) {}

QtLoop::~QtLoop() = default;

Millis QtLoop::now() const
{
    return std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now().time_since_epoch());
}

LocalDateTime QtLoop::localNow() const
{
    return systemLocalNow();
}

std::unique_ptr<Timer> QtLoop::createTimer(std::function<void()> onTimeout)
{
    return std::make_unique<QtTimer>(std::move(onTimeout));
}

std::unique_ptr<FdWatch> QtLoop::watchFd(int fd, FdEvent event, std::function<void()> onReady)
{
    return std::make_unique<QtFdWatch>(fd, event, std::move(onReady));
}

void QtLoop::post(std::function<void()> fn)
{
    QMetaObject::invokeMethod(&context_, std::move(fn), Qt::QueuedConnection);
}

void QtLoop::invokeAndWait(std::function<void()> fn)
{
    if (QThread::currentThread() == loopThread_)
        fn();
    else
        QMetaObject::invokeMethod(&context_, std::move(fn), Qt::BlockingQueuedConnection);
}

bool QtLoop::serveUntil(const std::function<bool()>& predicate, Millis timeout)
{
    // The predicate may change without any event of ours (another thread finishing, another
    // program removing a file), so it is looked at again at least every pollInterval.
    constexpr int pollInterval = 10;
    QElapsedTimer clock;
    clock.start();
    QEventLoop nested;
    QTimer wake;
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(pollInterval);
    for (;;) {
        if (predicate())
            return true;
        if (clock.elapsed() >= timeout.count())
            return false;
        nested.processEvents(QEventLoop::WaitForMoreEvents);
    }
}

} // namespace talvix
