// The main window's station management, driven under virtual time with fake stations and
// scripted dialogs over a real settings file and a real log.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "MainFormFakes.h"
#include "platform/VirtualLoop.h"
#include "shell/TMainForm.h"
#include "support/TempDir.h"

using namespace talvix;
using namespace talvix::test;

namespace {

class MainFormTest : public ::testing::Test {
protected:
    std::string ini() const { return root / "prog/Talvix5.ini"; }
    std::string logFolder() const { return root / "log/"; }

    // A settings file beside the program, logging at level 2, with further MainWnd keys (free
    // mode unless they say otherwise: the first of two keys wins) and station sections.
    void writeSettings(const std::string& mainWnd, const std::string& sections = "")
    {
        std::filesystem::create_directories(logFolder());
        WriteFile(ini(),
            "[MainWnd]\nVersion=500\nLogLevel=2\nLogPath=" + logFolder() + "\n" + mainWnd + "WndMode=0\n" + sections);
    }
    // Three serial stations labelled a, b and c.
    void writeThreeStations(const std::string& mainWnd = "")
    {
        writeSettings("ChildNo=3\n" + mainWnd,
            "[STATION1]\nLabel=a\nDataPath=/data/a/\n"
            "[STATION2]\nLabel=b\nDataPath=/data/b/\n"
            "[STATION3]\nLabel=c\nDataPath=/data/c/\n");
    }

    TMainForm& start()
    {
        form = std::make_unique<TMainForm>(MainFormServices { loop, messages, boxTexts, passwords, options, files,
                                               processes, view, factory, &watchers },
            root / "prog", "");
        EXPECT_TRUE(form->FormCreate());
        form->FormShow();
        return *form;
    }
    // Ends the running main window and starts a new one on the same settings file.
    TMainForm& restart()
    {
        form->FormClose();
        form.reset();
        factory.made.clear();
        return start();
    }

    FakeStationState& made(std::size_t i) { return *factory.made.at(i); }
    StationHandle& window(const std::function<bool(const StationHandle&)>& which)
    {
        for (StationHandle* station : form->MDIChildren())
            if (which(*station))
                return *station;
        throw std::runtime_error("no such station");
    }
    StationHandle& serialStation(int no)
    {
        return window([no](const StationHandle& s) { return !s.IsUSBChild() && s.ChildNo() == no; });
    }
    StationHandle& usbStation(int no)
    {
        return window([no](const StationHandle& s) { return s.IsUSBChild() && s.StationsNr() == no; });
    }
    std::vector<int> childNos() const
    {
        std::vector<int> numbers;
        for (const StationHandle* station : form->MDIChildren())
            numbers.push_back(station->ChildNo());
        std::sort(numbers.begin(), numbers.end());
        return numbers;
    }

    // The text field of every log line; the log is on disk once the main window has closed.
    std::vector<std::string> logTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& entry : std::filesystem::directory_iterator(logFolder())) {
            const std::string content = ReadFile(entry.path());
            for (std::size_t begin = 0, end; (end = content.find("\r\n", begin)) != std::string::npos;
                 begin = end + 2) {
                std::size_t field = begin;
                for (int blanks = 0; blanks < 5; ++blanks)
                    field = content.find(' ', field) + 1;
                texts.push_back(content.substr(field, end - field));
            }
        }
        return texts;
    }

    TempDir root;
    VirtualLoop loop;
    RecordingMessages messages;
    MessageBoxTexts boxTexts;
    ScriptedPasswordView passwords;
    ScriptedOptionsView options;
    ScriptedFileDialogs files;
    RecordingProcesses processes;
    RecordingView view;
    FakeStationFactory factory;
    FakeUsbWatchers watchers;
    std::unique_ptr<TMainForm> form;
};

// ---- start and first showing

