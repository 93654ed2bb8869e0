// Start, progress and end of transfers with the transfer engine under the test's control: the
// start conditions, the two pauses, progress and the watchdog, and the end by mode.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "station/ReceptionRig.h"

using namespace talvix;
using namespace talvix::test;

namespace {

class ScriptedDialUp final : public InternetDialUp {
public:
    bool IsConnectedToInternet() override { return connected; }
    bool InternetConnect() override
    {
        ++dials;
        return false;
    }
    void InternetDisconnect() override { ++hangUps; }

    bool connected = false;
    int dials = 0;
    int hangUps = 0;
};

struct TransferRig {
    TransferRig()
    {
        std::filesystem::create_directories(dataFolder);
        std::filesystem::create_directories(tempFolder);
        station.Settings.EditDataPath = dataFolder;
        station.DialUp = &dialUp;
        // No terminal: the engine is the test's, and nothing answers.
        rig.link.setReceiver([this](std::string_view bytes) { toTerminal += bytes; });
    }

    // Online with five records, the terminal letting them go.
    void online(TMode mode = Status)
    {
        rig.start(mode);
        station.Rec = "00005";
        station.Presentation.setText(TViewItem::B_Rec, "00005");
    }
    // Started and past the 200 ms pause.
    void started()
    {
        online();
        station.Datenempfangen1Click();
        rig.loop.advance(Millis { 200 });
    }
    void finish(int code)
    {
        transfer().running = false;
        transfer().onFinish(code);
    }
    WatchedTransfer& transfer() { return *rig.backends.transfer; }
    bool sent(const std::string& bytes) const { return toTerminal.find(bytes) != std::string::npos; }
    bool logged(int level, const std::string& msg) const
    {
        return std::find(rig.host.log.begin(), rig.host.log.end(), LogLine { level, msg }) != rig.host.log.end();
    }

    StationRig rig;
    TMDIChild& station = rig.station;
    ScriptedDialUp dialUp;
    std::string toTerminal;
    const std::string dataFolder = rig.folder / "data";
    const std::string tempFolder = rig.folder / "temp";
    TempFolderVariable temp { tempFolder };
};

} // namespace

