#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/DateTimeFormat.h"
#include "station/StationRig.h"

using namespace talvix;
using namespace talvix::test;

namespace {

class StationPolling : public ::testing::Test {
protected:
    StationRig rig;
    TMDIChild& station = rig.station;
    sim::SimTerminalConfig& terminal = rig.terminal.config();
};

} // namespace

// The first answer fills the fields, the second sets the bits, the third is the second complete
// evaluation in a row.
TEST_F(StationPolling, OnlineOnlyAtTheThirdIdenticalPollAndOfflineAtTheSecondWithoutAnswer)
{
    rig.start(OffLine);
    rig.tick(); // sends the first poll
    const std::vector<int> displayCounts = { 0, 1 };
    for (int expected : displayCounts) {
        rig.tick();
        EXPECT_EQ(station.Mode, OffLine);
        EXPECT_EQ(station.DisplayCnt, expected);
    }
    EXPECT_EQ(rig.shown(TViewItem::B_AP), "");
    rig.tick();
    EXPECT_EQ(station.Mode, Status);
    EXPECT_EQ(rig.shown(TViewItem::B_AP), terminal.ap);
    EXPECT_EQ(rig.shown(TViewItem::B_Art), terminal.deviceName);
    EXPECT_EQ(rig.shown(TViewItem::B_SNr), "123456");
    EXPECT_EQ(rig.shown(TViewItem::B_Rec), "00000");
    EXPECT_TRUE(station.Presentation.snrEnabled());
    EXPECT_EQ(rig.shown(TViewItem::B_Message), "msg_NoData");

    // The poll sent with the last evaluation has been answered; the two after it are not.
    terminal.silent = true;
    rig.tick(2);
    EXPECT_EQ(station.Mode, Status);
    EXPECT_EQ(station.DisplayCnt, 1);
    rig.tick();
    EXPECT_EQ(station.Mode, OffLine);
    EXPECT_EQ(rig.shown(TViewItem::B_Message), "msg_free");
    EXPECT_EQ(rig.shown(TViewItem::B_AP), "");
    EXPECT_EQ(station.SNr, "");
}

TEST_F(StationPolling, AnswersThatKeepChangingCountAsIncomplete)
{
    rig.start(OffLine);
    rig.tickUntilOnline();
    ASSERT_EQ(station.Mode, Status);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(station.Mode, Status);
        terminal.ap = " SCAN1 1.2" + std::to_string(4 + i);
        rig.tick();
    }
    EXPECT_EQ(station.Mode, OffLine);
}

TEST_F(StationPolling, AnswerWithoutLBIsCompleteAndWithoutBPKeepsOnlineWithoutRefreshing)
{
    terminal.lb.clear();
    rig.start(OffLine);
    rig.tickUntilOnline();
    ASSERT_EQ(station.Mode, Status);
    EXPECT_EQ(station.RcvOK, answer::WithoutLB);

    terminal.bp.clear();
    terminal.ap = " SCAN1 2.00";
    for (int i = 0; i < 6; ++i)
        rig.tick();
    EXPECT_EQ(station.Mode, Status);
    EXPECT_EQ(station.AP, " SCAN1 2.00");
    EXPECT_EQ(rig.shown(TViewItem::B_AP), " SCAN1 1.23") << "236 never refreshes the display";
}

// Each row: the answer bits of one poll, evaluated in OffLine with one complete evaluation behind.
TEST_F(StationPolling, WhichAnswerBitsCountAsComplete)
{
    struct Case {
        std::uint16_t RcvOK;
        int DisplayCnt;
        TMode mode;
    };
    const std::vector<Case> cases = {
        { 508, 2, Status },
        { 252, 2, Status },
        { 236, 2, OffLine },
        { 253, 0, OffLine },
        { 509, 0, OffLine },
        { 500, 0, OffLine },
        { 5, 0, OffLine },
        { 0, 0, OffLine },
    };
    rig.start(OffLine);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.RcvOK);
        station.SetMode(OffLine);
        station.DisplayCnt = 1;
        station.RcvOK = c.RcvOK;
        station.StatusAnzeigen();
        EXPECT_EQ(station.DisplayCnt, c.DisplayCnt);
        EXPECT_EQ(station.Mode, c.mode);
    }
}

