#include <gtest/gtest.h>

#include "platform/VirtualLoop.h"
#include "port/MemoryLink.h"

using namespace talvix;
using namespace std::chrono_literals;

namespace {

struct StationSide {
    std::unique_ptr<ByteDevice> device;
    std::string received;
    int connects = 0;
    std::vector<int> lost;

    explicit StationSide(MemoryLink& link)
        : device(link.makeStationEnd())
    {
        device->setEvents({
            .readable =
                [this] {
                    char buffer[64];
                    while (std::size_t n = device->read(buffer, sizeof buffer))
                        received.append(buffer, n);
                },
            .writable = {},
            .connected = [this] { ++connects; },
            .error = {},
            .lost = [this](int code) { lost.push_back(code); },
        });
    }
};

} // namespace

TEST(MemoryLinkTest, BytesCrossBothWaysOnTheNextTurnOfTheLoop)
{
    VirtualLoop loop;
    MemoryLink link(loop);
    std::string atTerminal;
    link.setReceiver([&](std::string_view b) { atTerminal += b; });
    StationSide station(link);
    station.device->open();

    EXPECT_EQ(station.device->write("V\r"), 2u);
    link.write("AP 1.0\r");
    EXPECT_EQ(atTerminal, "");
    EXPECT_EQ(station.received, "");
    loop.runPending();
    EXPECT_EQ(atTerminal, "V\r");
    EXPECT_EQ(station.received, "AP 1.0\r");
    EXPECT_EQ(station.connects, 1);
}

TEST(MemoryLinkTest, APacedLineDeliversEachByteWhenItHasCrossed)
{
    VirtualLoop loop;
    MemoryLink link(loop, 1000); // one byte per millisecond
    std::string atTerminal;
    link.setReceiver([&](std::string_view b) { atTerminal += b; });
    StationSide station(link);
    station.device->open();

    station.device->write("0123456789");
    EXPECT_EQ(station.device->pendingOutput(), 10u);
    loop.advance(4ms);
    EXPECT_EQ(atTerminal, "0123");
    EXPECT_EQ(station.device->pendingOutput(), 6u);
    loop.advance(6ms);
    EXPECT_EQ(atTerminal, "0123456789");
    EXPECT_EQ(station.device->pendingOutput(), 0u);
}

TEST(MemoryLinkTest, AnAnswerGivenOnArrivalLeavesAtTheArrivalTime)
{
    // At 1500 B/s "ab" has crossed at 1.33 ms, seen by the loop at 2 ms; the answer "A" leaves
    // at 1.33 ms and has crossed at 2 ms, so it is there at 2 ms and not a millisecond later.
    VirtualLoop loop;
    MemoryLink link(loop, 1500);
    std::string atTerminal;
    link.setReceiver([&](std::string_view b) {
        atTerminal += b;
        if (atTerminal == "ab")
            link.write("A");
    });
    StationSide station(link);
    station.device->open();
    station.device->write("ab");
    loop.advance(1ms);
    EXPECT_EQ(atTerminal, "a");
    loop.advance(1ms);
    EXPECT_EQ(station.received, "A");
}

TEST(MemoryLinkTest, HangingUpDeliversWhatIsUnderwayThenReportsTheEndOnce)
{
    VirtualLoop loop;
    MemoryLink link(loop);
    StationSide station(link);
    station.device->open();
    link.write("last words");
    link.disconnect();
    loop.runPending();
    EXPECT_EQ(station.received, "last words");
    EXPECT_EQ(station.lost, std::vector<int> { 0 });
    EXPECT_FALSE(station.device->isOpen());
    EXPECT_FALSE(link.stationConnected());

    loop.runPending();
    EXPECT_EQ(station.lost.size(), 1u);
}

TEST(MemoryLinkTest, ANewStationEndCutsOffTheOldOne)
{
    VirtualLoop loop;
    MemoryLink link(loop);
    StationSide first(link);
    StationSide second(link);
    first.device->open();
    second.device->open();
    link.write("x");
    loop.runPending();
    EXPECT_FALSE(first.device->isOpen());
    EXPECT_EQ(first.received, "");
    EXPECT_EQ(second.received, "x");
}

TEST(MemoryLinkTest, WhileReadingIsOffBytesWaitInTheLink)
{
    VirtualLoop loop;
    MemoryLink link(loop);
    StationSide station(link);
    station.device->open();
    station.device->setReading(false);
    link.write("held");
    loop.runPending();
    EXPECT_EQ(station.received, "");
    station.device->setReading(true);
    loop.runPending();
    EXPECT_EQ(station.received, "held");
}

TEST(MemoryLinkTest, TheTerminalEndIsADeviceToo)
{
    VirtualLoop loop;
    MemoryLink link(loop);
    StationSide station(link);
    auto terminal = link.makeTerminalEnd();
    std::string atTerminal;
    terminal->setEvents({
        .readable =
            [&] {
                char buffer[2];
                std::size_t n = terminal->read(buffer, sizeof buffer); // takes at most two at a time
                atTerminal.append(buffer, n);
            },
        .writable = {},
        .connected = {},
        .error = {},
        .lost = {},
    });
    station.device->open();
    terminal->open();
    terminal->write("S/N:1");
    station.device->write("abcde");
    loop.runPending();
    EXPECT_EQ(station.received, "S/N:1");
    EXPECT_EQ(atTerminal, "ab");
    terminal->setReading(true); // the rest is offered again
    loop.runPending();
    EXPECT_EQ(atTerminal, "abcd");
}
