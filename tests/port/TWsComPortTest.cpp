#include <gtest/gtest.h>

#include <optional>

#include "platform/VirtualLoop.h"
#include "port/MemoryLink.h"
#include "port/SelectPortDialog.h"
#include "port/TWsComPort.h"

using namespace talvix;
using namespace std::chrono_literals;

namespace {

class ScriptedSelectPort final : public SelectPortDialog {
public:
    std::optional<std::uint16_t> answer;
    std::vector<std::uint16_t> offered;
    int shown = 0;
    std::optional<std::uint16_t> selectPort(const std::vector<std::uint16_t>& ports) override
    {
        ++shown;
        offered = ports;
        return answer;
    }
};

// A port whose device is the station end of an in-memory line, with a record of every event.
class LinkedPort : public ::testing::Test {
protected:
    explicit LinkedPort(std::uint32_t bytesPerSecond = 0)
        : link(loop, bytesPerSecond)
    {
        link.setReceiver([this](std::string_view b) { atTerminal += b; });
        port.SetComNumber(1);
        port.SetOnTriggerAvail([this](std::uint16_t count) {
            availCounts.push_back(count);
            for (std::uint16_t i = 0; i < count; ++i)
                taken += port.GetChar();
        });
        port.SetOnWsConnect([this] { events.push_back("connect"); });
        port.SetOnWsDisconnect([this] { events.push_back("disconnect"); });
        port.SetOnWsError([this](int code) { events.push_back("error " + std::to_string(code)); });
        port.SetOnTriggerOutbuffUsed([this] { events.push_back("outbuff " + std::to_string(port.OutBuffUsed())); });
    }

    VirtualLoop loop;
    MemoryLink link;
    int devicesMade = 0;
    TWsComPort port { loop,
        { [this](const TWsComPort&) {
             ++devicesMade;
             return link.makeStationEnd();
         },
            [] {
                return std::vector<std::uint16_t> { 2, 5 };
            } } };
    std::string atTerminal;
    std::string taken;
    std::vector<std::uint16_t> availCounts;
    std::vector<std::string> events;
};

class PacedPort : public LinkedPort {
protected:
    PacedPort()
        : LinkedPort(1000)
    { }
};

int codeOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const PortError& e) {
        return e.code();
    }
    return 0;
}

} // namespace

TEST(TWsComPortSettings, ValuesAtCreation)
{
    VirtualLoop loop;
    TWsComPort port(loop, {});
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.DeviceLayer(), TDeviceLayer::dlWin32);
    EXPECT_EQ(port.ComNumber(), 0);
    EXPECT_EQ(port.Baud(), 19200);
    EXPECT_EQ(port.DataBits(), 8);
    EXPECT_EQ(port.StopBits(), 1);
    EXPECT_EQ(port.Parity(), TParity::pNone);
    EXPECT_EQ(port.InSize(), 4096);
    EXPECT_EQ(port.OutSize(), 4096);
    EXPECT_TRUE(port.DTR());
    EXPECT_TRUE(port.RTS());
    EXPECT_EQ(port.HWFlowOptions(), 0);
    EXPECT_EQ(port.SWFlowOptions(), TSWFlowOptions::swfNone);
    EXPECT_EQ(port.TriggerLength(), 1);
    EXPECT_TRUE(port.PromptForPort());
    EXPECT_FALSE(port.AutoOpen());
    EXPECT_EQ(port.WsMode(), TWsMode::wsClient);
    EXPECT_EQ(port.WsAddress(), "");
    EXPECT_EQ(port.WsPort(), "telnet");
    EXPECT_TRUE(port.WsTelnet());
}

TEST_F(LinkedPort, PutStringTakesAllBytesOrNone)
{
    port.SetOutSize(1024);
    port.SetOpen(true);
    EXPECT_EQ(codeOf([&] { port.PutString(std::string(1025, 'x')); }), -3006);
    EXPECT_EQ(port.OutBuffUsed(), 0);
    EXPECT_EQ(codeOf([&] { port.PutString(std::string(1024, 'y')); }), 0);
    EXPECT_EQ(port.OutBuffUsed(), 1024);
    EXPECT_EQ(codeOf([&] { port.PutString("z"); }), -3006);
    loop.runPending();
    EXPECT_EQ(atTerminal, std::string(1024, 'y'));
    EXPECT_EQ(port.OutBuffUsed(), 0);
}

