#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "station/StationRig.h"

using namespace talvix;
using namespace talvix::test;

namespace {

class StationStateMachine : public ::testing::Test {
protected:
    StationRig rig;
    TMDIChild& station = rig.station;
};

} // namespace

TEST_F(StationStateMachine, FirstTickOfASerialStationSendsTheResetSequence)
{
    rig.start(mReset);
    rig.tick();
    ASSERT_FALSE(rig.terminal.commands().empty());
    EXPECT_EQ(rig.terminal.commands().front(), std::string(ResetSequence, 7));
    EXPECT_EQ(station.Mode, OffLine);
}

TEST_F(StationStateMachine, NothingHappensWhileThePortIsClosed)
{
    rig.start(mReset);
    station.ComPort->SetOpen(false);
    rig.tick(3);
    EXPECT_EQ(station.Mode, mReset);
    EXPECT_TRUE(station.Timer1->isActive());
}

TEST_F(StationStateMachine, SetModeResetRefreshesTheModeWithoutChangingIt)
{
    station.SetMode(DataSaved);
    station.Presentation.setText(TViewItem::B_Message, "something else");
    station.SetMode(mReset);
    EXPECT_EQ(station.Mode, DataSaved);
    EXPECT_EQ(station.OldMode, DataSaved);
    EXPECT_EQ(rig.shown(TViewItem::B_Message), "msg_DataReceived");
}

TEST_F(StationStateMachine, EnteringOffLineClearsLockRepetitionSerialNumberAndRecords)
{
    station.SetMode(Status);
    station.Fg_T1Set = true;
    station.SNr = "123456";
    station.Rec = "00012";
    station.SetMode(OffLine);
    EXPECT_FALSE(station.Fg_T1Set);
    EXPECT_EQ(station.SNr, "");
    EXPECT_EQ(station.Rec, "");
    EXPECT_EQ(station.OldMode, Status);
}

TEST_F(StationStateMachine, EntryTexts)
{
    station.SetMode(WsDisconnect);
    EXPECT_EQ(rig.shown(TViewItem::B_Message), "Disconnect");
    station.Presentation.setChildStatus("file", clGray);
    station.SetMode(ReceiveFileError);
    EXPECT_EQ(rig.shown(TViewItem::B_Message), "msg_DataFileError");
    EXPECT_EQ(station.Presentation.childStatusText(), "");
    station.SetMode(Status);
    EXPECT_EQ(rig.shown(TViewItem::B_Message), "msg_DataFileError") << "Status has no text of its own";
}

