#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/VirtualLoop.h"

using namespace talvix;
using namespace std::chrono_literals;

namespace {

struct Recorder {
    VirtualLoop& loop;
    std::vector<std::string> events;
    void note(const std::string& what) { events.push_back(what + "@" + std::to_string(loop.now().count())); }
};

} // namespace

TEST(VirtualLoop, TimersFireInDueOrderAndTiesInStartOrder)
{
    VirtualLoop loop;
    Recorder rec{loop, {}};
    auto a = loop.createTimer([&] { rec.note("a"); });
    auto b = loop.createTimer([&] { rec.note("b"); });
    auto c = loop.createTimer([&] { rec.note("c"); });
    a->setInterval(300ms);
    b->setInterval(200ms);
    c->setInterval(300ms);
    for (auto* t : {a.get(), b.get(), c.get()})
        t->setSingleShot(true);
    a->start();
    b->start();
    c->start();
    loop.advance(1s);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"b@200", "a@300", "c@300"}));
    EXPECT_EQ(loop.now(), 1000ms);
}

TEST(VirtualLoop, SingleShotFiresOnceRepeatingKeepsItsPace)
{
    VirtualLoop loop;
    int once = 0;
    int repeated = 0;
    auto single = loop.callLater(600ms, [&] { ++once; });
    auto tick = loop.createTimer([&] { ++repeated; });
    tick->setInterval(600ms);
    tick->start();
    loop.advance(3000ms);
    EXPECT_EQ(once, 1);
    EXPECT_FALSE(single->isActive());
    EXPECT_EQ(repeated, 5);
    EXPECT_TRUE(tick->isActive());
    tick->stop();
    loop.advance(3000ms);
    EXPECT_EQ(repeated, 5);
}

TEST(VirtualLoop, ATimerStoppedOrDestroyedInsideACallbackDoesNotFireAgain)
{
    VirtualLoop loop;
    int fired = 0;
    std::unique_ptr<Timer> victim;
    auto killer = loop.callLater(100ms, [&] { victim.reset(); });
    victim = loop.createTimer([&] { ++fired; });
    victim->setInterval(100ms);
    victim->start(); // same due time, started later: runs after the killer
    loop.advance(1s);
    EXPECT_EQ(fired, 0);
}

TEST(VirtualLoop, TimerDisabledForTheLengthOfItsTickIsNotReentered)
{
    VirtualLoop loop;
    int depth = 0;
    int maxDepth = 0;
    int ticks = 0;
    std::unique_ptr<Timer> tick;
    tick = loop.createTimer([&] {
        tick->setEnabled(false);
        ++ticks;
        maxDepth = std::max(maxDepth, ++depth);
        loop.serveUntil([] { return false; }, 2000ms); // a modal wait inside the tick
        --depth;
        tick->setEnabled(true);
    });
    tick->setInterval(600ms);
    tick->start();
    loop.advance(5000ms);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_GE(ticks, 2);
}

TEST(VirtualLoop, ServeUntilReturnsOnThePredicateAtTheMomentItHolds)
{
    VirtualLoop loop;
    bool done = false;
    auto later = loop.callLater(700ms, [&] { done = true; });
    EXPECT_TRUE(loop.serveUntil([&] { return done; }, 10s));
    EXPECT_EQ(loop.now(), 700ms);
}

TEST(VirtualLoop, ServeUntilReturnsFalseAtTheTimeout)
{
    VirtualLoop loop;
    int fired = 0;
    auto late = loop.callLater(5s, [&] { ++fired; });
    EXPECT_FALSE(loop.serveUntil([] { return false; }, 2s));
    EXPECT_EQ(loop.now(), 2000ms);
    EXPECT_EQ(fired, 0);
}

TEST(VirtualLoop, PostedFunctionsRunBeforeTheNextTimer)
{
    VirtualLoop loop;
    std::vector<int> order;
    auto t = loop.callLater(10ms, [&] { order.push_back(2); });
    loop.post([&] { order.push_back(1); });
    loop.advance(20ms);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(VirtualLoop, WallClockMovesWithVirtualTime)
{
    VirtualLoop loop;
    loop.setLocalTime({2024, 3, 18, 23, 59, 30, 0});
    loop.advance(45s);
    const LocalDateTime t = loop.localNow();
    EXPECT_EQ(t, (LocalDateTime{2024, 3, 19, 0, 0, 15, 0}));
    EXPECT_EQ(t.dayOfWeek(), 2); // Tuesday
}
