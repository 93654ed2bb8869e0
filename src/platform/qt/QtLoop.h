#pragma once
// The EventLoop of the programs: Qt timers, socket notifiers and queued invocations on the
// thread that created it (which must run a QCoreApplication event loop).

#include <QObject>
#include <QThread>

#include "platform/EventLoop.h"

namespace talvix {

class QtLoop final : public EventLoop {
public:
    QtLoop();
    ~QtLoop() override;

    Millis now() const override;
    LocalDateTime localNow() const override;
    std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) override;
    std::unique_ptr<FdWatch> watchFd(int fd, FdEvent event, std::function<void()> onReady) override;
    void post(std::function<void()> fn) override;
    void invokeAndWait(std::function<void()> fn) override;
    bool serveUntil(const std::function<bool()>& predicate, Millis timeout) override;

private:
    QObject context_;
    QThread* loopThread_;
};

} // namespace talvix
