#pragma once
// Fakes for the main window's collaborators: stations that keep a label in their settings
// section, a factory that remembers every station it made, and scripted dialogs.
//
// A station's state outlives the station object, so a test can still look at a station the
// main window has closed and destroyed.

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileDialogs.h"
#include "platform/MessageDialogs.h"
#include "platform/ProcessStarter.h"
#include "shell/MainWindowView.h"
#include "shell/PasswordCheck.h"
#include "shell/StationHandle.h"
#include "shell/TalvixOptions.h"

namespace talvix::test {

struct FakeStationState {
    bool usb = false;
    int ChildNo = 0;
    int StationsNr = 0;
    int PosIndex = -1;
    std::string USBId;
    bool cascadeMark = false;
    bool tileMark = false;
    std::string EditDataPath;
    WindowBounds bounds { 0, 0, 300, 200 };
    std::string title;
    std::string label; // the one key the fake keeps in its settings section
    bool modify = false;
    int modifyAsked = 0;
    int moves = 0;
    bool closed = false;
    bool destroyed = false;
};

class FakeStation : public StationHandle {
public:
    FakeStation(std::shared_ptr<FakeStationState> state, std::vector<std::string>& journal)
        : s_(std::move(state))
        , journal_(journal)
    { }
    ~FakeStation() override { s_->destroyed = true; }

    int ChildNo() const override { return s_->ChildNo; }
    int StationsNr() const override { return s_->StationsNr; }
    int PosIndex() const override { return s_->PosIndex; }
    void SetPosIndex(int index) override { s_->PosIndex = index; }
    std::string USBId() const override { return s_->USBId; }
    bool IsUSBChild() const override { return s_->usb; }
    void SetWindowCascadeItem(bool checked) override { s_->cascadeMark = checked; }
    void SetWindowTileItem(bool checked) override { s_->tileMark = checked; }
    std::string EditDataPath() const override { return s_->EditDataPath; }
    WindowBounds Bounds() const override { return s_->bounds; }
    void MoveTo(int left, int top) override
    {
        s_->bounds.Left = left;
        s_->bounds.Top = top;
        ++s_->moves;
    }

    void ChildLoad(ProfileFile& IFile, int MyChildNo, bool) override
    {
        s_->ChildNo = MyChildNo;
        s_->StationsNr = MyChildNo;
        load(IFile, "STATION" + std::to_string(MyChildNo));
    }
    void USBChildLoad(ProfileFile& IFile, int MyChildNo, bool) override
    {
        s_->ChildNo = MyChildNo;
        load(IFile, "USB");
    }
    void ChildNewInit(ProfileFile& IFile, int MyChildNo) override
    {
        ChildLoad(IFile, MyChildNo, true);
        s_->modify = true;
    }
    void ChildSave(ProfileFile& IFile, int) override
    {
        IFile.writeString(s_->usb ? "USB" : "STATION" + std::to_string(s_->ChildNo), "Label", s_->label);
        s_->modify = false;
    }
    bool ChildModify(ProfileFile&, int) override
    {
        ++s_->modifyAsked;
        return s_->modify;
    }
    void DecChildNo(int DeleteChildNo) override
    {
        if (!s_->usb && s_->ChildNo > DeleteChildNo)
            --s_->ChildNo;
    }
    void SetStationTitle(int number) override
    {
        s_->title = s_->usb ? "STATION USB-Port" : "STATION #" + std::to_string(number);
    }
    void Close() override
    {
        s_->closed = true;
        journal_.push_back("close " + s_->label);
    }

private:
    void load(const ProfileFile& IFile, const std::string& section)
    {
        s_->label = IFile.readString(section, "Label", "");
        s_->EditDataPath = IFile.readString(section, "DataPath", "");
        s_->modify = false;
        SetStationTitle(s_->ChildNo);
    }

