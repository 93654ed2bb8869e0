#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/MessageDialogs.h"
#include "station/NamingTestSupport.h"
#include "station/TargetFileNaming.h"
#include "support/TempDir.h"

using namespace talvix;
using talvix::test::FakeNamingStation;
using talvix::test::TempDir;
using talvix::test::WriteFile;

namespace {

class TargetFileNamingTest : public ::testing::Test {
protected:
    TargetFileNamingTest()
    {
        std::filesystem::create_directories(data);
        settings.EditDataPath = data + "/";
        settings.Data_Path = data;
        settings.EditUpdatePath = dir / "update/";
    }

    // Builds the path with the given pattern (ZielDateiGroup as set).
    PathBuildResult build(const std::string& pattern)
    {
        settings.EditDataFileName = pattern;
        return naming.CreatePathAndFileName();
    }
    void present(const std::vector<std::string>& names)
    {
        for (const std::string& name : names)
            WriteFile(data + "/" + name, "r\r\n");
    }

    TempDir dir;
    std::string data = dir / "daten";
    StationSettings settings;
    FakeNamingStation station;
    TargetFileNaming naming { settings, station, dir.path() };
};

} // namespace

TEST_F(TargetFileNamingTest, PlaceholdersAndTheSerialNumberSetting)
{
    struct Case {
        std::string pattern;
        int zielDatei;
        bool numbered; // DateiNummierung as the last FilePlatzhalter left it
        int stationsNr;
        std::string serial;
        std::string subName;
        std::string name;
    };
    const std::vector<Case> cases = {
        { "DAT%S.TXT", 0, false, 1, "004711", "", "DAT004711.TXT" },
        { "DAT%S.TXT", 1, false, 1, "004711", "", "DAT%S004711.TXT" },
        { "Talvix.txt", 1, false, 1, "004711", "", "Talvix004711.txt" },
        { "Talvix", 1, false, 1, "004711", "", "Talvix004711" },
        { "a.b.c", 1, false, 1, "9", "", "a9.b.c" },
        { "D%S#.TXT", 1, true, 1, "0815", "", "D0815#.TXT" },
        { "D%N_#.TXT", 0, false, 2, "", "", "D2_#.TXT" },
        { "U%N.TXT", 0, false, -1, "", "", "U-1.TXT" },
        { "%N%N.txt", 0, false, 3, "", "", "3%N.txt" },
        { "%D_%T.txt", 0, false, 1, "", "", "20240318_143005.txt" },
        { "%F.dat", 0, false, 1, "", "list", "list.dat" },
        { "%F.dat", 0, false, 1, "", "", "%F.dat" },
        { "%F%F", 0, false, 1, "", "x", "x%F" },
        { "%F.dat", 1, false, 1, "7", "list", "%F7.dat" },
    };
    for (const Case& c : cases) {
        settings.ZielDateiGroup = c.zielDatei;
        settings.DateiNummierung = c.numbered;
        station.stationsNr = c.stationsNr;
        station.serial = c.serial;
        EXPECT_EQ(naming.GetFilePlusName(c.pattern, c.subName), c.name) << c.pattern << " / " << c.zielDatei;
    }
    settings.ZielDateiGroup = 0;
    settings.DateFormat = "dd.mm.yy";
    settings.TimeFormat = "hh";
    EXPECT_EQ(naming.GetFilePlusName("%D-%T", ""), "18.03.24-14");
}

TEST(GetFilePlusNo, FillsTheNumberingRun)
{
    const std::vector<std::tuple<std::string, int, std::string>> cases = {
        { "DATA##.TXT", 5, "DATA05.TXT" },
        { "DATA##.TXT", 123, "DATA23.TXT" },
        { "DATA#.TXT", 10, "DATA0.TXT" },
        { "D###", 7, "D007" },
        { "D###", 1000, "D000" },
        { "D###", -1, "D0-1" },
        { "D#", -1, "D1" },
        { "#######x", 5, "0000005x" },
        { "########", 5, "0000005" },
        { "A#B#.txt", 5, "A05#.txt" },
        { "NONE.TXT", 3, "NONE.TXT" },
    };
    for (const auto& [pattern, number, name] : cases)
        EXPECT_EQ(GetFilePlusNo(pattern, number), name) << pattern << " " << number;
}