TEST_F(LinkedPort, PutStringOnAClosedPortFails)
{
    EXPECT_EQ(codeOf([&] { port.PutString("V\r"); }), -3004);
    port.SetAutoOpen(true);
    EXPECT_EQ(codeOf([&] { port.PutString("V\r"); }), 0);
    EXPECT_TRUE(port.Open());
    loop.runPending();
    EXPECT_EQ(atTerminal, "V\r");
}

TEST_F(LinkedPort, EachArrivalIsReportedOnceWithItsCountOnALaterTurnOfTheLoop)
{
    port.SetOpen(true);
    link.write("AP");
    loop.runPending();
    link.write("1.0\r");
    loop.runPending();
    EXPECT_EQ(availCounts, (std::vector<std::uint16_t> { 2, 4 }));
    EXPECT_EQ(taken, "AP1.0\r");
}

TEST_F(LinkedPort, TheCountNeverExceedsWhatIsWaiting)
{
    port.SetOnTriggerAvail([this](std::uint16_t count) { availCounts.push_back(count); });
    port.SetOpen(true);
    bool flushed = false;
    port.setProtocolTap([&] {
        if (!flushed) {
            flushed = true;
            port.GetChar();
        }
    });
    link.write("abc");
    loop.runPending();
    EXPECT_EQ(availCounts, std::vector<std::uint16_t> { 2 });

    port.setProtocolTap([&] { port.FlushInBuffer(); });
    link.write("de");
    loop.runPending();
    EXPECT_EQ(availCounts, std::vector<std::uint16_t> { 2 });
}

TEST_F(LinkedPort, AFullInputBufferLeavesTheRestInTheDeviceAndLosesNothing)
{
    port.SetInSize(16);
    port.SetOnTriggerAvail([this](std::uint16_t count) { availCounts.push_back(count); });
    port.SetOpen(true);
    std::string sent;
    for (int i = 0; i < 40; ++i)
        sent += static_cast<char>('A' + i % 26);
    link.write(sent);
    loop.runPending();
    EXPECT_EQ(port.InBuffUsed(), 16);
    while (taken.size() < sent.size()) {
        ASSERT_GT(port.InBuffUsed(), 0);
        while (port.InBuffUsed() > 0)
            taken += port.GetChar();
        loop.runPending();
    }
    EXPECT_EQ(taken, sent);
}

TEST_F(LinkedPort, GetCharOnAnEmptyBufferGivesCharacterZero)
{
    port.SetOpen(true);
    EXPECT_EQ(port.GetChar(), '\0');
}

