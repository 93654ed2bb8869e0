// The main window driving real stations through the adapter: loading, renumbering, adding,
// USB arrival and removal, saving and closing, each station on an in-memory line of its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/VirtualLoop.h"
#include "port/MemoryLink.h"
#include "port/PortRecorders.h"
#include "port/TWsComPort.h"
#include "shell/MainFormFakes.h"
#include "station/ScriptedPortDialogs.h"
#include "station/TMDIChildStation.h"
#include "support/TempDir.h"

using namespace talvix;
using namespace talvix::test;
using namespace std::chrono_literals;

namespace {

// Every serial/network port gets a line of its own; transfers and USB ports only record.
class LinePerPort final : public PortBackendFactory {
public:
    explicit LinePerPort(EventLoop& loop)
        : loop_(loop)
    { }
    std::unique_ptr<ComPortBackend> createComPort() override
    {
        links.push_back(std::make_unique<MemoryLink>(loop_));
        MemoryLink& link = *links.back();
        return std::make_unique<TWsComPort>(
            loop_, PortDevices { [&link](const TWsComPort&) { return link.makeStationEnd(); }, {} });
    }
    std::unique_ptr<ProtocolBackend> createProtocol(ComPortBackend&) override
    {
        return std::make_unique<RecordingProtocol>(journal);
    }
    std::unique_ptr<UsbPortBackend> createUsbPort(const std::string&) override
    {
        auto port = std::make_unique<RecordingUsbPort>(journal);
        usbPorts.push_back(port.get());
        return port;
    }

    std::vector<std::unique_ptr<MemoryLink>> links;
    Journal journal;
    std::vector<RecordingUsbPort*> usbPorts;

private:
    EventLoop& loop_;
};

// What the stations report beyond their windows, in order.
class RecordingActivity final : public StationActivity {
public:
    struct Event {
        int StationsNr;
        TMode mode;
        std::string path; // empty for a mode change
        bool operator==(const Event&) const = default;
    };
    void ModeChanged(const TMDIChild& child) override { events.push_back({ child.StationsNr, child.Mode, {} }); }
    void FileStored(const TMDIChild& child, const std::string& path) override
    {
        events.push_back({ child.StationsNr, child.Mode, path });
    }
    std::vector<Event> events;
};

class StationWindowsTest : public ::testing::Test {
protected:
    std::string ini() const { return root / "prog/Talvix5.ini"; }
    std::string logFolder() const { return root / "log/"; }

    // Serial stations on COM1, COM2, ... with the given baud rates.
    void writeStations(const std::vector<int>& bauds)
    {
        std::filesystem::create_directories(logFolder());
        std::string text = "[MainWnd]\nVersion=500\nLogLevel=2\nLogPath=" + logFolder()
            + "\nWndMode=0\nChildNo=" + std::to_string(bauds.size()) + "\n";
        for (std::size_t i = 0; i < bauds.size(); ++i)
            text += "[STATION" + std::to_string(i + 1) + "]\nCom=" + std::to_string(i + 1)
                + "\nBaud=" + std::to_string(bauds[i]) + "\n";
        WriteFile(ini(), text);
    }
    TMainForm& start()
    {
        form = std::make_unique<TMainForm>(
            MainFormServices { loop, messages, boxTexts, passwords, options, files, processes, view, factory, nullptr },
            root / "prog", "");
        EXPECT_TRUE(form->FormCreate());
        form->FormShow();
        return *form;
    }

