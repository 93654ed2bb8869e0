// Signals reach the program as calls on the event loop; a stop request is taken once, others
// every time; the actions in force before are back afterwards.

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

#include "platform/SignalPipe.h"
#include "platform/VirtualLoop.h"

using namespace talvix;

namespace {

extern "C" void markerHandler(int) { }

void (*handlerOf(int signalNumber))(int)
{
    struct sigaction current { };
    ::sigaction(signalNumber, nullptr, &current);
    return current.sa_handler;
}

class SignalPipeTest : public ::testing::Test {
protected:
    // A handler of our own stands in for whatever the process had, and keeps a stray signal
    // from ending the test binary.
    void SetUp() override
    {
        for (const int signalNumber : { SIGINT, SIGTERM, SIGUSR1 })
            std::signal(signalNumber, markerHandler);
    }
    void TearDown() override
    {
        for (const int signalNumber : { SIGINT, SIGTERM, SIGUSR1 })
            std::signal(signalNumber, SIG_DFL);
    }
    VirtualLoop loop;
    std::vector<int> delivered;
};

} // namespace

TEST_F(SignalPipeTest, EachSignalIsDeliveredOnTheLoopNotInTheHandler)
{
    SignalPipe signals(
        loop, { SIGINT, SIGTERM, SIGUSR1 }, [&](int signalNumber) { delivered.push_back(signalNumber); });
    ASSERT_EQ(std::raise(SIGTERM), 0);
    ASSERT_EQ(std::raise(SIGUSR1), 0);
    ASSERT_EQ(std::raise(SIGINT), 0);
    EXPECT_TRUE(delivered.empty());
    loop.runPending();
    EXPECT_EQ(delivered, (std::vector<int> { SIGTERM, SIGUSR1, SIGINT }));
}

TEST_F(SignalPipeTest, ASecondStopRequestOfTheSameKindGetsTheDefaultAction)
{
    SignalPipe signals(
        loop, { SIGINT, SIGTERM, SIGUSR1 }, [&](int signalNumber) { delivered.push_back(signalNumber); });
    ASSERT_EQ(std::raise(SIGTERM), 0);
    EXPECT_EQ(handlerOf(SIGTERM), SIG_DFL);
    EXPECT_NE(handlerOf(SIGINT), SIG_DFL);
    ASSERT_EQ(std::raise(SIGUSR1), 0);
    ASSERT_EQ(std::raise(SIGUSR1), 0);
    loop.runPending();
    EXPECT_EQ(delivered, (std::vector<int> { SIGTERM, SIGUSR1, SIGUSR1 }));
}

TEST_F(SignalPipeTest, ThePreviousActionsAreRestored)
{
    {
        SignalPipe signals(loop, { SIGINT, SIGTERM }, [](int) {});
        EXPECT_NE(handlerOf(SIGINT), markerHandler);
        EXPECT_NE(handlerOf(SIGTERM), markerHandler);
        EXPECT_EQ(handlerOf(SIGUSR1), markerHandler);
    }
    EXPECT_EQ(handlerOf(SIGINT), markerHandler);
    EXPECT_EQ(handlerOf(SIGTERM), markerHandler);
}