TEST_F(PacedPort, TheOutputTriggerFiresOnceAtOrBelowItsValueThenDisarms)
{
    port.SetOpen(true);
    const std::uint16_t handle = port.AddStatusTrigger(4);
    EXPECT_NE(handle, 0);
    port.PutString(std::string(500, 'x'));
    port.SetStatusTrigger(handle, 10, true);
    loop.advance(489ms); // 11 bytes left
    EXPECT_TRUE(events.empty());
    loop.advance(61ms); // seen within a tick of reaching 10
    ASSERT_EQ(events.size(), 1u);
    EXPECT_LE(std::stoi(events[0].substr(8)), 10);
    loop.advance(1000ms);
    EXPECT_EQ(events.size(), 1u);

    port.PutString(std::string(100, 'y'));
    loop.advance(200ms);
    EXPECT_EQ(events.size(), 1u);
    port.SetStatusTrigger(handle, 10, true);
    EXPECT_EQ(events.size(), 1u); // raised on the loop, not inside the call
    loop.runPending();
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(PacedPort, RemovedTriggersNeverFire)
{
    port.SetOpen(true);
    const std::uint16_t handle = port.AddStatusTrigger(4);
    port.PutString(std::string(50, 'x'));
    port.SetStatusTrigger(handle, 1, true);
    port.RemoveAllTriggers();
    loop.advance(1000ms);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(port.AddStatusTrigger(3), 0);
}

TEST_F(PacedPort, FlushOutBufferDropsWhatHasNotLeft)
{
    port.SetOpen(true);
    port.PutString("0123456789");
    loop.advance(3ms);
    port.FlushOutBuffer();
    EXPECT_EQ(port.OutBuffUsed(), 0);
    port.PutString("!");
    loop.advance(100ms);
    EXPECT_EQ(atTerminal, "012!");
}

TEST_F(LinkedPort, FlushInBufferDropsWaitingBytes)
{
    port.SetOnTriggerAvail({});
    port.SetOpen(true);
    link.write("stale");
    loop.runPending();
    port.FlushInBuffer();
    EXPECT_EQ(port.InBuffUsed(), 0);
    link.write("new");
    loop.runPending();
    EXPECT_EQ(port.GetChar(), 'n');
}

TEST_F(LinkedPort, AddressAndPortAreStoredTrimmedAndFixedWhileConnected)
{
    port.SetWsAddress("  192.168.0.10 \t");
    port.SetWsPort(" 10001 ");
    EXPECT_EQ(port.WsAddress(), "192.168.0.10");
    EXPECT_EQ(port.WsPort(), "10001");
    port.SetDeviceLayer(TDeviceLayer::dlWinsock);
    port.SetOpen(true);
    EXPECT_EQ(codeOf([&] { port.SetWsAddress("192.168.0.11"); }), 9006);
    EXPECT_EQ(codeOf([&] { port.SetWsPort("10002"); }), 9006);
    EXPECT_EQ(codeOf([&] { port.SetWsAddress(" 192.168.0.10"); }), 0);
    EXPECT_EQ(codeOf([&] { port.SetWsPort("10001"); }), 0);
    EXPECT_EQ(port.WsAddress(), "192.168.0.10");
    EXPECT_EQ(port.WsPort(), "10001");
    port.SetOpen(false);
    EXPECT_EQ(codeOf([&] { port.SetWsAddress("10.0.0.1"); }), 0);
}

TEST_F(LinkedPort, ANetworkPortClosedByTheOtherSideDisconnectsOnce)
{
    port.SetDeviceLayer(TDeviceLayer::dlWinsock);
    port.SetOpen(true);
    loop.runPending();
    EXPECT_EQ(events, std::vector<std::string> { "connect" });
    link.disconnect();
    loop.runPending();
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(events, (std::vector<std::string> { "connect", "disconnect" }));
    port.SetOpen(false);
    loop.runPending();
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(LinkedPort, ClosingAConnectedNetworkPortDisconnectsOnceButASerialPortNever)
{
    port.SetDeviceLayer(TDeviceLayer::dlWinsock);
    port.SetOpen(true);
    loop.runPending();
    port.SetOpen(false);
    port.SetOpen(false);
    loop.runPending();
    EXPECT_EQ(events, (std::vector<std::string> { "connect", "disconnect" }));

    events.clear();
    port.SetDeviceLayer(TDeviceLayer::dlWin32);
    port.SetOpen(true);
    loop.runPending();
    port.SetOpen(false);
    loop.runPending();
    EXPECT_TRUE(events.empty());
}

TEST_F(LinkedPort, AResetRaisesTheErrorThenDisconnects)
{
    port.SetDeviceLayer(TDeviceLayer::dlWinsock);
    port.SetOpen(true);
    loop.runPending();
    link.disconnect(10054);
    loop.runPending();
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(events, (std::vector<std::string> { "connect", "error 10054", "disconnect" }));
}

TEST_F(LinkedPort, OpenDuringAPendingCloseIsCarriedOutAfterIt)
{
    port.SetDeviceLayer(TDeviceLayer::dlWinsock);
    // The error arrives while the close the port asked for itself is still pending.
    port.SetOnWsError([this](int code) {
        events.push_back("error " + std::to_string(code));
        EXPECT_TRUE(port.Open());
        port.SetOpen(true);
    });
    port.SetOnWsDisconnect([this] {
        events.push_back("disconnect");
        EXPECT_TRUE(port.Open()); // already open again when the event is delivered
    });
    port.SetOpen(true);
    loop.runPending();
    link.disconnect(10053);
    loop.runPending();
    EXPECT_TRUE(port.Open());
    EXPECT_TRUE(link.stationConnected());
    EXPECT_EQ(devicesMade, 2);
    EXPECT_EQ(events, (std::vector<std::string> { "connect", "error 10053", "disconnect", "connect" }));
}

TEST_F(LinkedPort, EventHandlersMayCloseThePort)
{
    port.SetOnTriggerAvail([this](std::uint16_t) { port.SetOpen(false); });
    port.SetOpen(true);
    link.write("x");
    link.write("y");
    loop.runPending();
    EXPECT_FALSE(port.Open());
    link.write("z");
    loop.runPending();
    EXPECT_FALSE(port.Open());
}

TEST_F(LinkedPort, AssignCopiesThePortSettingsButNotTheNetworkOnes)
{
    TWsComPort source(loop, {});
    source.SetDeviceLayer(TDeviceLayer::dlWinsock);
    source.SetComNumber(7);
    source.SetBaud(115200);
    source.SetParity(TParity::pMark);
    source.SetDataBits(7);
    source.SetStopBits(2);
    source.SetInSize(512);
    source.SetOutSize(1024);
    source.SetAutoOpen(true);
    source.SetPromptForPort(false);
    source.SetDTR(false);
    source.SetRTS(false);
    source.SetTriggerLength(3);
    source.SetHWFlowOptions(hwfUseRTS | hwfRequireCTS);
    source.SetSWFlowOptions(TSWFlowOptions::swfBoth);
    source.SetWsAddress("10.1.1.1");
    source.SetWsPort("23");
    source.SetWsTelnet(false);
    int sourceAvail = 0;
    source.SetOnTriggerAvail([&](std::uint16_t) { ++sourceAvail; });
    source.SetOnWsDisconnect([] {});
    source.SetOnTriggerOutbuffUsed([] {});

    port.SetWsAddress("10.2.2.2");
    port.SetOpen(true);
    port.Assign(source);

    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.DeviceLayer(), TDeviceLayer::dlWinsock);
    EXPECT_EQ(port.ComNumber(), 7);
    EXPECT_EQ(port.Baud(), 115200);
    EXPECT_EQ(port.Parity(), TParity::pMark);
    EXPECT_EQ(port.DataBits(), 7);
    EXPECT_EQ(port.StopBits(), 2);
    EXPECT_EQ(port.InSize(), 512);
    EXPECT_EQ(port.OutSize(), 1024);
    EXPECT_TRUE(port.AutoOpen());
    EXPECT_FALSE(port.PromptForPort());
    EXPECT_FALSE(port.DTR());
    EXPECT_FALSE(port.RTS());
    EXPECT_EQ(port.TriggerLength(), 3);
    EXPECT_EQ(port.HWFlowOptions(), hwfUseRTS | hwfRequireCTS);
    EXPECT_EQ(port.SWFlowOptions(), TSWFlowOptions::swfBoth);
    EXPECT_EQ(port.WsAddress(), "10.2.2.2");
    EXPECT_EQ(port.WsPort(), "telnet");
    EXPECT_TRUE(port.WsTelnet());
    ASSERT_TRUE(port.OnTriggerAvail());
    port.OnTriggerAvail()(1);
    EXPECT_EQ(sourceAvail, 1);
    port.OnTriggerOutbuffUsed()();
    EXPECT_EQ(events, std::vector<std::string> { "outbuff 0" });
    ASSERT_TRUE(port.OnWsDisconnect());
    port.OnWsDisconnect()();
    EXPECT_EQ(events.back(), "disconnect");
}

TEST_F(LinkedPort, PortNumberZero)
{
    struct Case {
        bool prompt;
        bool withDialog;
        std::optional<std::uint16_t> answer;
        int code;
        std::uint16_t comNumberAfter;
    };
    const Case cases[] = {
        { false, true, 3, -2011, 0 },
        { true, false, 3, -2011, 0 },
        { true, true, std::nullopt, -2011, 0 },
        { true, true, 5, 0, 5 },
    };
    for (const Case& c : cases) {
        ScriptedSelectPort dialog;
        dialog.answer = c.answer;
        port.SetOpen(false);
        port.SetComNumber(0);
        port.SetPromptForPort(c.prompt);
        port.setSelectPortDialog(c.withDialog ? &dialog : nullptr);
        EXPECT_EQ(codeOf([&] { port.SetOpen(true); }), c.code);
        EXPECT_EQ(port.Open(), c.code == 0);
        EXPECT_EQ(port.ComNumber(), c.comNumberAfter);
        EXPECT_EQ(dialog.shown, c.prompt && c.withDialog ? 1 : 0);
        if (dialog.shown) {
            EXPECT_EQ(dialog.offered, (std::vector<std::uint16_t> { 2, 5 }));
        }
    }
}
