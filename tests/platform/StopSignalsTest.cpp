// SIGINT and SIGTERM reach the program as calls on the event loop, and the actions in force
// before are back afterwards.

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

#include "platform/StopSignals.h"
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

class StopSignalsTest : public ::testing::Test {
protected:
    // A handler of our own stands in for whatever the process had, and keeps a stray signal
    // from ending the test binary.
    void SetUp() override
    {
        std::signal(SIGINT, markerHandler);
        std::signal(SIGTERM, markerHandler);
    }
    void TearDown() override
    {
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
    }
    VirtualLoop loop;
};

} // namespace

TEST_F(StopSignalsTest, EachSignalIsDeliveredOnTheLoopNotInTheHandler)
{
    std::vector<int> stops;
    StopSignals signals(loop, [&](int signalNumber) { stops.push_back(signalNumber); });
    ASSERT_EQ(std::raise(SIGTERM), 0);
    ASSERT_EQ(std::raise(SIGINT), 0);
    EXPECT_TRUE(stops.empty());
    loop.runPending();
    EXPECT_EQ(stops, (std::vector<int> { SIGTERM, SIGINT }));
}

TEST_F(StopSignalsTest, ASecondSignalOfTheSameKindGetsTheDefaultAction)
{
    StopSignals signals(loop, [](int) {});
    EXPECT_NE(handlerOf(SIGTERM), SIG_DFL);
    ASSERT_EQ(std::raise(SIGTERM), 0);
    EXPECT_EQ(handlerOf(SIGTERM), SIG_DFL);
    EXPECT_NE(handlerOf(SIGINT), SIG_DFL);
    loop.runPending();
}

TEST_F(StopSignalsTest, ThePreviousActionsAreRestored)
{
    {
        StopSignals signals(loop, [](int) {});
        EXPECT_NE(handlerOf(SIGINT), markerHandler);
        EXPECT_NE(handlerOf(SIGTERM), markerHandler);
    }
    EXPECT_EQ(handlerOf(SIGINT), markerHandler);
    EXPECT_EQ(handlerOf(SIGTERM), markerHandler);
}