TEST_F(TargetFileNamingTest, FilePlatzhalterGivesTheRunsCapacity)
{
    const std::vector<std::pair<std::string, int>> cases
        = { { "D###.TXT", 999 }, { "D####", 999 }, { "D##", 99 }, { "#.TXT", 9 }, { "D#x#", 9 }, { "D.TXT", 0 } };
    for (const auto& [pattern, highest] : cases) {
        settings.DateiNummierung = highest == 0;
        EXPECT_EQ(naming.FilePlatzhalter(pattern), highest) << pattern;
        EXPECT_EQ(settings.DateiNummierung, highest != 0) << pattern;
    }
}

TEST_F(TargetFileNamingTest, SeriesScanAndNextNumber)
{
    struct Case {
        const char* what;
        std::vector<std::string> files;
        std::string pattern;
        int last; // LastFileNo
        int next; // IncFileNo(pattern, last)
    };
    const std::vector<Case> cases = {
        { "no file yet", {}, "A#.TXT", -1, 0 },
        { "a gap after 3, 5 taken", { "DATA0.TXT", "DATA1.TXT", "DATA2.TXT", "DATA3.TXT", "DATA5.TXT" }, "DATA#.TXT", 3,
            4 },
        { "1 without 0", { "B1.TXT" }, "B#.TXT", -1, 0 },
        { "full run wraps onto 0", { "D0", "D1", "D2", "D3", "D4", "D5", "D6", "D7", "D8", "D9" }, "D#", 9, -1 },
        { "a directory takes its number", { "F0/inside" }, "F#", 0, 1 },
        { "no run: the file itself", { "G.TXT" }, "G.TXT", 0, 0 },
        { "no run, missing", {}, "H.TXT", -1, -1 },
    };
    for (const Case& c : cases) {
        present(c.files);
        EXPECT_EQ(naming.LastFileNo(c.pattern), c.last) << c.what;
        const IncFileNoResult next = naming.IncFileNo(c.pattern, c.last);
        EXPECT_EQ(next.FileNo, c.next) << c.what;
        EXPECT_EQ(next.FileExists.has_value(), c.next < 0 && c.pattern.find('#') != std::string::npos) << c.what;
    }
}

TEST_F(TargetFileNamingTest, ATakenNextNumberStopsWithTheMessageAndPattern)
{
    present({ "DATA5.TXT" });
    const IncFileNoResult next = naming.IncFileNo("DATA#.TXT", 4);
    EXPECT_EQ(next.FileNo, -1);
    ASSERT_TRUE(next.FileExists);
    EXPECT_EQ(next.FileExists->Message, "[msg_FileExists]\rDATA#.TXT");
}

TEST_F(TargetFileNamingTest, NumberingRunsWrapAndThreeDigitRunsRestartAtOne)
{
    // A two-digit run stored without gaps: after 99 the number 100 means "00".
    settings.EditDataFileName = "R##.TXT";
    for (int stored = 0; stored < 100; ++stored)
        present({ GetFilePlusNo("R##.TXT", stored) });
    EXPECT_EQ(naming.IncFileNo("R##.TXT", 99).FileNo, -1);
    std::filesystem::remove(data + "/R00.TXT");
    EXPECT_EQ(naming.IncFileNo("R##.TXT", 99).FileNo, 100);
    EXPECT_EQ(GetFilePlusNo("R##.TXT", 100), "R00.TXT");

    const std::vector<std::pair<int, int>> threeDigits
        = { { 998, 999 }, { 999, 1000 }, { 1000, 1001 }, { 1001, 2 }, { 1500, 501 } };
    for (const auto& [from, to] : threeDigits)
        EXPECT_EQ(naming.IncFileNo("T###.TXT", from).FileNo, to) << from;
    EXPECT_EQ(naming.IncFileNo("PLAIN.TXT", 1500).FileNo, 500);
}

