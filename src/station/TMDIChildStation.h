#pragma once
// A station engine (TMDIChild) as the main window drives it (StationHandle), and the factory the
// main window creates its stations with.
//
// The adapter owns its engine and is the engine's StationHost: texts, log, password, saving and
// removing reach the one main window that owns the station. Close() always ends the station,
// because the main window has already taken it out of its list: an open options page is
// confirmed first (as the engine's own close query asks), then the engine's closing runs with
// the loop served until the port is closed, and the closing log line is written.

#include <memory>
#include <string>

#include "platform/EventLoop.h"
#include "platform/MessageDialogs.h"
#include "port/PortBackendFactory.h"
#include "shell/StationHandle.h"
#include "shell/TMainForm.h"
#include "station/PortDialogs.h"
#include "station/StationActivity.h"
#include "station/TMDIChild.h"

namespace talvix {

// What every station of the program shares; all outlive the stations.
struct StationServices {
    EventLoop& loop;
    PortBackendFactory& backends;
    MessageDialogs& messages;
    PortDialogs& portDialogs;
    StationActivity* activity = nullptr; // told of mode changes and stored files when set
};

// The station window's client area; the window is never resized.
inline constexpr int StationWindowWidth = 310;
inline constexpr int StationWindowHeight = 192;
// Closing serves the loop at most this long: the drain limit and both pauses, with room.
inline constexpr Millis MaxClosingTime = CloseDrainLimit + 3 * ClosePause;

class TMDIChildStation final : public StationHandle {
public:
    // A serial or network station of owner, not yet loaded.
    TMDIChildStation(TMainForm& owner, const StationServices& services);
    // A USB station numbered no for the device ID (CreateUSB), not yet loaded.
    TMDIChildStation(TMainForm& owner, const StationServices& services, int no, const std::string& ID);

    TMDIChild& Child() { return *child_; }
    const TMDIChild& Child() const { return *child_; }

    int ChildNo() const override { return child_->ChildNo; }
    int StationsNr() const override { return child_->StationsNr; }
    int PosIndex() const override { return child_->PosIndex; }
    void SetPosIndex(int index) override { child_->PosIndex = index; }
    std::string USBId() const override { return child_->USBId; }
    bool IsUSBChild() const override { return child_->IsUSBChild(); }
    void SetWindowCascadeItem(bool checked) override { child_->WindowCascadeItem = checked; }
    void SetWindowTileItem(bool checked) override { child_->WindowTileItem = checked; }
    std::string EditDataPath() const override { return child_->Settings.EditDataPath; }
    WindowBounds Bounds() const override;
    // The place is saved as "XPos" and "YPos".
    void MoveTo(int left, int top) override;

    void ChildLoad(ProfileFile& IFile, int MyChildNo, bool New) override { child_->ChildLoad(IFile, MyChildNo, New); }
    void USBChildLoad(ProfileFile& IFile, int MyChildNo, bool New) override
    {
        child_->USBChildLoad(IFile, MyChildNo, New);
    }
    void ChildNewInit(ProfileFile& IFile, int MyChildNo) override { child_->ChildNewInit(IFile, MyChildNo); }
    void ChildSave(ProfileFile& IFile, int MyChildNo) override { child_->ChildSave(IFile, MyChildNo); }
    bool ChildModify(ProfileFile& IFile, int MyChildNo) override { return child_->ChildModify(IFile, MyChildNo); }
    void DecChildNo(int DeleteChildNo) override { child_->DecChildNo(DeleteChildNo); }
    void SetStationTitle(int number) override { child_->SetStationTitle(number); }

    void Close() override;

private:
    class Host final : public StationHost {
    public:
        Host(TMainForm& owner, TMDIChildStation& station, const StationServices& services);
        std::string GetText(const std::string& Ident, const std::string& Default) const override;
        std::string ProgPath() const override;
        int LogLevel() const override;
        void LogStationLine(
            int StationsNr, int Level, const std::string& SNr, const std::string& Rec, const std::string& Msg) override;
        bool CheckPassword() override;
        bool IsActiveChild(const TMDIChild& child) const override;
        std::string DefaultDataPath() const override;
        std::string UpdateProgPath() const override;
        bool SaveSingleChild(TMDIChild& Child) override;
        void CloseStation(TMDIChild& Child) override;
        PortDialogs& portDialogs() override { return dialogs_; }
        bool CtrlFilesEnable() const override;
        std::string ErrorDumpName() const override;
        void OpenEditor(const std::string& FileName) override;
        void ModeChanged(const TMDIChild& child) override;
        void FileStored(const TMDIChild& child, const std::string& path) override;

    private:
        TMainForm& owner_;
        TMDIChildStation& station_;
        PortDialogs& dialogs_;
        StationActivity* activity_;
    };

    EventLoop& loop_;
    Host host_;
    std::unique_ptr<TMDIChild> child_;
};

// Makes TMDIChild stations over the port back ends the program uses.
class TMDIChildStationFactory final : public StationFactory {
public:
    explicit TMDIChildStationFactory(const StationServices& services)
        : services_(services)
    { }
    std::unique_ptr<StationHandle> CreateStation(TMainForm& owner) override;
    std::unique_ptr<StationHandle> CreateUSB(TMainForm& owner, int no, const std::string& ID) override;

private:
    StationServices services_;
};

} // namespace talvix