TEST(StationTransfer, AReceptionStartsOnlyWhenTheTerminalLetsItsDataGo)
{
    struct Case {
        const char* name;
        TMode mode;
        bool Fg_TransferSperre;
        std::string Rec;
        bool starts;
    };
    const Case cases[] = {
        { "records", Status, false, "00005", true },
        { "inhibited", Status, true, "00005", false },
        { "no records", Status, false, "00000", false },
        { "no number", Status, false, "abc", false },
        { "named file in the directory view", ReadDir, true, "", true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TransferRig fresh;
        fresh.online(c.mode);
        fresh.station.Fg_TransferSperre = c.Fg_TransferSperre;
        fresh.station.Rec = c.Rec;
        fresh.station.DatenEmpfangen(c.mode == ReadDir ? "DIR.SYS" : "");
        fresh.rig.loop.advance(Millis { 200 });
        EXPECT_EQ(fresh.sent(c.mode == ReadDir ? "XD:DIR.SYS\r" : "XD\r"), c.starts);
        EXPECT_EQ(fresh.transfer().running, c.starts);
        EXPECT_EQ(fresh.station.Mode, c.starts && c.mode == Status ? DataReceive : c.mode);
        EXPECT_EQ(fresh.rig.shown(TViewItem::B_Message), c.starts ? "msg_ReceiveActiv" : "");
    }
}

TEST(StationTransfer, TheReceiveStartsAfter200msAndTheTerminalIsToldItsOutcome500msAfterTheEnd)
{
    TransferRig r;
    r.online();
    r.station.Datenempfangen1Click();
    r.rig.loop.advance(Millis { 199 });
    EXPECT_TRUE(r.sent("XD\r"));
    EXPECT_FALSE(r.transfer().running);
    EXPECT_EQ(r.station.Presentation.gauge(), (GaugeState { true, 5, 0 }));
    r.station.Timer1Timer(); // a tick during the pause does nothing
    EXPECT_EQ(r.station.TimeOut, 25);
    r.rig.loop.advance(Millis { 1 });
    ASSERT_TRUE(r.transfer().running);
    EXPECT_EQ(r.transfer().type, TProtocolType::ptXmodemCRC);
    const std::string received = r.transfer().fileName;
    EXPECT_EQ(std::filesystem::path(received).parent_path(), r.tempFolder);
    EXPECT_TRUE(std::filesystem::path(received).filename().string().starts_with("$"));

    WriteFile(received, "R1\r\nR2\r\n\x1A\x1A");
    r.station.DisplayCnt = 0;
    r.finish(0);
    EXPECT_EQ(ReadFile(r.dataFolder + "/Talvix.txt"), "R1\r\nR2\r\n");
    EXPECT_FALSE(std::filesystem::exists(received));
    EXPECT_EQ(r.station.DisplayCnt, 2) << "online at once";
    EXPECT_FALSE(r.station.Presentation.gauge().visible);
    EXPECT_EQ(r.station.Presentation.childStatusText(), r.station.Settings.Data_Path);
    r.station.Timer1Timer();
    EXPECT_EQ(r.station.Presentation.childStatusText(), r.station.Settings.Data_Path) << "the watchdog waits";
    r.rig.loop.advance(Millis { 499 });
    EXPECT_FALSE(r.sent("T1"));
    EXPECT_EQ(r.station.Mode, DataReceive);
    r.rig.loop.advance(Millis { 1 });
    EXPECT_TRUE(r.sent("\rT1\r"));
    EXPECT_EQ(r.station.Mode, DataSaved);
}

TEST(StationTransfer, AFailedTransferLeavesTheTerminalItsData)
{
    struct Case {
        const char* name;
        int code;
        const char* content; // null: no file at all
    };
    const Case cases[] = {
        { "error", -6005, "R1\r\n" },
        { "empty file", 0, "" },
        { "no file", 0, nullptr },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TransferRig fresh;
        fresh.started();
        const std::string received = fresh.transfer().fileName;
        if (c.content)
            WriteFile(received, c.content);
        else
            std::filesystem::remove(received);
        fresh.finish(c.code);
        fresh.rig.loop.advance(Millis { 600 });
        EXPECT_EQ(fresh.station.Mode, WaitOfResponse);
        EXPECT_EQ(fresh.station.TimeOut, 59) << "60 ticks, one gone";
        EXPECT_EQ(fresh.rig.shown(TViewItem::B_Message), "msg_TransferCancel");
        EXPECT_FALSE(fresh.sent("T1") || fresh.sent("T0"));
        EXPECT_EQ(fresh.logged(1, "Protocol Error: -6005"), c.code != 0);
        EXPECT_EQ(fresh.transfer().cancels, c.code != 0 ? 1 : 0) << "the engine is told to cancel";
        EXPECT_EQ(std::filesystem::exists(received), c.content != nullptr);
        EXPECT_EQ(fresh.station.DisplayCnt, 2);
    }
}

TEST(StationTransfer, ProgressMovesTheGaugeAndReArmsTheWatchdog)
{
    struct Case {
        const char* name;
        TMode mode;
        bool cancelled;
        int before; // H_BytesTransferred
        int position; // of the gauge afterwards
        int TimeOut;
    };
    const Case cases[] = {
        { "receiving counts records", DataReceive, false, 0, 3, 25 },
        { "sending counts bytes", LoadTbl, false, 0, 256, 25 },
        { "no growth", ConfigRead, false, 256, 0, 2 },
        { "after the watchdog", DataReceive, true, 0, 0, 2 },
        { "directory read", ReadDir, false, 0, 0, 2 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TransferRig fresh;
        fresh.online(c.mode);
        fresh.station.EnableGauge(300);
        fresh.station.TimeOut = 2;
        fresh.station.Fg_CancelProtocol = c.cancelled;
        fresh.station.H_BytesTransferred = c.before;
        fresh.transfer().bytes = 256;
        fresh.transfer().records = 3;
        fresh.station.ProtocolStatus(0);
        EXPECT_EQ(fresh.station.Presentation.gauge().position, c.position);
        EXPECT_EQ(fresh.station.TimeOut, c.TimeOut);
        EXPECT_EQ(fresh.station.H_BytesTransferred, c.TimeOut == 25 ? 256 : c.before);
    }
}

TEST(StationTransfer, EveryOtherTransferEndsByItsMode)
{
    struct Case {
        TMode mode;
        int code;
        bool androidUpdate;
        TMode modeAfter;
        int TimeOut;
        std::string message;
        std::vector<LogLine> log;
        std::vector<std::string> boxes;
        bool editorOpened;
        int cancels;
    };
    const Case cases[] = {
        { SWUpDate, 0, true, WaitOfResponse, 5, "msg_TransferEnd", { { 4, "software update" } }, {}, false, 0 },
        { LoadTbl, 0, false, WaitOfResponse, 5, "msg_TransferEnd", { { 4, "table/config loaded" } }, {}, false, 0 },
        { ConfigWrite, -6006, false, WaitOfResponse, 5, "msg_TransferCancel",
            { { 1, "Protocol Error: -6006" }, { 4, "upload cancel" } }, {}, false, 1 },
        { ConfigRead, 0, false, WaitOfResponse, 60, "msg_ReadConfig", { { 2, "send config" } }, {}, false, 0 },
        { ConfigRead, -6005, false, WaitOfResponse, 60, "msg_ReadConfig", { { 1, "Protocol Error: -6005" } },
            { "msg_TransferCancel" }, false, 1 },
        { ErrorDump, 0, false, WaitOfResponse, 60, "", {}, {}, true, 0 },
        { ErrorDump, -6008, false, WaitOfResponse, 60, "", { { 1, "Protocol Error: -6008" } }, { "msg_TransferCancel" },
            false, 2 },
        { Status, -6005, false, Status, 0, "", { { 1, "Protocol Error: -6005" } }, {}, false, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << int(c.mode) << " " << c.code);
        TransferRig fresh;
        fresh.online(c.mode);
        fresh.station.Fg_AndroidUpdate = c.androidUpdate;
        fresh.station.Fg_CancelProtocol = true;
        fresh.station.EnableGauge(10);
        fresh.station.RcvOK = answer::Complete;
        fresh.station.HelpBuf = "S/N:";
        fresh.rig.host.log.clear();
        fresh.finish(c.code);

        EXPECT_EQ(fresh.station.Mode, c.modeAfter);
        EXPECT_EQ(fresh.station.TimeOut, c.TimeOut);
        EXPECT_EQ(fresh.rig.shown(TViewItem::B_Message), c.message);
        std::vector<LogLine> log;
        for (const LogLine& line : fresh.rig.host.log)
            if (line.msg != "wait of response")
                log.push_back(line);
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(fresh.rig.dialogs.shown, c.boxes);
        EXPECT_EQ(fresh.rig.host.edited,
            c.editorOpened ? std::vector<std::string> { fresh.rig.host.ErrorDumpName() } : std::vector<std::string> {});
        EXPECT_EQ(fresh.transfer().cancels, c.cancels);
        EXPECT_EQ(fresh.station.Fg_CancelProtocol, c.modeAfter != WaitOfResponse);
        EXPECT_FALSE(fresh.station.Fg_AndroidUpdate);
        EXPECT_EQ(fresh.station.DisplayCnt, 2);
        EXPECT_EQ(fresh.station.RcvOK, 0);
        EXPECT_EQ(fresh.station.HelpBuf, "");
        EXPECT_FALSE(fresh.station.Presentation.gauge().visible);
    }
}

TEST(StationTransfer, AnUnusableDataFolderStartsNothingAndDialsWhenAsked)
{
    struct Case {
        bool AutoInternetBox;
        bool connected;
        int dials;
    };
    const Case cases[] = { { true, false, 1 }, { true, true, 0 }, { false, false, 0 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.AutoInternetBox << c.connected);
        TransferRig fresh;
        fresh.station.Settings.EditDataPath = fresh.rig.folder / "missing";
        fresh.station.Settings.AutoInternetBox = c.AutoInternetBox;
        fresh.dialUp.connected = c.connected;
        fresh.online();
        fresh.station.Datenempfangen1Click();
        fresh.rig.loop.advance(Millis { 200 });
        EXPECT_EQ(fresh.rig.shown(TViewItem::B_Message), "msg_ErrPath");
        EXPECT_EQ(fresh.station.Presentation.functionGroup(), 1);
        EXPECT_EQ(fresh.station.Mode, Status);
        EXPECT_FALSE(fresh.sent("XD"));
        EXPECT_FALSE(fresh.transfer().running);
        EXPECT_EQ(fresh.dialUp.dials, c.dials);
    }
}

TEST(StationTransfer, TheDialUpConnectionIsHungUpAtTheEndOfAReception)
{
    struct Case {
        bool AutoInternetBox;
        bool connected;
        bool transferred;
        int hangUps;
    };
    const Case cases[] = {
        { true, true, true, 1 },
        { true, true, false, 1 },
        { true, false, true, 0 },
        { false, true, true, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.AutoInternetBox << c.connected << c.transferred);
        TransferRig fresh;
        fresh.station.Settings.AutoInternetBox = c.AutoInternetBox;
        fresh.started();
        fresh.dialUp.connected = c.connected;
        WriteFile(fresh.transfer().fileName, "R1\r\n");
        fresh.finish(c.transferred ? 0 : -6005);
        fresh.rig.loop.advance(Millis { 500 });
        EXPECT_EQ(fresh.dialUp.hangUps, c.hangUps);
        EXPECT_EQ(fresh.station.Mode, c.transferred ? DataSaved : WaitOfResponse);
    }
}