TEST_F(TargetFileNamingTest, PathBuildDropsFinalSeparatorsAndNumbersFromTheFilesPresent)
{
    station.stationsNr = 2;
    const PathBuildResult first = build("D%N_#.TXT");
    EXPECT_TRUE(first.DataPathUsable);
    EXPECT_FALSE(first.FileExists);
    EXPECT_EQ(settings.Data_Path, data);
    EXPECT_EQ(settings.EditDataPath, data);
    EXPECT_EQ(settings.UpdatePath, dir / "update");
    EXPECT_EQ(settings.EditUpdatePath, dir / "update");
    EXPECT_EQ(settings.Data_File, "D2_#.TXT");
    EXPECT_TRUE(settings.DateiNummierung);
    EXPECT_EQ(naming.FileExtNo, 0);
    EXPECT_EQ(naming.StoredFileTarget(""), data + "/D2_0.TXT");

    present({ "D2_0.TXT", "D2_1.TXT" });
    build("D%N_#.TXT");
    EXPECT_EQ(naming.FileExtNo, 2);

    build("");
    EXPECT_EQ(settings.Data_File, "Talvix5.txt");
    EXPECT_FALSE(settings.DateiNummierung);
}

TEST_F(TargetFileNamingTest, PathBuildReportsATakenNumberAndAnUnusableFolder)
{
    present({ "DATA0.TXT", "DATA1.TXT", "DATA2.TXT", "DATA3.TXT", "DATA4.TXT", "DATA5.TXT", "DATA6.TXT", "DATA7.TXT",
        "DATA8.TXT", "DATA9.TXT" });
    const PathBuildResult full = build("DATA#.TXT");
    EXPECT_TRUE(full.DataPathUsable);
    ASSERT_TRUE(full.FileExists);
    EXPECT_EQ(full.FileExists->Message, "[msg_FileExists]\rDATA#.TXT");
    EXPECT_EQ(naming.FileExtNo, -1);

    settings.EditDataPath = dir / "missing";
    EXPECT_FALSE(build("x.txt").DataPathUsable);
}

TEST_F(TargetFileNamingTest, ARelativeDataFolderIsInTheProgramFolder)
{
    std::filesystem::create_directories(dir / "rel");
    settings.EditDataPath = "rel\\";
    EXPECT_TRUE(build("x.txt").DataPathUsable);
    EXPECT_EQ(settings.Data_Path, "rel");
    EXPECT_EQ(naming.DataFolder(), dir / "rel/");
    settings.EditDataPath = "";
    EXPECT_TRUE(build("x.txt").DataPathUsable);
    EXPECT_EQ(naming.DataFolder(), dir.path() + "/");
}

TEST_F(TargetFileNamingTest, TheFirstBuildWithTheSerialNumberSettingUsesThePreviousNumberingFlag)
{
    settings.ZielDateiGroup = 1;
    station.serial = "0815";
    build("D%S#.TXT");
    EXPECT_EQ(settings.Data_File, "D%S#0815.TXT");
    build("D%S#.TXT");
    EXPECT_EQ(settings.Data_File, "D0815#.TXT");
    station.serial = "0999";
    build("D%S#.TXT");
    EXPECT_EQ(settings.Data_File, "D0999#.TXT");
}

TEST_F(TargetFileNamingTest, TargetOfAStoredFileStaysInTheDataFolder)
{
    struct Case {
        bool fullName;
        std::string pattern;
        std::string stxFilename;
        std::string target; // inside the data folder
    };
    const std::vector<Case> cases = {
        { true, "D#.TXT", "sub\\list.txt", "sub/list.txt" },
        { true, "D#.TXT", "list.txt", "list.txt" },
        { true, "D#.TXT", ".\\.\\sub\\x.txt", "sub/x.txt" },
        { true, "D#.TXT", ".hidden\\x.txt", "hidden/x.txt" },
        { true, "D#.TXT", "sub\\", "sub/D3.TXT" },
        { true, "D#.TXT", "", "D3.TXT" },
        { true, "D#.TXT", "a/b/%N.txt", "a/b/1.txt" },
        { false, "D#.TXT", "sub\\list.txt", "D3.TXT" },
        { false, "%F", "sub\\list.txt", "sub/list.txt" },
        { false, "X_%F", "list.txt", "X_list.txt" },
        { false, "%F", "", "%F" },
        // Hostile names from the terminal.
        { true, "D#.TXT", "x\\..\\..\\..\\etc\\y", "x/etc/y" },
        { true, "D#.TXT", "..\\..\\..\\tmp\\z", "tmp/z" },
        { true, "D#.TXT", "/etc/passwd", "etc/passwd" },
        { true, "D#.TXT", "C:\\Windows\\win.ini", "Windows/win.ini" },
        { true, "D#.TXT", "\\\\server\\share\\f.txt", "server/share/f.txt" },
        { true, "D#.TXT", "sub\\..", "sub/D3.TXT" },
        { false, "%F", "..\\..\\etc\\y", "etc/y" },
        { false, "%F", "/etc/passwd", "etc/passwd" },
        { false, "%F", "..", "%F" },
    };
    for (const Case& c : cases) {
        settings.STXFullFilename = c.fullName;
        build(c.pattern);
        naming.FileExtNo = 3;
        EXPECT_EQ(naming.StoredFileTarget(c.stxFilename), data + "/" + c.target)
            << c.fullName << " " << c.pattern << " " << c.stxFilename;
    }
}

