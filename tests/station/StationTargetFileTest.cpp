#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "station/StationRig.h"

using namespace talvix;
using namespace talvix::test;

namespace {

class StationTargetFile : public ::testing::Test {
protected:
    StationTargetFile()
    {
        station.Settings.EditDataPath = rig.folder.path();
        station.B_Datei_Hint = "Ziel Datei";
    }
    StationRig rig;
    TMDIChild& station = rig.station;
};

} // namespace

TEST_F(StationTargetFile, OnlineStationShowsItsNumberedTargetShortened)
{
    station.Settings.EditDataFileName = "Lieferscheine_Station#.txt";
    rig.start(OffLine);
    rig.tickUntilOnline();
    ASSERT_EQ(station.Mode, Status);
    EXPECT_EQ(rig.shown(TViewItem::B_Datei), "Lieferscheine...");
    EXPECT_EQ(rig.shown(TViewItem::B_DateiHint), "Ziel Datei: Lieferscheine_Station0.txt");

    station.ClearCaptions();
    EXPECT_EQ(rig.shown(TViewItem::B_DateiHint), "Ziel Datei");
}

TEST_F(StationTargetFile, ShortNamesAreShownWhole)
{
    station.Settings.EditDataFileName = "Talvix.txt";
    rig.start(OffLine);
    rig.tickUntilOnline();
    EXPECT_EQ(rig.shown(TViewItem::B_Datei), "Talvix.txt");
}

TEST_F(StationTargetFile, TakenFileNumbersStopTheStationUntilRoomIsMade)
{
    station.Settings.EditDataFileName = "D#.txt";
    for (int n = 0; n <= 9; ++n)
        WriteFile(rig.folder / ("D" + std::to_string(n) + ".txt"), "x");
    rig.start(OffLine);
    rig.tickUntilOnline();
    rig.tick(4);
    EXPECT_EQ(station.Mode, ReceiveFileError);
    EXPECT_EQ(station.OldMode, ReceiveFileError);
    EXPECT_EQ(rig.shown(TViewItem::B_Message), "msg_DataFileError");

    for (int n = 0; n <= 9; ++n)
        std::filesystem::remove(rig.folder / ("D" + std::to_string(n) + ".txt"));
    rig.tick();
    EXPECT_EQ(station.Mode, OffLine);
    EXPECT_EQ(station.Naming.FileExtNo, 0);
}