TEST_F(MainFormTest, LoadsTheStationsOneToChildNo)
{
    struct Case {
        const char* childNo;
        int stations;
    };
    for (const Case& c :
        { Case { "", 0 }, Case { "ChildNo=0\n", 0 }, Case { "ChildNo=-2\n", 0 }, Case { "ChildNo=3\n", 3 },
            Case { "ChildNo=2147483647\n", MaxStations } }) {
        SCOPED_TRACE(c.childNo);
        factory.made.clear();
        writeSettings(c.childNo);
        start();
        ASSERT_EQ(factory.made.size(), static_cast<std::size_t>(c.stations));
        for (int i = 0; i < c.stations; ++i) {
            EXPECT_EQ(made(i).ChildNo, i + 1);
            EXPECT_EQ(made(i).StationsNr, i + 1);
            EXPECT_EQ(made(i).PosIndex, i);
            EXPECT_EQ(made(i).title, "STATION #" + std::to_string(i + 1));
        }
        if (c.stations > 0) {
            EXPECT_EQ(form->ActiveMDIChild()->ChildNo(), c.stations); // the last one loaded is in front
        }
        EXPECT_EQ(messages.shown.size(), c.stations == MaxStations ? 1u : 0u);
        messages.shown.clear();
        form->FormShow();
        EXPECT_EQ(factory.made.size(), static_cast<std::size_t>(c.stations)) << "only the first showing loads";
    }
}

TEST_F(MainFormTest, TheFirstShowingAppliesPositionSizeAndMode)
{
    writeSettings("XPos=10\nYPos=20\nWidth=700\nHeight=500\nWndMode=2\nChildNo=2\n",
        "[STATION1]\nLabel=a\n[STATION2]\nLabel=b\n");
    start();
    EXPECT_EQ(view.bounds, (WindowBounds { 10, 20, 700, 500 }));
    EXPECT_TRUE(form->miTileChecked());
    EXPECT_FALSE(form->miCascadeChecked());
    for (const auto& station : factory.made) {
        EXPECT_TRUE(station->tileMark);
        EXPECT_FALSE(station->cascadeMark);
    }
    EXPECT_FALSE(form->Modify());
}

TEST_F(MainFormTest, StartAsIconHidesTheApplicationHalfASecondLater)
{
    for (const bool asIcon : { false, true }) {
        SCOPED_TRACE(asIcon);
        view = RecordingView();
        writeSettings(asIcon ? "WndState=1\n" : "WndState=0\n");
        start();
        EXPECT_EQ(view.trayIcon, asIcon);
        loop.advance(Millis(499));
        EXPECT_FALSE(view.hidden);
        loop.advance(Millis(1));
        EXPECT_EQ(view.hidden, asIcon);
    }
}

TEST_F(MainFormTest, AnOldSettingsFileIsRewrittenAtEveryShowing)
{
    WriteFile(ini(), "[MainWnd]\nVersion=300\nChildNo=1\n[STATION1]\nLabel=a\n[STATION2]\nLabel=stale\n");
    start();
    ProfileFile file(ini());
    EXPECT_EQ(file.readInteger("MainWnd", "Version", 0), 500);
    EXPECT_EQ(file.readInteger("MainWnd", "ChildNo", -1), 1);
    EXPECT_TRUE(file.valueExists("MainWnd", "Editor"));
    EXPECT_EQ(file.readString("STATION1", "Label", ""), "a");
    EXPECT_FALSE(file.sectionExists("STATION2"));

    file.eraseSection("MainWnd");
    form->FormShow();
    EXPECT_EQ(ProfileFile(ini()).readInteger("MainWnd", "Version", 0), 500) << "the version read at start counts";
}

TEST_F(MainFormTest, ACurrentSettingsFileIsNotWrittenAtShowing)
{
    writeThreeStations();
    const std::string before = ReadFile(ini());
    start();
    form->FormShow();
    EXPECT_EQ(ReadFile(ini()), before);
}

TEST_F(MainFormTest, WithoutSettingsFileAndDefaultsTheProgramEnds)
{
    TMainForm lonely(MainFormServices { loop, messages, boxTexts, passwords, options, files, processes, view, factory },
        root / "prog", "");
    EXPECT_FALSE(lonely.FormCreate());
    EXPECT_EQ(messages.shown, std::vector<std::string> { "Initialization File not found!" });
}

TEST_F(MainFormTest, TheLogOpensWithStartAndEndsWithClose)
{
    writeThreeStations();
    start();
    EXPECT_EQ(boxTexts.languageFile(), root / "prog/Talvix5.lng");
    form->FormClose();
    const std::vector<std::string> texts = logTexts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts.front(), "start Talvix");
    EXPECT_EQ(texts.back(), "close Talvix");
}

