#include <gtest/gtest.h>

#include <QCoreApplication>

#include <atomic>
#include <thread>
#include <unistd.h>

#include "platform/qt/QtLoop.h"

using namespace talvix;
using namespace std::chrono_literals;

namespace {

class QtLoopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "platform_qt_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }
    QtLoop loop;
};

} // namespace

TEST_F(QtLoopTest, InvokeAndWaitRunsOnTheLoopThreadAndBlocksTheWorker)
{
    const auto loopThread = std::this_thread::get_id();
    std::atomic<bool> ranOnLoop{false};
    std::atomic<bool> workerDone{false};
    std::atomic<bool> valueSeenByWorker{false};
    int value = 0;
    std::thread worker([&] {
        loop.invokeAndWait([&] {
            ranOnLoop = std::this_thread::get_id() == loopThread;
            value = 42;
        });
        valueSeenByWorker = value == 42;
        workerDone = true;
    });
    EXPECT_TRUE(loop.serveUntil([&] { return workerDone.load(); }, 5s));
    worker.join();
    EXPECT_TRUE(ranOnLoop);
    EXPECT_TRUE(valueSeenByWorker);
}

TEST_F(QtLoopTest, TimersAndServeUntil)
{
    int single = 0;
    int repeated = 0;
    auto once = loop.callLater(20ms, [&] { ++single; });
    auto tick = loop.createTimer([&] { ++repeated; });
    tick->setInterval(10ms);
    tick->start();
    EXPECT_TRUE(loop.serveUntil([&] { return repeated >= 5; }, 5s));
    EXPECT_EQ(single, 1);
    tick->stop();
    const auto start = loop.now();
    EXPECT_FALSE(loop.serveUntil([] { return false; }, 100ms));
    EXPECT_GE(loop.now() - start, 100ms);
}

TEST_F(QtLoopTest, PostFromAnotherThreadAndFdWatch)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    bool readable = false;
    auto watch = loop.watchFd(fds[0], FdEvent::Read, [&] {
        char c;
        readable = ::read(fds[0], &c, 1) == 1 && c == 'x';
    });
    std::atomic<bool> posted{false};
    std::thread poster([&] { loop.post([&] { posted = true; }); });
    poster.join();
    ASSERT_EQ(::write(fds[1], "x", 1), 1);
    EXPECT_TRUE(loop.serveUntil([&] { return readable && posted; }, 5s));
    watch.reset();
    ::close(fds[0]);
    ::close(fds[1]);
}
