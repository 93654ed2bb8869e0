// Receptions end to end under virtual time: the station, its port with the real XModem engine,
// an in-memory line and the simulated terminal.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "station/FileFunctions.h"
#include "station/ReceptionRig.h"

using namespace talvix;
using namespace talvix::test;

namespace {

const std::string NotStoredText = "T0\rCM00FEHLER  bei der Daten\xFC"
                                  "bertragung\r";

int lineCount(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST(StationReception, EachReceptionTakesTheNextNumberedTarget)
{
    ReceptionRig r;
    r.station.Settings.EditDataFileName = "DATA#.TXT";
    r.terminal.setData(TwoRecords);
    r.receive();

    EXPECT_EQ(r.station.Mode, DataSaved);
    EXPECT_EQ(r.rig.shown(TViewItem::B_Message), "msg_DataReceived");
    EXPECT_EQ(r.data("DATA0.TXT"), TwoRecordsStored);
    EXPECT_EQ(r.station.Naming.FileExtNo, 1);
    EXPECT_TRUE(FilesIn(r.tempFolder).empty()) << "the received file is gone once stored";
    EXPECT_TRUE(r.logged(5, "create file: " + r.dataFolder + "/DATA0.TXT /3"));
    EXPECT_FALSE(r.station.Presentation.gauge().visible);

    // Taken away, it scans new records, which replace the transmitted ones; back in its cradle it
    // is read into the next file.
    r.terminal.config().silent = true;
    r.rig.tick(3);
    ASSERT_EQ(r.station.Mode, OffLine);
    r.terminal.addRecords(3);
    r.terminal.config().silent = false;
    r.receiveNext();
    EXPECT_EQ(r.station.Mode, DataSaved);
    EXPECT_EQ(r.data("DATA0.TXT"), TwoRecordsStored);
    const std::string second = r.data("DATA1.TXT");
    EXPECT_TRUE(second.starts_with("%%STX/123456/")) << second;
    EXPECT_EQ(lineCount(second), 4) << second;
    EXPECT_EQ(FilesIn(r.dataFolder), (std::vector<std::string> { "DATA0.TXT", "DATA1.TXT" }));
}

// Still in its cradle, the locked terminal gets new records and drops its flag for them: they
// are received, never locked unread by a repeated lock command.
TEST(StationReception, NewRecordsWhileDockedAreReceivedNotLocked)
{
    ReceptionRig r;
    r.station.Settings.EditDataFileName = "DATA#.TXT";
    r.terminal.setData(TwoRecords);
    r.receive();
    r.rig.tick(5);
    ASSERT_EQ(r.terminal.config().lock, sim::LockFlag::T1);

    r.terminal.addRecords(3);
    r.receiveNext();
    EXPECT_EQ(r.station.Mode, DataSaved);
    EXPECT_EQ(lineCount(r.data("DATA1.TXT")), 4);
    EXPECT_EQ(r.terminal.config().lock, sim::LockFlag::T1);
}

// The data just stored are complete, so the terminal is locked all the same; the next path
// build finds the free number after the series.
TEST(StationReception, ATakenNextNumberStopsTheStationOnlyUntilTheReceptionEnds)
{
    ReceptionRig r;
    r.station.Settings.EditDataFileName = "DATA#.TXT";
    WriteFile(r.dataFolder + "/DATA1.TXT", "older\r\n");
    r.terminal.setData(TwoRecords);
    r.receive();
    EXPECT_EQ(r.station.Mode, DataSaved);
    EXPECT_EQ(r.station.OldMode, ReceiveFileError);
    EXPECT_EQ(r.data("DATA0.TXT"), TwoRecordsStored);
    EXPECT_EQ(r.station.Naming.FileExtNo, -1);
    EXPECT_NE(r.toTerminal.find("\rT1\r"), std::string::npos);
    EXPECT_TRUE(FilesIn(r.tempFolder).empty());

    r.station.CreatePathAndFileName();
    EXPECT_EQ(r.station.Naming.FileExtNo, 2);
}

TEST(StationReception, AfterStoringTheTerminalIsLockedOrCleared)
{
    struct Case {
        int NachReceiveGroup;
        std::string command;
        std::string logLine;
        sim::LockFlag lock;
        long long recordsLeft;
        bool repeatPending; // Fg_T1Set: the lock has not been reported back yet
    };
    const Case cases[] = {
        { 0, "\rT1\r", "set transfer lock", sim::LockFlag::T1, 2, false },
        { 1, "\rT1\rCLRMEM\r", "delete data", sim::LockFlag::T0, 0, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.NachReceiveGroup);
        ReceptionRig r;
        r.station.Settings.NachReceiveGroup = c.NachReceiveGroup;
        r.terminal.setData(TwoRecords);
        r.receive();
        EXPECT_EQ(r.station.Mode, DataSaved);
        EXPECT_NE(r.toTerminal.find(c.command), std::string::npos);
        EXPECT_TRUE(r.logged(2, c.logLine));
        EXPECT_EQ(r.station.Fg_T1Set, c.repeatPending);
        EXPECT_EQ(r.terminal.config().lock, c.lock);
        EXPECT_EQ(r.terminal.recordCount(), c.recordsLeft);
        EXPECT_EQ(r.data("Talvix.txt"), TwoRecordsStored);
    }
}

TEST(StationReception, SplitReceptionStoresEachBlockInItsOwnTarget)
{
    const std::string threeBlocks = "%%STX/123456/180324/143000/a.txt\r\nA1\r\n%%ETX 00001\r\n"
                                    "%%STX/123456/180324/143100/b.txt\r\nB1\r\nB2\r\n%%ETX 00002\r\n"
                                    "%%STX/123456/180324/143200/c.txt\r\nC1\r\n%%ETX 00001\r\n";
    struct Case {
        const char* name;
        bool split;
        std::string data;
        std::map<std::string, std::string> stored;
    };
    const Case cases[] = {
        { "split", true, threeBlocks,
            { { "a.txt", "%%STX/123456/180324/143000\r\nA1\r\n" },
                { "b.txt", "%%STX/123456/180324/143100\r\nB1\r\nB2\r\n" },
                { "c.txt", "%%STX/123456/180324/143200\r\nC1\r\n" } } },
        { "whole", false, threeBlocks,
            { { "a.txt",
                "%%STX/123456/180324/143000\r\nA1\r\n%%ETX 00001\r\n"
                "%%STX/123456/180324/143100/b.txt\r\nB1\r\nB2\r\n%%ETX 00002\r\n"
                "%%STX/123456/180324/143200/c.txt\r\nC1\r\n" } } },
        // Block by block the line before the first header would be lost.
        { "lines outside blocks", true, "A0\r\n" + threeBlocks,
            { { "Talvix.txt",
                "A0\r\n%%STX/123456/180324/143000/a.txt\r\nA1\r\n%%ETX 00001\r\n"
                "%%STX/123456/180324/143100/b.txt\r\nB1\r\nB2\r\n%%ETX 00002\r\n"
                "%%STX/123456/180324/143200/c.txt\r\nC1\r\n" } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReceptionRig r;
        r.station.Settings.Fg_ReceiveDataSplit = c.split;
        r.station.Settings.STXFullFilename = true;
        r.terminal.setData(c.data);
        r.receive();
        EXPECT_EQ(r.station.Mode, DataSaved);
        std::map<std::string, std::string> stored;
        for (const std::string& name : FilesIn(r.dataFolder))
            stored[name] = r.data(name);
        EXPECT_EQ(stored, c.stored);
        EXPECT_TRUE(FilesIn(r.tempFolder).empty());
    }
}

// Locking the terminal now would report as transmitted data that exist only in the temporary
// file; clearing it would lose them.
TEST(StationReception, AReceptionThatCannotBeStoredKeepsItsFileAndTellsTheTerminal)
{
    for (int group : { 0, 1 }) {
        SCOPED_TRACE(group);
        ReceptionRig r;
        r.station.Settings.NachReceiveGroup = group;
        std::filesystem::create_directory(r.dataFolder + "/Talvix.txt"); // the target is not a file
        r.terminal.setData(TwoRecords);
        r.receive();

        EXPECT_EQ(r.station.Mode, ReceiveFileError);
        EXPECT_EQ(r.station.OldMode, ReceiveFileError);
        EXPECT_EQ(r.rig.shown(TViewItem::B_Message), "msg_DataFileError");
        EXPECT_NE(r.toTerminal.find(NotStoredText), std::string::npos);
        EXPECT_EQ(r.toTerminal.find("T1\r"), std::string::npos);
        EXPECT_EQ(r.terminal.config().lock, sim::LockFlag::T0);
        EXPECT_EQ(r.terminal.data(), TwoRecords);
        EXPECT_TRUE(r.logged(1, "Error: received data not stored"));
        EXPECT_TRUE(r.logged(5, "Error: cannot create file: "));

        const std::vector<std::string> kept = FilesIn(r.tempFolder);
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_TRUE(kept[0].starts_with("$") && kept[0].ends_with(".tmp")) << kept[0];
        EXPECT_TRUE(ReadFile(r.tempFolder + "/" + kept[0]).starts_with(TwoRecords));

        r.rig.tick(10);
        EXPECT_EQ(r.station.Mode, ReceiveFileError) << "a collective file has no number to retry";
        EXPECT_EQ(r.toTerminal.find("T1\r"), std::string::npos);
    }
}

// 800 records take about 20 s at 9600 baud: the progress reports keep the watchdog off until
// the terminal falls silent after 120 blocks, and 25 ticks later it cancels.
TEST(StationReception, AStalledTransferIsCancelledAndTheTerminalKeepsItsData)
{
    constexpr int stallAfter = 120;
    struct Case {
        const char* name;
        bool userCancels;
        int blocksKept;
    };
    const Case cases[] = { { "watchdog", false, stallAfter }, { "user", true, 0 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReceptionRig r(960);
        r.terminal.config().transferFaults.stallAfterBlocks = stallAfter;
        r.terminal.addRecords(800);
        r.rig.start(OffLine);
        for (int i = 0; i < 20 && r.station.Mode != DataReceive; ++i)
            r.rig.tick();
        ASSERT_EQ(r.station.Mode, DataReceive);
        r.rig.tick(10);
        const GaugeState gauge = r.station.Presentation.gauge();
        EXPECT_TRUE(gauge.visible);
        EXPECT_EQ(gauge.maximum, 800);
        EXPECT_GT(gauge.position, 0);
        if (c.userCancels)
            r.station.AbbrechenItemClick();
        for (int i = 0; i < 100 && r.station.Mode == DataReceive; ++i)
            r.rig.tick();

        EXPECT_EQ(r.station.Mode, WaitOfResponse);
        EXPECT_EQ(r.rig.shown(TViewItem::B_Message), "msg_TransferCancel");
        EXPECT_TRUE(r.logged(1, "Protocol Error: -6005"));
        EXPECT_FALSE(r.station.Presentation.gauge().visible);
        EXPECT_FALSE(r.station.Fg_CancelProtocol);
        EXPECT_EQ(r.terminal.recordCount(), 800);
        EXPECT_EQ(r.toTerminal.find("T1\r"), std::string::npos);
        const std::vector<std::string> kept = FilesIn(r.tempFolder);
        ASSERT_EQ(kept.size(), 1u) << "the temporary file stays";
        if (c.blocksKept > 0) {
            EXPECT_EQ(SizeFile(r.tempFolder + "/" + kept[0]), c.blocksKept * 128);
        }
        EXPECT_TRUE(FilesIn(r.dataFolder).empty());
    }
}

TEST(StationReception, HostileHeaderNamesLandInsideTheDataFolder)
{
    struct Case {
        bool STXFullFilename;
        std::string pattern;
    };
    const Case cases[] = { { true, "Talvix.txt" }, { false, "%F" } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        ReceptionRig r;
        r.station.Settings.STXFullFilename = c.STXFullFilename;
        r.station.Settings.EditDataFileName = c.pattern;
        r.terminal.setData("%%STX/A/B/C/x\\..\\..\\..\\etc\\y\r\n0001\r\n");
        r.receive();
        EXPECT_EQ(r.station.Mode, DataSaved);
        EXPECT_EQ(r.data("x/etc/y"), "%%STX/A/B/C\r\n0001\r\n");
        EXPECT_EQ(FilesIn(r.rig.folder.path()), (std::vector<std::string> { "data", "temp" }));
        EXPECT_TRUE(FilesIn(r.tempFolder).empty());
    }
}

TEST(StationReception, ANamedFileGoesStraightIntoTheDataFolder)
{
    ReceptionRig r;
    r.terminal.setFile("..\\..\\LISTE.TXT", "A\r\nB\r\n");
    r.rig.start(OffLine);
    r.rig.tickUntilOnline();
    r.station.CreatePathAndFileName();
    r.station.SetMode(ReadDir);
    r.station.DatenEmpfangen("..\\..\\LISTE.TXT");
    EXPECT_TRUE(r.station.DirectDatei);
    r.rig.tick(5);

    EXPECT_EQ(r.station.Mode, ReadDir) << "the directory functions decide what follows";
    EXPECT_NE(r.toTerminal.find("XD:..\\..\\LISTE.TXT\r"), std::string::npos);
    EXPECT_EQ(r.data("LISTE.TXT"), "A\r\nB\r\n") << "fill bytes removed";
    EXPECT_EQ(FilesIn(r.rig.folder.path()), (std::vector<std::string> { "data", "temp" }));
    EXPECT_EQ(r.station.DisplayCnt, 2);
}