TEST_F(TargetFileNamingTest, ASerialNumberFromTheTerminalCannotLeaveTheDataFolder)
{
    station.serial = "../../../etc/x";
    build("D%S.TXT");
    EXPECT_EQ(naming.StoredFileTarget(""), data + "/D../etc/x.TXT");
}

TEST_F(TargetFileNamingTest, SizeDisplayOnTheStationOrTheMainWindow)
{
    WriteFile(data + "/D2.TXT", "12345");
    WriteFile(data + "/Talvix.txt", "123");
    WriteFile(dir / "other.txt", "1234567");
    int reported = 0;
    naming.OnSizeDisplay = [&](const TlvDatSizeDisplay&) { ++reported; };

    settings.ZielDateiGroup = 1;
    build("D#.TXT");
    naming.FileExtNo = 2;
    TlvDatSizeDisplay shown = naming.SetTlvDatSize("");
    EXPECT_EQ(shown.StationPanel, (SizePanel { "5", "[hintLbl_FileSize]: ..\\D2.TXT" }));
    EXPECT_FALSE(shown.MainWindowPanel);
    shown = naming.SetTlvDatSize(dir / "other.txt");
    EXPECT_EQ(shown.StationPanel, (SizePanel { "7", "[hintLbl_FileSize] " + dir / "other.txt" }));

    settings.ZielDateiGroup = 0;
    build("Talvix.txt");
    shown = naming.SetTlvDatSize(dir / "other.txt");
    EXPECT_EQ(shown.StationPanel, SizePanel {});
    EXPECT_EQ(shown.MainWindowPanel, (SizePanel { "3", "[hintLbl_FileSize]: ..\\Talvix.txt" }));
    build("%F.dat");
    EXPECT_EQ(naming.SizeDisplay.MainWindowPanel, (SizePanel { "0", "[hintLbl_FileSize]: ..\\%F.dat" }));
    EXPECT_EQ(reported, 6);
}

namespace {

class RecordingDialogs : public MessageDialogs {
public:
    void ShowMessage(const std::string& text) override { shown.push_back("message: " + text); }
    TModalResult MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) override
    {
        shown.push_back(std::string(type == TMsgDlgType::mtError && buttons == mbOK ? "error: " : "other: ") + text);
        return TModalResult::mrOk;
    }
    std::vector<std::string> shown;
};

} // namespace

TEST_F(TargetFileNamingTest, TheDirectoriesPageRefusesMixedPlaceholdersAndAnUnusableFolder)
{
    struct Case {
        std::string pattern;
        std::string folder;
        bool accepted;
        std::vector<std::string> shown;
    };
    const std::vector<Case> cases = {
        { "%F_#.txt", data, false, { "message: Platzhalter %F und Aufzählungszeichen # sind nicht kombinierbar!" } },
        { "%F.txt", dir / "missing", false, { "error: [msg_ErrPath]" } },
        { "D#.txt", data + "/", true, {} },
        { "%F.txt", data, true, {} },
    };
    for (const Case& c : cases) {
        RecordingDialogs dialogs;
        settings.EditDataFileName = c.pattern;
        settings.EditDataPath = c.folder;
        settings.Data_File.clear();
        EXPECT_EQ(naming.DirectoriesOkCheck(dialogs).Accepted, c.accepted) << c.pattern << " in " << c.folder;
        EXPECT_EQ(dialogs.shown, c.shown) << c.pattern << " in " << c.folder;
    }
    // A refused pattern is not taken over.
    RecordingDialogs dialogs;
    settings.EditDataFileName = "%F#";
    naming.DirectoriesOkCheck(dialogs);
    EXPECT_EQ(settings.Data_File, "%F.txt");
}