    std::shared_ptr<FakeStationState> s_;
    std::vector<std::string>& journal_;
};

class FakeStationFactory : public StationFactory {
public:
    std::unique_ptr<StationHandle> CreateStation(TMainForm&) override { return make(false, 0, ""); }
    std::unique_ptr<StationHandle> CreateUSB(TMainForm&, int no, const std::string& ID) override
    {
        return make(true, no, ID);
    }

    // Every station ever made, in the order they were made.
    std::vector<std::shared_ptr<FakeStationState>> made;
    std::vector<std::string> journal;
    WindowBounds bounds { 0, 0, 300, 200 };

private:
    std::unique_ptr<StationHandle> make(bool usb, int no, const std::string& id)
    {
        auto state = std::make_shared<FakeStationState>();
        state->usb = usb;
        state->StationsNr = no;
        state->USBId = id;
        state->bounds = bounds;
        made.push_back(state);
        return std::make_unique<FakeStation>(state, journal);
    }
};

class RecordingMessages : public MessageDialogs {
public:
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    TModalResult MessageDlg(const std::string& text, TMsgDlgType, unsigned) override
    {
        shown.push_back(text);
        return TModalResult::mrOk;
    }
    std::vector<std::string> shown;
};

// Each showing types the entries in order, pressing OK after each; when none was accepted the
// user cancels.
class ScriptedPasswordView : public PasswordDialogView {
public:
    bool ShowModal(Tfm_Password& dialog) override
    {
        ++shown;
        for (const std::string& entry : entries) {
            dialog.PasswordField = entry;
            if (dialog.bn_PasswordOKClick())
                return true;
        }
        return false;
    }
    std::vector<std::string> entries;
    int shown = 0;
};

class ScriptedOptionsView : public OptionsDialogView {
public:
    bool ShowModal(Tfm_TalvixOption& dialog) override
    {
        ++shown;
        if (user)
            user(dialog);
        return ok;
    }
    std::function<void(Tfm_TalvixOption&)> user;
    bool ok = true;
    int shown = 0;
};

class ScriptedFileDialogs : public FileDialogs {
public:
    std::optional<std::string> OpenFile(const OpenDialogRequest& request) override
    {
        requests.push_back(request);
        return answer;
    }
    std::optional<std::string> answer;
    std::vector<OpenDialogRequest> requests;
};

class RecordingProcesses : public ProcessStarter {
public:
    struct Start {
        std::string program;
        std::vector<std::string> arguments;
    };
    bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) override
    {
        started.push_back({ program, arguments });
        return true;
    }
    std::vector<Start> started;
};

class RecordingView : public MainWindowView {
public:
    void SetBounds(const WindowBounds& b) override { bounds = b; }
    ClientArea Client() const override { return client; }
    void Cascade() override { ++cascades; }
    void ActivateTrayIcon() override { trayIcon = true; }
    void HideApplication() override { hidden = true; }

    std::optional<WindowBounds> bounds;
    ClientArea client { 800, 600, 30, 20 };
    int cascades = 0;
    bool trayIcon = false;
    bool hidden = false;
};

// A watcher that announces the terminals already plugged in while it is created.
class FakeUsbWatchers : public UsbWatcherFactory {
public:
    class Watcher : public UsbDeviceWatcher {
    public:
        explicit Watcher(bool& alive)
            : alive_(alive)
        {
            alive_ = true;
        }
        ~Watcher() override { alive_ = false; }

    private:
        bool& alive_;
    };

    std::unique_ptr<UsbDeviceWatcher> CreateWatcher(UsbDeviceHandler OnUSBArrival, UsbDeviceHandler OnUSBRemove,
        const std::vector<std::string>& SupportedDeviceList) override
    {
        arrival = std::move(OnUSBArrival);
        removal = std::move(OnUSBRemove);
        supported = SupportedDeviceList;
        for (const std::string& id : pluggedIn)
            arrival(id);
        return std::make_unique<Watcher>(alive);
    }

    std::vector<std::string> pluggedIn;
    UsbDeviceHandler arrival;
    UsbDeviceHandler removal;
    std::vector<std::string> supported;
    bool alive = false;
};

} // namespace talvix::test