TEST_F(StationPolling, LockFlagT3SetsBothLocksAndT0ReturnsToStatus)
{
    terminal.lock = sim::LockFlag::T3;
    rig.start(OffLine);
    rig.tick(5);
    EXPECT_EQ(station.Mode, DataAlready);
    EXPECT_TRUE(station.Fg_DatenSperre);
    EXPECT_TRUE(station.Fg_TransferSperre);
    EXPECT_EQ(rig.shown(TViewItem::B_Message), "msg_DataTransmitted");

    terminal.lock = sim::LockFlag::T0;
    rig.tick();
    EXPECT_EQ(station.Mode, Status);
    EXPECT_FALSE(station.Fg_DatenSperre);
    EXPECT_FALSE(station.Fg_TransferSperre);
}

TEST_F(StationPolling, TransferLockAloneInhibits)
{
    terminal.lock = sim::LockFlag::T2;
    rig.start(OffLine);
    rig.tick(5);
    EXPECT_EQ(station.Mode, DataInhibit);
    EXPECT_EQ(rig.shown(TViewItem::B_Message), "msg_DataInhibited");
}

// After a reception the terminal still reports its records without the lock: the station goes
// back to Status and sends the lock command again, until the terminal reports the lock.
TEST_F(StationPolling, TheLockCommandIsRepeatedWhileRecordsRemainWithoutTheLock)
{
    rig.terminal.setData("%%STX\r\nrecord\r\n");
    rig.start(OffLine);
    rig.tickUntilOnline();
    ASSERT_EQ(station.Mode, Status);
    EXPECT_EQ(rig.shown(TViewItem::B_Message), "msg_DataReady");
    rig.terminal.clearCommands();
    station.Fg_T1Set = true;
    station.SetMode(DataSaved);
    rig.tick();
    EXPECT_EQ(station.Mode, Status);
    EXPECT_EQ(rig.received("T1"), 0);
    rig.tick();
    EXPECT_EQ(rig.received("T1"), 1);
    rig.tick(4);
    EXPECT_EQ(station.Mode, DataAlready);
    EXPECT_EQ(rig.received("T1"), 1);
}

TEST_F(StationPolling, TerminalInItsBootProgramReachesBootProgAndReadyForUpdate)
{
    terminal.bootProgram = true;
    rig.start(OffLine);
    rig.tick(3);
    EXPECT_EQ(station.Mode, BootProg);
    rig.tick();
    EXPECT_NE(rig.shown(TViewItem::B_Message), "msg_ReadyUpDate");
    rig.tick();
    EXPECT_EQ(rig.shown(TViewItem::B_Message), "msg_ReadyUpDate");
    EXPECT_EQ(rig.shown(TViewItem::B_BP), terminal.bp);
    EXPECT_EQ(rig.shown(TViewItem::B_AP), "");

    // The last poll has been answered; two more without a boot-loader answer follow.
    terminal.bootProgram = false;
    terminal.silent = true;
    rig.tick(2);
    EXPECT_EQ(station.Mode, BootProg);
    rig.tick();
    EXPECT_EQ(station.Mode, OffLine);
}

TEST_F(StationPolling, ClockIsSetExactlyOncePerConnection)
{
    station.Settings.cbAutoSetTime = true;
    rig.start(OffLine);
    rig.tick(3);
    rig.loop.setLocalTime({ 2024, 3, 18, 14, 29, 59, 500 }); // the next tick is at 14:30:00.100
    rig.tick();
    ASSERT_EQ(station.Mode, Status);
    rig.tick(10);
    std::vector<std::string> settim;
    for (const std::string& command : rig.terminal.commands())
        if (command.starts_with("SETTIM:"))
            settim.push_back(command);
    EXPECT_EQ(settim, std::vector<std::string> { "SETTIM:MO180324143000" });

    terminal.silent = true;
    rig.tick(3);
    terminal.silent = false;
    rig.tick(10);
    EXPECT_EQ(rig.received("SETTIM:"), 2) << "a new connection sets the clock once more";
}

