// A station's life: loading its section onto the port, saving it back, numbering, the port
// opening and its failure, the port dialog, the options pages and closing; against the
// simulated terminal under virtual time.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "port/PortRecorders.h"
#include "port/PortTick.h"
#include "station/StationRig.h"

using namespace talvix;
using namespace talvix::test;

namespace {

const std::vector<std::string> kSerialKeys = { "Com", "Winsock", "WsAddress", "WsPort", "Baud", "ByteSize", "StopBits",
    "Parity", "ModemInit", "XPos", "YPos", "ZielDatei", "NachReceive", "STXSave", "ETXSave", "STXFullFilename",
    "LineSeparator", "AutoRec", "AutoProg", "ConfirmUpdate", "UpdateViaTempFolder", "AutoInternet", "AutoSetTime",
    "AutoUpload", "UploadPath", "DataPath", "DataFileName", "UpdatePath", "TarnUpdateFilterIndex", "UpdateFilterIndex",
    "ConfigFilterIndex", "TableFilterIndex" };

// A station of the rig with a settings file; the host saves into that file.
struct LifecycleRig {
    explicit LifecycleRig(std::uint32_t bytesPerSecond = 0)
        : rig(bytesPerSecond)
    {
        rig.host.settingsFile = &file;
    }

    void settings(const std::string& text) { WriteFile(file.path(), text); }
    // Station 1, serial or network, loaded as an existing station.
    void loadSerial(const std::string& extraKeys = "")
    {
        settings("[STATION1]\nCom=1\nBaud=38400\n" + extraKeys);
        station.ChildLoad(file, 1, false);
    }
    void loadNetwork(const std::string& extraKeys = "")
    {
        settings("[STATION1]\nWinsock=1\nWsAddress=terminal-server\nWsPort=10001\n" + extraKeys);
        station.ChildLoad(file, 1, false);
    }
    bool logged(int level, const std::string& msg) const
    {
        for (const LogLine& line : rig.host.log)
            if (line == LogLine { level, msg })
                return true;
        return false;
    }
    bool loggedStarting(const std::string& prefix) const
    {
        for (const LogLine& line : rig.host.log)
            if (line.msg.starts_with(prefix))
                return true;
        return false;
    }
    std::string shown(TViewItem item) const { return rig.shown(item); }

    StationRig rig;
    TMDIChild& station = rig.station;
    ScriptedPortDialogs& portDialogs = rig.host.portDialogsScript;
    ProfileFile file { rig.folder / "Talvix5.ini" };
};

class StationLifecycle : public ::testing::Test {
protected:
    LifecycleRig t;
    TMDIChild& station = t.station;
};

StationPortSettings serialPort(std::uint16_t com, int baud)
{
    StationPortSettings port;
    port.ComNumber = com;
    port.Baud = baud;
    return port;
}

StationPortSettings networkPort(const std::string& address, const std::string& port)
{
    StationPortSettings settings;
    settings.ComNumber = 0;
    settings.DeviceLayer = TDeviceLayer::dlWinsock;
    settings.WsAddress = address;
    settings.WsPort = port;
    return settings;
}

} // namespace

// ---- loading and saving