TEST_F(MainFormTest, AMissingLogFolderSwitchesLoggingOff)
{
    WriteFile(ini(), "[MainWnd]\nVersion=500\nLogLevel=1\nLogPath=" + (root / "nowhere/") + "\n");
    start();
    EXPECT_EQ(messages.shown, std::vector<std::string> { "Cannot create log file!" });
    EXPECT_EQ(form->Log().LogLevel(), 0);
}

// ---- removing stations

TEST_F(MainFormTest, DeletingTheMiddleStationRenumbersAndSavesTwoSections)
{
    writeThreeStations();
    start();
    form->CloseStation(serialStation(2));
    EXPECT_TRUE(made(1).closed);
    EXPECT_EQ(childNos(), (std::vector<int> { 1, 2 }));
    EXPECT_EQ(made(2).ChildNo, 2);
    EXPECT_EQ(made(2).title, "STATION #2");
    EXPECT_EQ(made(0).title, "STATION #1");
    EXPECT_TRUE(form->Modify());

    form->OptionSaveItemClick();
    EXPECT_FALSE(form->Modify());
    ProfileFile file(ini());
    EXPECT_EQ(file.readInteger("MainWnd", "ChildNo", 0), 2);
    EXPECT_EQ(file.readString("STATION1", "Label", ""), "a");
    EXPECT_EQ(file.readString("STATION2", "Label", ""), "c");
    EXPECT_FALSE(file.sectionExists("STATION3"));

    restart();
    ASSERT_EQ(factory.made.size(), 2u);
    EXPECT_EQ(made(1).label, "c");
}

TEST_F(MainFormTest, AClosedStationIsDestroyedOnlyFromTheEventLoop)
{
    writeThreeStations();
    start();
    form->CloseStation(serialStation(3));
    EXPECT_TRUE(made(2).closed);
    EXPECT_FALSE(made(2).destroyed) << "the close may come from inside the station's own command";
    loop.runPending();
    EXPECT_TRUE(made(2).destroyed);
}

TEST_F(MainFormTest, DeletingAUsbStationLeavesTheSerialNumbersAlone)
{
    writeThreeStations();
    start();
    form->OnUSBArrival("USB-A");
    form->CloseStation(usbStation(-1));
    EXPECT_EQ(childNos(), (std::vector<int> { 1, 2, 3 }));
    EXPECT_TRUE(factory.made.back()->closed);
}

// ---- USB terminals

TEST_F(MainFormTest, UsbStationsAreNumberedBelowEveryOther)
{
    writeSettings("ChildNo=1\n", "[STATION1]\nLabel=a\n[USB]\nLabel=usb\n");
    start();
    form->OnUSBArrival("USB-A");
    form->OnUSBArrival("USB-B");
    EXPECT_EQ(made(1).StationsNr, -1);
    EXPECT_EQ(made(1).ChildNo, -1);
    EXPECT_EQ(made(1).USBId, "USB-A");
    EXPECT_EQ(made(1).label, "usb");
    EXPECT_EQ(made(1).title, "STATION USB-Port");
    EXPECT_EQ(made(2).StationsNr, -2);

    form->OnUSBRemove("USB-A");
    EXPECT_TRUE(made(1).closed);
    form->OnUSBArrival("USB-C");
    EXPECT_EQ(made(3).StationsNr, -3);
    EXPECT_FALSE(form->Modify()) << "USB stations are never saved by number";

    form->FormClose();
    const std::vector<std::string> texts = logTexts();
    const std::vector<std::string> expected
        = { "start Talvix", "USB-Device Connected:USB-A Index:-1", "USB-Device Connected:USB-B Index:-2",
              "USB-Device Removed:USB-A", "USB-Device Connected:USB-C Index:-3", "close Talvix" };
    EXPECT_EQ(texts, expected);
}

TEST_F(MainFormTest, RemovingAnUnknownDeviceOnlyLogs)
{
    for (const std::string id : { "USB-X", "usb-a", "" }) {
        SCOPED_TRACE(id);
        std::filesystem::remove_all(logFolder());
        writeSettings("ChildNo=1\n", "[STATION1]\nLabel=a\n");
        factory.made.clear();
        start();
        form->OnUSBArrival("USB-A");
        form->OnUSBRemove(id);
        EXPECT_FALSE(made(0).closed);
        EXPECT_FALSE(made(1).closed);
        form->FormClose();
        EXPECT_EQ(logTexts().at(2), "Unknown USB-Device removed:" + id);
    }
}