TEST_F(StationStateMachine, ModeChangesAreLoggedByLevel)
{
    const std::vector<TMode> changes
        = { Status, DataReceive, DataSaved, DataSaved, Status, LoadTbl, BootProg, DataSaved };
    struct Case {
        int level;
        std::vector<std::string> logged;
    };
    const std::vector<Case> cases = {
        { 0, {} },
        { 1, { "online", "data receiving", "data received", "online", "load table", "booting", "data received" } },
        { 2, { "online", "data receiving", "data received", "online", "load table", "booting", "data received" } },
        { 3, { "online", "data receiving", "data received", "online", "load table", "data received" } },
        { 4, { "data received", "load table", "data received" } },
        { 5, { "data received", "data received" } },
        { 6, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        StationRig fresh;
        fresh.host.logLevel = c.level;
        for (TMode mode : changes)
            fresh.station.SetMode(mode);
        std::vector<std::string> logged;
        for (const LogLine& line : fresh.host.log) {
            EXPECT_EQ(line.level, c.level);
            logged.push_back(line.msg);
        }
        EXPECT_EQ(logged, c.logged);
        EXPECT_EQ(fresh.station.LastLogStatus, c.level > 0 ? DataSaved : mReset);
    }
}

TEST_F(StationStateMachine, FunctionGroupsFollowOnlyTheActiveStation)
{
    rig.host.active = false;
    station.SetMode(Status);
    EXPECT_EQ(station.Presentation.functionGroup(), 0);
    rig.host.active = true;
    station.SetMode(DataReceive);
    EXPECT_EQ(station.Presentation.functionGroup(), 4);
    station.SetMode(WaitOfResponse);
    EXPECT_EQ(station.Presentation.functionGroup(), 4) << "a mode without a group leaves the menus";

    rig.host.active = false;
    station.SetMode(BootProg);
    station.Presentation.setText(TViewItem::B_Message, "");
    rig.host.active = true;
    station.ActivateWindow();
    EXPECT_EQ(station.Presentation.functionGroup(), 8);
    EXPECT_EQ(station.Mode, BootProg);
    EXPECT_EQ(station.OldMode, WaitOfResponse);
}

TEST_F(StationStateMachine, ClearingTheErrorLogAsksWithTheTimerStopped)
{
    rig.start(Status);
    station.B_ArtMouseDown(TMouseButton::Right, { .Ctrl = true });
    ASSERT_EQ(station.Mode, ClrErrDump);
    bool timerWhileAsking = true;
    rig.dialogs.whileAsking = [&] { timerWhileAsking = station.Timer1->isActive(); };
    rig.tick();
    EXPECT_FALSE(timerWhileAsking);
    EXPECT_TRUE(station.Timer1->isActive());
    EXPECT_EQ(rig.dialogs.shown, std::vector<std::string> { "msg_ClrErrDump" });
    EXPECT_EQ(rig.received("CLRERR"), 1);
    EXPECT_EQ(station.Mode, WaitOfResponse);
    rig.tick();
    EXPECT_EQ(station.Mode, Status);
}

TEST_F(StationStateMachine, CancellingTheErrorLogClearSendsNothingAndPollsAtOnce)
{
    rig.start(Status);
    rig.dialogs.answer = TModalResult::mrCancel;
    station.B_ArtMouseDown(TMouseButton::Right, { .Ctrl = true });
    rig.tick();
    EXPECT_EQ(station.Mode, Status);
    EXPECT_EQ(rig.received("CLRERR"), 0);
    const int polls = rig.received("V");
    rig.tick();
    EXPECT_EQ(rig.received("V"), polls + 1);
}

TEST_F(StationStateMachine, DeviceNamePanelNeedsCtrlAndThePassword)
{
    station.SetMode(Status);
    station.B_ArtMouseDown(TMouseButton::Left, {});
    station.B_ArtMouseDown(TMouseButton::Middle, { .Ctrl = true });
    EXPECT_EQ(rig.host.passwordQuestions, 0);
    rig.host.passwordGiven = false;
    station.B_ArtMouseDown(TMouseButton::Left, { .Ctrl = true });
    EXPECT_EQ(station.Mode, Status);
    rig.host.passwordGiven = true;
    station.B_ArtMouseDown(TMouseButton::Left, { .Ctrl = true });
    EXPECT_EQ(station.Mode, StartErrorDump);
}

TEST_F(StationStateMachine, WatchdogCancelsAStalledTransferOnce)
{
    rig.start(Status);
    station.SetMode(DataReceive);
    station.SetTimeout(25);
    rig.tick(25);
    EXPECT_EQ(rig.backends.transfer->cancels, 0);
    rig.tick();
    EXPECT_EQ(rig.backends.transfer->cancels, 1);
    EXPECT_TRUE(station.Fg_CancelProtocol);
    EXPECT_EQ(station.Presentation.childStatusText(), "sts_Wait");
    EXPECT_EQ(station.Presentation.childStatusColor(), clRed);
    rig.tick(50);
    EXPECT_EQ(rig.backends.transfer->cancels, 1);
}

TEST_F(StationStateMachine, WaitEndsWithTheTimeOutAndRepeatsTheCancelWhilePending)
{
    rig.terminal.config().silent = true;
    rig.start(Status);
    station.SetMode(WaitOfResponse);
    station.SetTimeout(5);
    station.Fg_CancelProtocol = true;
    station.Settings.Data_Path = "/data";
    rig.tick(5);
    EXPECT_EQ(station.Mode, WaitOfResponse);
    EXPECT_EQ(rig.received("\x18\x18\x18"), 5);
    rig.tick();
    EXPECT_EQ(station.Mode, Status);
    EXPECT_EQ(station.Presentation.childStatusText(), "/data");
    EXPECT_EQ(station.Presentation.childStatusColor(), clGray);
}

TEST_F(StationStateMachine, WaitEndsWithAStatusAnswer)
{
    rig.start(Status);
    rig.tick(4);
    station.SetMode(WaitOfResponse);
    station.SetTimeout(60);
    rig.tick(2);
    EXPECT_EQ(station.Mode, Status);
}

TEST_F(StationStateMachine, NetworkDropReconnectsTenSecondsLater)
{
    rig.startNetwork();
    EXPECT_EQ(station.Mode, OffLine) << "the connect event";
    rig.tick(5);
    ASSERT_EQ(station.Mode, Status);

    rig.link.disconnect();
    rig.loop.runPending();
    EXPECT_EQ(station.Mode, WsDisconnect);
    EXPECT_EQ(rig.backends.transfer->cancels, 1);
    EXPECT_FALSE(station.ComPort->Open());
    rig.loop.advance(std::chrono::milliseconds(9900));
    EXPECT_EQ(rig.backends.devicesMade, 1);
    EXPECT_EQ(station.Mode, WsDisconnect);
    rig.loop.advance(std::chrono::milliseconds(100));
    EXPECT_EQ(rig.backends.devicesMade, 2);
    EXPECT_TRUE(station.ComPort->Open());
    EXPECT_EQ(station.Mode, OffLine);
    EXPECT_FALSE(station.WsReconnectTimer->isActive());
    rig.tick(5);
    EXPECT_EQ(station.Mode, Status);
}

// The serial device reports itself lost (-2001) when its adapter is pulled.
TEST_F(StationStateMachine, ALostSerialDeviceIsOpenedAgainAndPolledOnceItIsBack)
{
    rig.start(OffLine);
    rig.tick(5);
    ASSERT_EQ(station.Mode, Status);

    rig.link.disconnect(-2001);
    rig.loop.runPending();
    EXPECT_EQ(station.Mode, WsDisconnect);
    EXPECT_FALSE(station.ComPort->Open());
    rig.backends.refuseOpen = true;
    rig.loop.advance(std::chrono::milliseconds(10000));
    EXPECT_EQ(station.Mode, WsDisconnect) << "not back yet";
    rig.backends.refuseOpen = false;
    station.Fg_DatenSperre = true; // the lock of the terminal that was on the line
    rig.loop.advance(std::chrono::milliseconds(10000));
    EXPECT_TRUE(station.ComPort->Open());
    EXPECT_EQ(station.Mode, OffLine);
    rig.tick();
    EXPECT_EQ(station.Mode, OffLine) << "the answers of the lost line count no more";
    rig.tick(5);
    EXPECT_EQ(station.Mode, Status);
}

TEST_F(StationStateMachine, SoftwareUpdateKeepsItsModeThroughTheReconnect)
{
    rig.startNetwork();
    station.SetMode(SWUpDate);
    rig.link.disconnect();
    rig.loop.advance(std::chrono::milliseconds(5000));
    EXPECT_EQ(station.Mode, SWUpDate);
    EXPECT_TRUE(station.WsReconnectTimer->isActive());
    rig.loop.advance(std::chrono::milliseconds(5000));
    EXPECT_EQ(rig.backends.devicesMade, 2);
    EXPECT_EQ(station.Mode, OffLine);
}

TEST_F(StationStateMachine, NetworkErrorDisconnectsEvenDuringAnUpdate)
{
    rig.startNetwork();
    station.SetMode(SWUpDate);
    rig.link.disconnect(10054);
    rig.loop.runPending();
    EXPECT_EQ(station.Mode, WsDisconnect);
    EXPECT_TRUE(station.WsReconnectTimer->isActive());
}

TEST_F(StationStateMachine, AReconnectThatRaisesIsLoggedAndTriedAgainAtTheSamePace)
{
    rig.host.logLevel = 1;
    rig.startNetwork();
    rig.link.disconnect();
    rig.backends.refuseOpen = true;
    rig.loop.advance(std::chrono::milliseconds(10000));
    EXPECT_FALSE(station.ComPort->Open());
    EXPECT_TRUE(station.WsReconnectTimer->isActive());
    EXPECT_EQ(rig.host.log.back(), (LogLine { 1, "reconnect: host not found" }));
    rig.backends.refuseOpen = false;
    rig.loop.advance(std::chrono::milliseconds(10000));
    EXPECT_EQ(rig.backends.devicesMade, 2);
    EXPECT_EQ(station.Mode, OffLine);
}