TEST_F(StationPolling, TheClockCommandIsLogged)
{
    station.Settings.cbAutoSetTime = true;
    rig.host.logLevel = 2;
    rig.start(OffLine);
    rig.tick(3);
    rig.loop.setLocalTime({ 2024, 3, 18, 14, 29, 59, 500 });
    rig.tick();
    EXPECT_NE(std::find(rig.host.log.begin(), rig.host.log.end(), LogLine { 2, "set date/time: 180324143000" }),
        rig.host.log.end());
}

TEST_F(StationPolling, NoPollWhileOutputIsStillQueued)
{
    StationRig paced(1000); // a line of 1000 bytes per second
    paced.start(Status);
    paced.station.ComPort->PutString(std::string(1500, 'x') + "\r");
    paced.tick(2);
    EXPECT_EQ(paced.received("V"), 0);
    paced.tick(2);
    EXPECT_GE(paced.received("V"), 1);
}

TEST_F(StationPolling, UtilitiesPageShowsTheTerminalClockWithItsCentury)
{
    rig.start(OffLine);
    rig.tickUntilOnline();
    station.SetMode(CmdPageMode);
    station.Presentation.setBook(TBookPage::CmdPage);
    rig.terminal.clearCommands();
    rig.tick();
    EXPECT_EQ(rig.shown(TViewItem::B_DevDate), "");
    rig.tick();
    EXPECT_EQ(station.Mode, CmdPageMode);
    EXPECT_EQ(rig.shown(TViewItem::B_DevDate), "18.03.2024");
    // The terminal's clock as it answered the previous tick's poll.
    EXPECT_EQ(rig.shown(TViewItem::B_DevTime), FormatDateTime("hh:nn:ss", rig.loop.localNow().plus(-Timer1Interval)));
    EXPECT_EQ(rig.shown(TViewItem::B_SNr), "123456");
    EXPECT_EQ(rig.shown(TViewItem::B_SysDate), "18.03.2024");
    EXPECT_EQ(rig.shown(TViewItem::B_SysTime), FormatDateTime("hh:nn:ss", rig.loop.localNow()));
    EXPECT_EQ(rig.received("V"), 0) << "the utilities page polls the clock instead of the status";
    EXPECT_EQ(rig.received("T"), 2);

    terminal.silent = true;
    rig.tick(3);
    EXPECT_EQ(station.Mode, Status);
    EXPECT_EQ(station.Presentation.book(), TBookPage::StatusPage);
}

// After "S/N:" was sent (TimeOut counting) the answer on the utilities page tells whether the
// terminal took the number; without an answer the count runs out.
TEST_F(StationPolling, ProgrammedSerialNumberIsCheckedAgainstTheAnswer)
{
    rig.start(OffLine);
    rig.tickUntilOnline();
    station.SetMode(CmdPageMode);
    rig.tick(2);
    station.Presentation.setText(TViewItem::SNrEdit, "654321");
    station.SetTimeout(20);
    rig.tick();
    EXPECT_EQ(station.TimeOut, 0);
    EXPECT_EQ(rig.dialogs.shown, std::vector<std::string> { "msg_ErrProg" }) << "the terminal kept 123456";

    rig.dialogs.shown.clear();
    terminal.silent = true;
    rig.tick(); // the poll already answered
    station.SetTimeout(20);
    rig.tick(19);
    EXPECT_TRUE(rig.dialogs.shown.empty());
    rig.tick();
    EXPECT_EQ(rig.dialogs.shown, std::vector<std::string> { "msg_ErrProg" });
    EXPECT_EQ(rig.shown(TViewItem::SNrEdit), "123456");
}