    static TMDIChild& engine(StationHandle& station) { return dynamic_cast<TMDIChildStation&>(station).Child(); }
    StationHandle& serialStation(int no)
    {
        for (StationHandle* station : form->MDIChildren())
            if (!station->IsUSBChild() && station->ChildNo() == no)
                return *station;
        throw std::runtime_error("no such station");
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
    bool logHas(const std::string& text) const
    {
        const std::vector<std::string> texts = logTexts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
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
    LinePerPort backends { loop };
    ScriptedPortDialogs portDialogs;
    RecordingActivity activity;
    TMDIChildStationFactory factory { StationServices { loop, backends, messages, portDialogs, &activity } };
    std::unique_ptr<TMainForm> form;
};

StationPortSettings serialPort(std::uint16_t com, int baud)
{
    StationPortSettings port;
    port.ComNumber = com;
    port.Baud = baud;
    return port;
}

} // namespace

TEST_F(StationWindowsTest, DeletingTheMiddleOfThreeStationsRenumbersTheRealStations)
{
    writeStations({ 9600, 19200, 38400 });
    start();
    ASSERT_EQ(form->MDIChildren().size(), 3u);
    for (int no = 1; no <= 3; ++no) {
        TMDIChild& station = engine(serialStation(no));
        EXPECT_EQ(station.Presentation.text(TViewItem::Caption), "STATION #" + std::to_string(no));
        EXPECT_EQ(station.ComPort->ComNumber(), no);
        EXPECT_TRUE(station.ComPort->Open());
        EXPECT_TRUE(station.Timer1->isActive());
    }

    TMDIChild& second = engine(serialStation(2));
    TMDIChild& third = engine(serialStation(3));
    form->CloseStation(serialStation(2));
    EXPECT_TRUE(second.CanClose) << "closed, its port too, before the main window goes on";
    EXPECT_FALSE(second.ComPort->Open());
    EXPECT_EQ(childNos(), (std::vector<int> { 1, 2 }));
    EXPECT_EQ(third.ChildNo, 2);
    EXPECT_EQ(third.StationsNr, 3) << "the log number stays";
    EXPECT_EQ(third.Presentation.text(TViewItem::Caption), "STATION #2");
    loop.runPending();

    form->OptionSaveItemClick();
    ProfileFile file(ini());
    EXPECT_EQ(file.readInteger("MainWnd", "ChildNo", 0), 2);
    EXPECT_EQ(file.readInteger("STATION1", "Baud", 0), 9600);
    EXPECT_EQ(file.readInteger("STATION2", "Com", 0), 3);
    EXPECT_EQ(file.readInteger("STATION2", "Baud", 0), 38400);
    EXPECT_FALSE(file.sectionExists("STATION3"));

    form->FormClose();
    for (const char* line :
        { "start station: Com1", "close station: Com1", "close station: Com2", "close station: Com3" })
        EXPECT_TRUE(logHas(line)) << line;
}

// A refresh (mReset) or entering the mode the station is in is no change to report.
TEST_F(StationWindowsTest, TheActivityHearsOfEachRealModeChange)
{
    writeStations({ 9600, 19200 });
    start();
    activity.events.clear();
    TMDIChild& second = engine(serialStation(2));
    for (const TMode mode : { OffLine, OffLine, mReset, Status, Status })
        second.SetMode(mode);
    using Event = RecordingActivity::Event;
    EXPECT_EQ(activity.events, (std::vector<Event> { { 2, OffLine, {} }, { 2, Status, {} } }));
}

TEST_F(StationWindowsTest, AnAddedStationWhoseFirstPortDialogIsCancelledIsRemovedAgain)
{
    writeStations({ 9600 });
    start();
    form->miAddSerialPortClick();
    EXPECT_EQ(portDialogs.presets.size(), 1u);
    EXPECT_EQ(form->MDIChildren().size(), 1u);
    loop.runPending();

    portDialogs.answer = serialPort(4, 38400);
    form->miAddSerialPortClick();
    ASSERT_EQ(form->MDIChildren().size(), 2u);
    TMDIChild& added = engine(serialStation(2));
    EXPECT_EQ(added.ComPort->ComNumber(), 4);
    EXPECT_TRUE(added.ComPort->Open());
    EXPECT_TRUE(added.modify);

    form->FormClose();
    ProfileFile file(ini());
    EXPECT_EQ(file.readInteger("MainWnd", "ChildNo", 0), 2);
    EXPECT_EQ(file.readInteger("STATION2", "Com", 0), 4);
    EXPECT_EQ(file.readInteger("STATION2", "Baud", 0), 38400);
}

TEST_F(StationWindowsTest, AUsbTerminalBringsAStationThatItsRemovalCloses)
{
    writeStations({});
    start();
    form->OnUSBArrival("USB\\0001");
    ASSERT_EQ(form->MDIChildren().size(), 1u);
    StationHandle& usb = *form->MDIChildren().front();
    EXPECT_TRUE(usb.IsUSBChild());
    EXPECT_EQ(usb.StationsNr(), -1);
    EXPECT_EQ(engine(usb).Presentation.text(TViewItem::Caption), "STATION USB-Port");
    ASSERT_EQ(backends.usbPorts.size(), 1u);
    EXPECT_EQ(backends.usbPorts[0]->openedId, "USB\\0001");

    form->OnUSBRemove("USB\\0001");
    EXPECT_TRUE(form->MDIChildren().empty());
    loop.runPending();
    form->FormClose();
    EXPECT_TRUE(logHas("start usb station"));
    EXPECT_TRUE(logHas("close usb station-1"));
}

TEST_F(StationWindowsTest, AnOptionsPageSavesItsStationIntoTheSettingsFile)
{
    writeStations({ 9600, 19200 });
    start();
    TMDIChild& station = engine(serialStation(2));
    station.DataPageItemClick();
    station.Settings.AutoRecBox = true;
    station.AutoRecBoxEnter();
    station.StatusPageBtn1Click();
    EXPECT_TRUE(ProfileFile(ini()).readBool("STATION2", "AutoRec", false));
    EXPECT_FALSE(ProfileFile(ini()).readBool("STATION1", "AutoRec", false));
    EXPECT_FALSE(station.modify);
}