TEST(StationSections, AStationStartsFromItsOwnItsPredecessorsOrTheDefaultSectionAndSavesToItsOwn)
{
    const std::vector<std::pair<std::string, int>> sections
        = { { "STATION1", 9600 }, { "STATION2", 38400 }, { "STATION3", 57600 }, { "DEFAULT", 115200 } };
    struct Case {
        const char* name;
        std::vector<int> present; // indexes into sections
        int childNo;
        int baud;
    };
    const Case cases[] = {
        { "its own", { 0, 1, 2, 3 }, 3, 57600 },
        { "the predecessor's", { 1, 3 }, 3, 38400 },
        { "no predecessor: DEFAULT", { 0, 3 }, 3, 115200 },
        { "station 1 takes no other station's", { 1, 3 }, 1, 115200 },
        { "nothing: the defaults", { 0 }, 3, 19200 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LifecycleRig t;
        std::string text;
        for (int i : c.present)
            text += "[" + sections[i].first + "]\nBaud=" + std::to_string(sections[i].second) + "\n";
        t.settings(text);

        t.station.ChildLoad(t.file, c.childNo, false);
        EXPECT_EQ(t.station.ComPort->Baud(), c.baud) << "the section's port settings reach the port";
        EXPECT_EQ(t.station.ChildNo, c.childNo);
        EXPECT_EQ(t.station.StationsNr, c.childNo);
        EXPECT_EQ(t.shown(TViewItem::Caption), "STATION #" + std::to_string(c.childNo));
        EXPECT_FALSE(t.station.modify);

        t.station.ChildSave(t.file, 99);
        const std::string own = "STATION" + std::to_string(c.childNo);
        EXPECT_EQ(t.file.readInteger(own, "Baud", 0), c.baud);
        EXPECT_EQ(t.file.keys(own).size(), kSerialKeys.size());
        for (int i : c.present) {
            if (sections[i].first != own) {
                EXPECT_EQ(t.file.readInteger(sections[i].first, "Baud", 0), sections[i].second)
                    << sections[i].first << " is left alone";
            }
        }
    }
}

TEST_F(StationLifecycle, SavingWritesEveryKeyInOrderWithOneStopBitAndThePathsAsLoaded)
{
    t.settings("[STATION2]\nCom=4\nBaud=57600\nByteSize=7\nStopBits=2\nParity=2\nModemInit=ATZ\nXPos=40\nYPos=50\n"
               "ZielDatei=1\nAutoRec=1\nDataPath=/srv/daten/sub\nDataFileName=D:\\x\\liste.txt\n"
               "TimeFormat=hhnn\nDateFormat=yymmdd\nReceiveDataSplit=1\n");
    station.ChildLoad(t.file, 3, false);
    EXPECT_EQ(station.ComPort->StopBits(), 1);
    EXPECT_TRUE(station.Settings.Fg_ReceiveDataSplit);

    ProfileFile saved(t.rig.folder / "saved.ini");
    station.ChildSave(saved, 3);
    EXPECT_EQ(saved.sections(), std::vector<std::string> { "STATION3" });
    EXPECT_EQ(saved.keys("STATION3"), kSerialKeys) << "hand-edited keys are never written";
    const auto value = [&](const char* key) { return saved.readString("STATION3", key, "?"); };
    EXPECT_EQ(value("Com"), "4");
    EXPECT_EQ(value("Baud"), "57600");
    EXPECT_EQ(value("ByteSize"), "7");
    EXPECT_EQ(value("StopBits"), "1");
    EXPECT_EQ(value("Parity"), "2");
    EXPECT_EQ(value("ModemInit"), "ATZ");
    EXPECT_EQ(value("XPos"), "40");
    EXPECT_EQ(value("YPos"), "50");
    EXPECT_EQ(value("ZielDatei"), "1");
    EXPECT_EQ(value("AutoRec"), "1");
    EXPECT_EQ(value("DataPath"), "/srv/daten/") << "a path without a final separator loses its last part";
    EXPECT_EQ(value("DataFileName"), "liste.txt");
}

TEST_F(StationLifecycle, ALoadedStationOpensItsPortAndComesOnline)
{
    struct Case {
        const char* name;
        std::function<void(LifecycleRig&)> load;
        TMode afterLoading;
        std::string portPanel;
        std::string logLine;
    };
    const Case cases[] = {
        { "serial", [](LifecycleRig& r) { r.loadSerial(); }, mReset, "1", "start station: Com1" },
        { "network", [](LifecycleRig& r) { r.loadNetwork(); }, WsDisconnect, "terminal-server",
            "start station: terminal-server:10001" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LifecycleRig r;
        c.load(r);
        EXPECT_EQ(r.station.Mode, c.afterLoading);
        EXPECT_EQ(r.shown(TViewItem::B_Com), c.portPanel);
        EXPECT_TRUE(r.station.ComPort->Open());
        EXPECT_TRUE(r.station.Timer1->isActive());
        EXPECT_FALSE(r.station.InitFlag);
        EXPECT_TRUE(r.logged(2, c.logLine));
        r.rig.tickUntilOnline();
        EXPECT_EQ(r.station.Mode, Status);
    }
}

TEST_F(StationLifecycle, AModemInitialisationWaitsForConnectOnASerialStationOnly)
{
    t.loadSerial("ModemInit=ATZ\n");
    t.rig.loop.runPending();
    EXPECT_TRUE(station.ModemMode);
    EXPECT_EQ(t.rig.received("ATZ"), 1);
    EXPECT_EQ(t.shown(TViewItem::B_Message), "Waiting for Connect");
    t.rig.tick(3);
    EXPECT_FALSE(station.Timer1->isActive());
    EXPECT_EQ(t.rig.received("V"), 0) << "no poll before the modem connects";
    t.rig.link.write("CONNECT 9600\r");
    t.rig.loop.runPending();
    EXPECT_TRUE(station.Timer1->isActive());

    LifecycleRig network;
    network.loadNetwork("ModemInit=ATZ\n");
    network.rig.loop.runPending();
    EXPECT_FALSE(network.station.ModemMode);
    EXPECT_TRUE(network.station.Timer1->isActive());
    EXPECT_EQ(network.rig.received("ATZ"), 0);
}

TEST_F(StationLifecycle, APortThatCannotBeOpenedLeavesTheStationInComError)
{
    struct Case {
        const char* name;
        std::function<void(LifecycleRig&)> load;
        std::string logLine;
    };
    const Case cases[] = {
        { "serial", [](LifecycleRig& r) { r.loadSerial(); }, "start station: Com1" },
        { "network", [](LifecycleRig& r) { r.loadNetwork(); }, "start station: terminal-server:10001" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LifecycleRig r;
        r.rig.backends.refuseOpen = true;
        c.load(r);
        EXPECT_EQ(r.station.Mode, ComError);
        EXPECT_EQ(r.shown(TViewItem::B_Message), "msg_ComClose");
        EXPECT_FALSE(r.station.ComPort->Open());
        EXPECT_FALSE(r.station.Timer1->isActive());
        EXPECT_TRUE(r.logged(2, c.logLine));
        r.rig.tick(5);
        EXPECT_TRUE(r.rig.terminal.commands().empty());
    }
}

TEST_F(StationLifecycle, AUsbStationLoadsTheSharedSectionAndStartsOffLine)
{
    struct Case {
        const char* name;
        bool cascade;
        bool tile;
        int left;
    };
    const Case cases[] = {
        { "free", false, false, 70 },
        { "cascaded", true, false, 0 },
        { "tiled", false, true, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LifecycleRig r;
        RecordingBackends usbBackends;
        auto usb = TMDIChild::CreateUSB(r.rig.loop, r.rig.host, r.rig.dialogs, usbBackends, -2, "USB\\0001");
        EXPECT_TRUE(usb->IsUSBChild());
        r.settings("[USB]\nCom=5\nBaud=38400\nXPos=70\nModemInit=ATZ\nReceiveDataSplit=1\n");
        usb->WindowCascadeItem = c.cascade;
        usb->WindowTileItem = c.tile;
        usb->USBChildLoad(r.file, -2, true);

        EXPECT_EQ(usbBackends.usb->openedId, "USB\\0001");
        EXPECT_EQ(usbBackends.usb->baudAtOpen, 38400);
        EXPECT_EQ(usb->StationsNr, -2);
        EXPECT_EQ(usb->ChildNo, -2);
        EXPECT_EQ(usb->Settings.Left, c.left);
        EXPECT_EQ(usb->Presentation.text(TViewItem::B_Com), "USB");
        EXPECT_EQ(usb->Presentation.text(TViewItem::Caption), "STATION USB-Port");
        EXPECT_EQ(usb->Mode, OffLine);
        EXPECT_TRUE(usb->Timer1->isActive());
        EXPECT_FALSE(usb->ModemMode);
        EXPECT_EQ(usbBackends.usb->written, "") << "no modem initialisation";
        EXPECT_FALSE(usb->Settings.Fg_ReceiveDataSplit);
        EXPECT_TRUE(r.logged(2, "start usb station"));

        usb->ChildSave(r.file, 1);
        EXPECT_EQ(r.file.readInteger("USB", "Com", -1), 0);
        EXPECT_EQ(r.file.readInteger("USB", "Baud", 0), 38400);
        EXPECT_FALSE(r.file.sectionExists("STATION1"));
    }
}

// ---- numbering

TEST(StationNumbers, RemovingAStationMovesOnlySerialAndNetworkStationsAboveIt)
{
    struct Case {
        bool usb;
        int childNo;
        int deleted;
        int expected;
    };
    const Case cases[] = {
        { false, 3, 2, 2 },
        { false, 2, 2, 2 },
        { false, 1, 2, 1 },
        { true, -1, -3, -1 },
        { true, -2, 1, -2 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.usb ? "usb " : "serial ") << c.childNo << " delete " << c.deleted);
        StationRig rig;
        RecordingBackends usbBackends;
        std::unique_ptr<TMDIChild> usb;
        TMDIChild* station = &rig.station;
        if (c.usb) {
            usb = TMDIChild::CreateUSB(rig.loop, rig.host, rig.dialogs, usbBackends, c.childNo, "USB\\0001");
            station = usb.get();
        }
        station->ChildNo = c.childNo;
        station->StationsNr = c.childNo;
        station->DecChildNo(c.deleted);
        EXPECT_EQ(station->ChildNo, c.expected);
        EXPECT_EQ(station->StationsNr, c.childNo) << "the log number stays";
    }
}

// ---- the port dialog

TEST_F(StationLifecycle, ANewStationAsksForItsPortAndACancelledFirstDialogClosesIt)
{
    struct Case {
        const char* name;
        std::optional<StationPortSettings> answer;
        bool readBackFails;
        int closeRequests;
        TMode mode;
        std::string message;
    };
    const Case cases[] = {
        { "confirmed", serialPort(3, 9600), false, 0, Status, "" },
        // Closing: a port opened again closes after the pauses, a closed one at once.
        { "cancelled", std::nullopt, false, 1, WsDisconnect, "Disconnect" },
        { "confirmed without a port chosen", std::nullopt, true, 1, OffLine, "Disconnect" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LifecycleRig r;
        r.settings("[STATION1]\nBaud=38400\nXPos=40\n");
        r.portDialogs.answer = c.answer;
        r.portDialogs.readBackFails = c.readBackFails;
        bool portClosedWhileShown = false;
        r.portDialogs.whileShown
            = [&] { portClosedWhileShown = !r.station.ComPort->Open() && !r.station.Timer1->isActive(); };

        EXPECT_FALSE(r.station.ChildNewInit(r.file, 2));
        ASSERT_EQ(r.portDialogs.presets.size(), 1u);
        EXPECT_EQ(r.portDialogs.presets[0].Baud, 38400) << "the dialog starts from the predecessor's settings";
        EXPECT_TRUE(portClosedWhileShown);
        EXPECT_EQ(r.rig.host.closeRequests, c.closeRequests);
        EXPECT_EQ(r.station.Mode, c.mode);
        EXPECT_EQ(r.shown(TViewItem::B_Message), c.message);
        EXPECT_TRUE(r.station.modify);
        EXPECT_EQ(r.loggedStarting("start station"), c.closeRequests == 0) << "a station that closed never started";
        r.rig.loop.advance(1s);
        EXPECT_EQ(r.station.CanClose, c.closeRequests == 1);
    }
}

TEST_F(StationLifecycle, AConfirmedNewStationUsesTheChosenPort)
{
    t.settings("[STATION1]\nBaud=38400\n");
    t.portDialogs.answer = serialPort(3, 9600);
    station.ChildNewInit(t.file, 2);
    EXPECT_EQ(station.ComPort->ComNumber(), 3);
    EXPECT_EQ(station.ComPort->Baud(), 9600);
    EXPECT_EQ(t.shown(TViewItem::B_Com), "3");
    EXPECT_TRUE(station.ComPort->Open());
    EXPECT_TRUE(station.Timer1->isActive());
    EXPECT_TRUE(t.logged(2, "start station: Com3"));
    t.rig.tickUntilOnline();
    EXPECT_EQ(station.Mode, Status);
    station.ChildSave(t.file, 0);
    EXPECT_EQ(t.file.readInteger("STATION2", "Com", 0), 3);
    EXPECT_EQ(t.file.readInteger("STATION2", "Baud", 0), 9600);
}

TEST_F(StationLifecycle, ThePortDialogOfARunningStation)
{
    struct Case {
        const char* name;
        std::function<void(LifecycleRig&)> script;
        TMode mode;
        bool open;
        bool modified;
        std::string portPanel;
        std::optional<std::string> message; // nothing: unchanged
    };
    const Case cases[] = {
        { "cancelled: the old settings again", [](LifecycleRig&) {}, Status, true, false, "1", std::nullopt },
        { "confirmed: a network server",
            [](LifecycleRig& r) { r.portDialogs.answer = networkPort("terminal-server", "10001"); }, WsDisconnect, true,
            true, "terminal-server", "" },
        { "confirmed without a port chosen", [](LifecycleRig& r) { r.portDialogs.readBackFails = true; }, ComError,
            false, false, "1", "msg_ComClose" },
        { "confirmed, but the port cannot be opened",
            [](LifecycleRig& r) {
                r.portDialogs.answer = serialPort(2, 19200);
                r.rig.backends.refuseOpen = true;
            },
            ComError, false, false, "2", "msg_ComClose" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LifecycleRig r;
        r.loadSerial();
        r.rig.tickUntilOnline();
        ASSERT_EQ(r.station.Mode, Status);
        c.script(r);
        const std::string before = r.shown(TViewItem::B_Message);
        r.station.SioPageItemClick();

        EXPECT_EQ(r.rig.host.closeRequests, 0) << "a station with a port caption never closes itself";
        EXPECT_EQ(r.station.Mode, c.mode);
        EXPECT_EQ(r.station.ComPort->Open(), c.open);
        EXPECT_EQ(r.station.modify, c.modified);
        EXPECT_EQ(r.shown(TViewItem::B_Com), c.portPanel);
        EXPECT_EQ(r.shown(TViewItem::B_Message), c.message.value_or(before));
        if (c.mode == ComError) {
            EXPECT_EQ(r.shown(TViewItem::B_AP), "") << "the terminal's captions are cleared";
        } else {
            EXPECT_TRUE(r.station.Timer1->isActive());
        }
    }
}

TEST_F(StationLifecycle, ConfirmingThePortDialogOfANetworkStationStartsItsModem)
{
    t.loadNetwork("ModemInit=ATZ\n");
    ASSERT_FALSE(station.ModemMode);
    t.portDialogs.answer = networkPort("terminal-server", "10001");
    station.SioConfiguration();
    t.rig.loop.runPending();
    EXPECT_TRUE(station.ModemMode);
    EXPECT_FALSE(station.Timer1->isActive());
    EXPECT_EQ(t.rig.received("ATZ"), 1);
}

TEST_F(StationLifecycle, ThePortDialogIsBehindThePassword)
{
    t.loadSerial();
    t.rig.host.passwordGiven = false;
    t.portDialogs.answer = serialPort(2, 9600);
    station.SioPageItemClick();
    EXPECT_TRUE(t.portDialogs.presets.empty());
    EXPECT_EQ(station.ComPort->ComNumber(), 1);
}

TEST_F(StationLifecycle, TheUsbPortDialogChangesOnlyTheBaudRate)
{
    for (const std::optional<int> answer : { std::optional<int> { 9600 }, std::optional<int> {} }) {
        SCOPED_TRACE(answer ? "confirmed" : "cancelled");
        LifecycleRig r;
        RecordingBackends usbBackends;
        auto usb = TMDIChild::CreateUSB(r.rig.loop, r.rig.host, r.rig.dialogs, usbBackends, -1, "USB\\0001");
        r.settings("[USB]\nBaud=38400\n");
        usb->USBChildLoad(r.file, -1, true);
        r.portDialogs.usbAnswer = answer;
        bool closedWhileShown = false;
        r.portDialogs.whileShown = [&] { closedWhileShown = !usbBackends.usb->open && !usb->Timer1->isActive(); };

        usb->SioConfiguration();
        EXPECT_EQ(r.portDialogs.usbPresets, std::vector<int> { 38400 });
        EXPECT_TRUE(closedWhileShown);
        EXPECT_TRUE(usbBackends.usb->open) << "opened again in any case";
        EXPECT_EQ(usbBackends.usb->baudAtOpen, answer.value_or(38400));
        EXPECT_EQ(usb->modify, answer.has_value());
        EXPECT_TRUE(usb->Timer1->isActive());
        EXPECT_EQ(usb->Mode, OffLine) << "a USB station keeps its mode";
    }
}

// ---- change tracking and the options pages

TEST(StationChanges, WhatMarksAStationModifiedAndWhatClearsIt)
{
    struct Case {
        const char* name;
        std::function<void(LifecycleRig&)> action;
        bool modified;
    };
    const Case cases[] = {
        { "loading", [](LifecycleRig&) {}, false },
        { "entering an options control", [](LifecycleRig& r) { r.station.AutoRecBoxEnter(); }, true },
        { "clicking AutoProgBox", [](LifecycleRig& r) { r.station.AutoProgBoxClick(); }, true },
        { "clicking AutoProgBox while loading",
            [](LifecycleRig& r) {
                r.station.InitFlag = true;
                r.station.AutoProgBoxClick();
                r.station.InitFlag = false;
            },
            false },
        { "clicking a radio group", [](LifecycleRig& r) { r.station.ZielDateiGroupClick(); }, false },
        { "confirming the port dialog",
            [](LifecycleRig& r) {
                r.portDialogs.answer = serialPort(1, 9600);
                r.station.SioConfiguration();
            },
            true },
        { "cancelling the port dialog", [](LifecycleRig& r) { r.station.SioConfiguration(); }, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LifecycleRig r;
        r.loadSerial();
        c.action(r);
        EXPECT_EQ(r.station.ChildModify(r.file, 1), c.modified);
        r.station.ChildSave(r.file, 1);
        EXPECT_FALSE(r.station.ChildModify(r.file, 1)) << "saving clears it";
    }
}

TEST_F(StationLifecycle, AnOptionsPageStopsPollingUntilItsOkSavesAndReturns)
{
    t.loadSerial();
    t.rig.tickUntilOnline();
    for (const auto& open : { std::function<void()> { [&] { station.DataPageItemClick(); } },
             std::function<void()> { [&] { station.DirectoriesItemClick(); } } }) {
        const int saves = t.rig.host.saves;
        open();
        EXPECT_EQ(station.Mode, DataPageMode);
        EXPECT_EQ(station.OldMode, Status);
        EXPECT_FALSE(station.Timer1->isActive());
        EXPECT_NE(station.Presentation.book(), TBookPage::StatusPage);
        const std::size_t sent = t.rig.terminal.commands().size();
        t.rig.tick(5);
        EXPECT_EQ(t.rig.terminal.commands().size(), sent) << "no poll while the page is shown";

        station.Settings.AutoRecBox = true;
        station.AutoRecBoxEnter();
        station.StatusPageBtn1Click();
        EXPECT_EQ(t.rig.host.saves, saves + 1);
        EXPECT_TRUE(t.file.readBool("STATION1", "AutoRec", false));
        EXPECT_FALSE(station.modify);
        EXPECT_EQ(station.Presentation.book(), TBookPage::StatusPage);
        EXPECT_EQ(station.Mode, Status);
        EXPECT_TRUE(station.Timer1->isActive());
    }
    station.Presentation.setBook(TBookPage::CmdPage);
    station.StatusPageBtn1Click();
    EXPECT_EQ(t.rig.host.saves, 2) << "the utilities page saves nothing";
}

TEST_F(StationLifecycle, TheOptionsPagesAreBehindThePassword)
{
    t.loadSerial();
    t.rig.host.passwordGiven = false;
    station.DataPageItemClick();
    station.DirectoriesItemClick();
    EXPECT_EQ(station.Presentation.book(), TBookPage::StatusPage);
    EXPECT_EQ(station.Mode, mReset);
    EXPECT_TRUE(station.Timer1->isActive());
}

TEST_F(StationLifecycle, TheDirectoriesPageRefusesAPatternWithBothPlaceholdersAndAnUnusableFolder)
{
    struct Case {
        const char* name;
        std::string fileName;
        std::string folder; // inside the rig's folder
        std::string refusal; // empty: accepted
    };
    const Case cases[] = {
        { "%F with a numbering run", "Liste_%F_##.txt", "data",
            "Platzhalter %F und Aufzählungszeichen # sind nicht kombinierbar!" },
        { "a folder that is not there", "Liste.txt", "missing", "msg_ErrPath" },
        { "accepted", "Liste_##.txt", "data", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LifecycleRig r;
        std::filesystem::create_directories(r.rig.folder / "data");
        r.loadSerial();
        r.rig.tickUntilOnline();
        r.station.DirectoriesItemClick();
        r.station.Settings.EditDataFileName = c.fileName;
        r.station.Settings.EditDataPath = r.rig.folder / c.folder;
        r.station.DirectoriesOkBtnClick();
        const bool accepted = c.refusal.empty();
        EXPECT_EQ(r.rig.dialogs.shown, accepted ? std::vector<std::string> {} : std::vector<std::string> { c.refusal });
        EXPECT_EQ(r.station.Presentation.book(), accepted ? TBookPage::StatusPage : TBookPage::DirectoriesPage);
        EXPECT_EQ(r.station.Mode, accepted ? Status : DataPageMode);
        EXPECT_EQ(r.rig.host.saves, accepted ? 1 : 0);
    }
}

TEST_F(StationLifecycle, AcceptingTheDirectoriesPageWithTheNextNumberTakenKeepsTheStationStopped)
{
    std::filesystem::create_directories(t.rig.folder / "data");
    for (int n = 0; n <= 9; ++n)
        WriteFile(t.rig.folder / ("data/Liste_" + std::to_string(n) + ".txt"), "x\r\n");
    t.loadSerial();
    station.DirectoriesItemClick();
    station.Settings.EditDataFileName = "Liste_#.txt";
    station.Settings.EditDataPath = t.rig.folder / "data";
    station.DirectoriesOkBtnClick();
    EXPECT_EQ(station.Presentation.book(), TBookPage::StatusPage);
    EXPECT_EQ(station.Mode, ReceiveFileError);
}

// ---- closing

TEST(StationClosing, ASerialStationDrainsLowersItsLinesAndClosesBetweenTwoPauses)
{
    LifecycleRig r(960); // bytes per second: 96 bytes take 100 ms
    TMDIChild& station = r.station;
    r.loadSerial();
    r.rig.tickUntilOnline();
    ASSERT_EQ(station.Mode, Status);
    r.rig.loop.advance(100ms); // the last poll and its answer are through
    const std::size_t commands = r.rig.terminal.commands().size();
    station.ComPort->PutString(std::string(96, 'x'));

    ASSERT_TRUE(station.FormCloseQuery());
    EXPECT_FALSE(station.Timer1->isActive());
    EXPECT_EQ(station.Mode, WsDisconnect);
    EXPECT_TRUE(station.ComPort->RTS()) << "the output is still on its way";
    ASSERT_TRUE(r.rig.loop.serveUntil([&] { return !station.ComPort->RTS(); }, 1s));
    EXPECT_EQ(station.ComPort->OutBuffUsed(), 0);
    EXPECT_EQ(r.rig.link.pendingToTerminal(), 0u);
    EXPECT_FALSE(station.ComPort->DTR());
    EXPECT_TRUE(station.ComPort->Open());

    r.rig.loop.advance(ClosePause - 1ms);
    EXPECT_TRUE(station.ComPort->Open());
    r.rig.loop.advance(1ms);
    EXPECT_FALSE(station.ComPort->Open());
    EXPECT_FALSE(station.CanClose);
    r.rig.loop.advance(ClosePause - 1ms);
    EXPECT_FALSE(station.CanClose);
    r.rig.loop.advance(1ms);
    EXPECT_TRUE(station.CanClose);
    EXPECT_EQ(station.Mode, OffLine);

    station.FormClose();
    EXPECT_TRUE(r.logged(2, "close station: Com1"));
    r.rig.loop.advance(10s);
    EXPECT_EQ(r.rig.terminal.commands().size(), commands) << "nothing is sent after the close began";
    EXPECT_FALSE(station.ComPort->Open());
}

TEST(StationClosing, ANetworkStationIsNotConnectedAgainAfterItsClose)
{
    LifecycleRig r;
    r.loadNetwork();
    r.rig.tickUntilOnline();
    ASSERT_EQ(r.station.Mode, Status);
    const int devices = r.rig.backends.devicesMade;

    ASSERT_TRUE(r.station.FormCloseQuery());
    r.rig.loop.advance(2 * ClosePause);
    EXPECT_TRUE(r.station.CanClose);
    EXPECT_FALSE(r.rig.link.stationConnected());
    r.rig.loop.advance(WsReconnectInterval * 2);
    EXPECT_EQ(r.rig.backends.devicesMade, devices) << "the close's own disconnect must not reconnect";
    EXPECT_EQ(r.station.Mode, OffLine);
    r.station.FormClose();
    EXPECT_TRUE(r.logged(2, "close station: terminal-server:10001"));
}

TEST(StationClosing, AnOpenOptionsPageIsConfirmedInsteadOfClosing)
{
    LifecycleRig r;
    r.loadSerial();
    r.station.DataPageItemClick();
    EXPECT_FALSE(r.station.FormCloseQuery());
    EXPECT_EQ(r.station.Presentation.book(), TBookPage::StatusPage);
    EXPECT_EQ(r.rig.host.saves, 1);
    EXPECT_TRUE(r.station.Timer1->isActive());
    EXPECT_TRUE(r.station.ComPort->Open());
    r.rig.loop.advance(1s);
    EXPECT_FALSE(r.station.CanClose);

    EXPECT_TRUE(r.station.FormCloseQuery()) << "from the status page it closes";
    r.rig.loop.advance(1s);
    EXPECT_TRUE(r.station.CanClose);
}

TEST(StationClosing, ALineThatNeverDrainsHoldsTheCloseOnlyForTheDrainLimit)
{
    StationRig rig;
    RecordingBackends stuck; // its output buffer always holds bytes
    TMDIChild station(rig.loop, rig.host, rig.dialogs, stuck);
    station.ComPort->SetOpen(true);
    ASSERT_TRUE(station.FormCloseQuery());
    rig.loop.advance(CloseDrainLimit - 1ms);
    EXPECT_TRUE(stuck.com->rts);
    rig.loop.advance(portTick);
    EXPECT_FALSE(stuck.com->rts);
    EXPECT_FALSE(stuck.com->dtr);
    rig.loop.advance(2 * ClosePause);
    EXPECT_TRUE(station.CanClose);
    EXPECT_FALSE(stuck.com->open);
}

TEST(StationClosing, AUsbStationClosesAtOnceAndLogsItsNumber)
{
    LifecycleRig r;
    RecordingBackends usbBackends;
    auto usb = TMDIChild::CreateUSB(r.rig.loop, r.rig.host, r.rig.dialogs, usbBackends, -2, "USB\\0001");
    usb->USBChildLoad(r.file, -2, true);
    usb->DataPageItemClick();
    ASSERT_TRUE(usb->FormCloseQuery()) << "an options page does not hold a USB station";
    EXPECT_TRUE(usb->CanClose);
    EXPECT_FALSE(usb->Timer1->isActive());
    usb->FormClose();
    EXPECT_TRUE(r.logged(2, "close usb station-2"));
}