TEST_F(MainFormTest, TheWatcherAnnouncesTheTerminalsPluggedInAtStart)
{
    struct Case {
        const char* usbEnable;
        bool watched;
    };
    for (const Case& c : { Case { "UsbEnable=0\n", false }, Case { "UsbEnable=1\n", true } }) {
        SCOPED_TRACE(c.usbEnable);
        factory.made.clear();
        watchers.pluggedIn = { "USB-A", "USB-B" };
        writeSettings(c.usbEnable, "[SUPPORTED]\nDevice1=KV Terminal USB\n");
        start();
        EXPECT_EQ(watchers.alive, c.watched);
        if (!c.watched) {
            EXPECT_TRUE(factory.made.empty());
            continue;
        }
        EXPECT_EQ(watchers.supported, std::vector<std::string> { "KV Terminal USB" });
        ASSERT_EQ(factory.made.size(), 2u);
        EXPECT_EQ(made(0).StationsNr, -1);
        EXPECT_EQ(made(1).StationsNr, -2);
        form->FormClose();
        EXPECT_FALSE(watchers.alive);
    }
}

// ---- arrangement

TEST_F(MainFormTest, TilingFillsRowsOfAsManyStationsAsTheMainWindowIsWide)
{
    using Origins = std::vector<std::pair<int, int>>;
    struct Case {
        int width;
        Origins origins; // stations 1 to 4
    };
    const Case cases[] = {
        { 700, { { 0, 0 }, { 300, 0 }, { 0, 200 }, { 300, 200 } } },
        { 1300, { { 0, 0 }, { 300, 0 }, { 600, 0 }, { 900, 0 } } },
        { 250, { { 0, 0 }, { 0, 200 }, { 0, 400 }, { 0, 600 } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        factory.made.clear();
        writeSettings("Width=" + std::to_string(c.width) + "\nChildNo=4\n");
        start();
        form->miTileClick();
        EXPECT_TRUE(form->miTileChecked());
        EXPECT_TRUE(form->Modify());
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(made(i).PosIndex, i);
            EXPECT_EQ(std::make_pair(made(i).bounds.Left, made(i).bounds.Top), c.origins[i]);
            EXPECT_TRUE(made(i).tileMark);
        }
    }
}

TEST_F(MainFormTest, SwitchingTilingOffFreesEveryCell)
{
    writeThreeStations("WndMode=2\n");
    start();
    form->miTileClick();
    EXPECT_EQ(form->WndMode(), wmNone);
    for (const auto& station : factory.made) {
        EXPECT_EQ(station->PosIndex, -1);
        EXPECT_FALSE(station->tileMark);
        EXPECT_EQ(station->moves, 0);
    }
}

TEST_F(MainFormTest, CascadingOffLeavesTheStationsWhereTheyAre)
{
    writeThreeStations();
    start();
    form->miCascadeClick();
    EXPECT_EQ(form->WndMode(), wmCascade);
    EXPECT_EQ(view.cascades, 1);
    for (const auto& station : factory.made)
        EXPECT_TRUE(station->cascadeMark);
    form->miCascadeClick();
    EXPECT_EQ(form->WndMode(), wmNone);
    EXPECT_EQ(view.cascades, 1);
    for (const auto& station : factory.made) {
        EXPECT_FALSE(station->cascadeMark);
        EXPECT_EQ(station->moves, 0);
    }
    EXPECT_TRUE(form->Modify());
}

TEST_F(MainFormTest, AUsbStationIsPlacedByTheArrangementMode)
{
    struct Case {
        const char* mode;
        int cascades;
        std::pair<int, int> origin;
        int cell;
    };
    // Free mode centres in 800 x (600 - 30 - 20); odd remainders are dropped towards zero.
    const Case cases[] = {
        { "WndMode=0\n", 0, { 249, 174 }, -1 }, { "WndMode=1\n", 1, { 0, 0 }, -1 },
        { "WndMode=2\n", 0, { 301, 0 }, 1 }, // the grid takes the station's own width
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        factory.made.clear();
        view.cascades = 0;
        writeSettings(std::string(c.mode) + "Width=700\n");
        start();
        if (c.cell >= 0)
            form->OnUSBArrival("USB-A");
        factory.bounds = { 0, 0, 301, 201 };
        form->OnUSBArrival("USB-B");
        factory.bounds = { 0, 0, 300, 200 };
        const FakeStationState& placed = *factory.made.back();
        EXPECT_EQ(view.cascades, c.cascades * static_cast<int>(factory.made.size()));
        EXPECT_EQ(std::make_pair(placed.bounds.Left, placed.bounds.Top), c.origin);
        if (c.cell >= 0) {
            EXPECT_EQ(placed.PosIndex, c.cell);
        }
    }
}

TEST_F(MainFormTest, AUsbStationTakesTheFirstFreeTileCell)
{
    writeSettings("WndMode=2\nWidth=700\n");
    start();
    for (const char* id : { "A", "B", "C" })
        form->OnUSBArrival(id);
    form->OnUSBRemove("B");
    form->OnUSBArrival("D");
    EXPECT_EQ(made(3).PosIndex, 1);
    EXPECT_EQ(std::make_pair(made(3).bounds.Left, made(3).bounds.Top), std::make_pair(300, 0));
    EXPECT_EQ(made(2).PosIndex, 2);
}

TEST_F(MainFormTest, ResizingTheMainWindowIsAChangeMovingItIsNot)
{
    writeSettings("XPos=0\nYPos=0\nWidth=700\nHeight=500\n");
    start();
    form->FormBoundsChanged({ 40, 50, 700, 500 });
    EXPECT_FALSE(form->Modify());
    form->FormBoundsChanged({ 40, 50, 800, 500 });
    EXPECT_TRUE(form->Modify());
    form->OptionSaveItemClick();
    ProfileFile file(ini());
    EXPECT_EQ(file.readInteger("MainWnd", "XPos", 0), 40);
    EXPECT_EQ(file.readInteger("MainWnd", "Width", 0), 800);
}

// ---- adding stations

TEST_F(MainFormTest, AddingAStationRunsTheArrangementCommandOfTheMode)
{
    struct Case {
        TWndMode before;
        TWndMode after;
    };
    for (const Case& c : { Case { wmNone, wmTile }, Case { wmCascade, wmNone }, Case { wmTile, wmNone } }) {
        SCOPED_TRACE(c.before);
        factory.made.clear();
        writeSettings("Width=700\nChildNo=2\nWndMode=" + std::to_string(c.before) + "\n");
        start();
        form->miAddSerialPortClick();
        ASSERT_EQ(factory.made.size(), 3u);
        EXPECT_EQ(made(2).ChildNo, 3);
        EXPECT_TRUE(made(2).modify);
        EXPECT_EQ(form->WndMode(), c.after);
        EXPECT_TRUE(form->Modify());
        if (c.after == wmTile) {
            EXPECT_EQ(made(2).PosIndex, 2);
        }
    }
}

TEST_F(MainFormTest, ASerialStationAddedBesideAUsbStationIsNumberTwo)
{
    writeSettings("ChildNo=1\n", "[STATION1]\nLabel=a\n");
    start();
    form->OnUSBArrival("USB-A");
    form->miAddSerialPortClick();
    EXPECT_EQ(made(2).ChildNo, 2);
    form->OptionSaveItemClick();
    EXPECT_EQ(ProfileFile(ini()).readInteger("MainWnd", "ChildNo", 0), 2);

    restart();
    EXPECT_EQ(childNos(), (std::vector<int> { 1, 2 }));
}

// ---- the password

TEST_F(MainFormTest, APasswordGuardsAddingSavingAndOpening)
{
    struct Command {
        const char* name;
        std::function<void(TMainForm&)> run;
    };
    const Command commands[] = {
        { "add", [](TMainForm& f) { f.miAddSerialPortClick(); } },
        { "save", [](TMainForm& f) { f.OptionSaveItemClick(); } },
        { "open", [](TMainForm& f) { f.DateiOpenItemClick(); } },
    };
    files.answer = "/data/a/file.txt";
    for (const Command& command : commands) {
        for (const bool right : { false, true }) {
            SCOPED_TRACE(std::string(command.name) + (right ? " right" : " wrong"));
            factory.made.clear();
            files.requests.clear();
            processes.started.clear();
            writeThreeStations("Password=Geheim\n");
            start();
            const std::string before = ReadFile(ini());
            passwords.entries
                = right ? std::vector<std::string> { "geheim", "Geheim" } : std::vector<std::string> { "geheim" };
            passwords.shown = 0;
            command.run(*form);
            EXPECT_EQ(passwords.shown, 1);
            const bool changed = factory.made.size() != 3 || ReadFile(ini()) != before || !files.requests.empty()
                || !processes.started.empty();
            EXPECT_EQ(changed, right);
        }
    }
}

// ---- opening a file

TEST_F(MainFormTest, OpeningAFileStartsInTheActiveStationsDataFolder)
{
    WriteFile(root / "prog/Talvix5.lng", "[LABEL]\ndlg_FileEdit=Datei öffnen\n");
    writeThreeStations("Editor=\"/opt/My Editor/edit\" --new\n");
    start();
    files.answer = "/data/b/a file;rm x.txt";
    form->DateiOpenItemClick();
    form->StationActivated(serialStation(1));
    form->DateiOpenItemClick();
    form->CloseStation(serialStation(1));
    form->CloseStation(serialStation(1));
    form->CloseStation(serialStation(1));
    files.answer.reset();
    form->DateiOpenItemClick();

    ASSERT_EQ(files.requests.size(), 3u);
    EXPECT_EQ(files.requests[0].InitialDir, "/data/c/"); // the last one loaded is in front
    EXPECT_EQ(files.requests[1].InitialDir, "/data/a/");
    EXPECT_EQ(files.requests[2].InitialDir, root / "prog/data/");
    EXPECT_EQ(files.requests[0].Title, "Datei öffnen");
    EXPECT_EQ(files.requests[0].Filter, "All|*.*|Text File |*.txt");
    ASSERT_EQ(processes.started.size(), 2u) << "a cancelled dialog opens nothing";
    EXPECT_EQ(processes.started[0].program, "/opt/My Editor/edit");
    EXPECT_EQ(processes.started[0].arguments, (std::vector<std::string> { "--new", "/data/b/a file;rm x.txt" }));
}

TEST_F(MainFormTest, ABlankEditorSettingStartsNothing)
{
    writeSettings("Editor=\n");
    start();
    form->OpenEditor("/data/x.txt");
    EXPECT_TRUE(processes.started.empty());
}

// ---- saving and closing

TEST_F(MainFormTest, SaveSingleChildWritesTheStationsSectionAtOnce)
{
    writeThreeStations();
    start();
    made(1).label = "changed";
    EXPECT_TRUE(form->SaveSingleChild(serialStation(2)));
    EXPECT_EQ(ProfileFile(ini()).readString("STATION2", "Label", ""), "changed");

    ::chmod(ini().c_str(), 0444);
    EXPECT_FALSE(form->SaveSingleChild(serialStation(2)));
    EXPECT_EQ(messages.shown, std::vector<std::string> { "In " + ini() + " kann nicht geschrieben werden" });
}

TEST_F(MainFormTest, ClosingAsksTheStationsUntilOneChangedThenSavesAndClosesInWindowOrder)
{
    writeThreeStations("Password=Geheim\n");
    start();
    made(1).modify = true;
    made(1).label = "B";
    passwords.entries = { "Geheim" };
    form->FormClose();
    // Window order: c (last loaded, in front), b, a.
    EXPECT_EQ(made(2).modifyAsked, 1);
    EXPECT_EQ(made(1).modifyAsked, 1);
    EXPECT_EQ(made(0).modifyAsked, 0);
    EXPECT_EQ(passwords.shown, 1);
    EXPECT_EQ(ProfileFile(ini()).readString("STATION2", "Label", ""), "B");
    EXPECT_EQ(factory.journal, (std::vector<std::string> { "close c", "close B", "close a" }));
    EXPECT_EQ(logTexts().back(), "close Talvix");
}

TEST_F(MainFormTest, ClosingWithoutChangesOrWithARefusedPasswordDoesNotSave)
{
    for (const bool changed : { false, true }) {
        SCOPED_TRACE(changed);
        factory.made.clear();
        factory.journal.clear();
        writeThreeStations("Password=Geheim\n");
        start();
        const std::string before = ReadFile(ini());
        made(0).modify = changed;
        made(0).label = "A";
        passwords.shown = 0;
        passwords.entries = {};
        form->FormClose();
        EXPECT_EQ(passwords.shown, changed ? 1 : 0);
        EXPECT_EQ(ReadFile(ini()), before);
        EXPECT_EQ(factory.journal.size(), 3u) << "the stations close all the same";
    }
}

} // namespace
