#pragma once
// The main window's logic: program start and end, the station list and its arrangement.
//
// TMainForm owns the program settings, the catalogue reader, the log, the options and password
// dialogs' state, the USB device watcher and every station. Stations are reached through
// StationHandle and created by a StationFactory; everything the window system does (moving the
// frame, cascading, the tray) goes through MainWindowView, every question to the user through the
// dialog interfaces. So the same logic runs behind the MDI window, in --headless and in tests.
//
// Invariants: the serial and network stations are numbered 1..N without gaps (adding takes
// N + 1, removing one renumbers those above it); a USB station's number is below every number in
// use (-1, -2, ...); the main menu's cascade and tile marks are WndMode; Modify is set by every
// change the settings file stores and cleared by every save. Everything runs on the event-loop
// thread.

#include <memory>
#include <string>
#include <vector>

#include "platform/EventLoop.h"
#include "platform/FileDialogs.h"
#include "platform/MessageDialogs.h"
#include "platform/ProcessStarter.h"
#include "shell/MainMenuTexts.h"
#include "shell/MainWindowView.h"
#include "shell/PasswordCheck.h"
#include "shell/ProgramSettings.h"
#include "shell/StationHandle.h"
#include "shell/StationWindows.h"
#include "shell/TalvixLog.h"
#include "shell/TalvixOptions.h"
#include "shell/TextCatalogue.h"

namespace talvix {

inline constexpr const char* DateiOpenFilter = "All|*.*|Text File |*.txt";
inline constexpr Millis StartAsIconDelay { 500 };

// The collaborators the host program supplies; all outlive the main window.
struct MainFormServices {
    EventLoop& loop;
    MessageDialogs& messages;
    MessageBoxTexts& messageBoxTexts; // given the language file at start
    PasswordDialogView& passwordView;
    OptionsDialogView& optionsView;
    FileDialogs& fileDialogs;
    ProcessStarter& processes;
    MainWindowView& view;
    StationFactory& stations;
    UsbWatcherFactory* usbWatchers = nullptr; // none: USB stations come only through OnUSBArrival
};

// A damaged "ChildNo" must not create stations until memory runs out; no real set-up has more.
inline constexpr int MaxStations = 1000;

class TMainForm {
public:
    // progPath: the program's folder; settingsArgument: the first command-line argument, empty
    // when none was given.
    TMainForm(const MainFormServices& services, std::string progPath, std::string settingsArgument);
    ~TMainForm();
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    // Start: folders, settings file, settings, message-box language, log, catalogue. False when
    // the program must end ("Initialization File not found!" has been shown).
    bool FormCreate();
    // Every showing; the first loads the layout and the stations and starts the USB watcher.
    void FormShow();
    // End (called once): asks the stations for changes, saves behind the password when anything
    // changed, closes every station in window order, stops the watcher, writes "close Talvix"
    // and waits until the log is on disk.
    void FormClose();

    // Offered to the stations.
    std::string GetText(const std::string& Ident, const std::string& Default) const;
    void AddMsg2Log(int station, int typ, const std::string& snr, const std::string& rec, const std::string& s);
    TalvixLog& Log() { return log_; }
    bool CheckPassword();
    // Writes the station's section at once; false (and an error box) when the file refused.
    bool SaveSingleChild(StationHandle& Child);
    // Starts the editor setting's program with FileName as its last argument; whether it started
    // is not examined. A blank editor setting starts nothing.
    void OpenEditor(const std::string& FileName);
    // Behind the password: the open dialog in Dir, then the editor with the chosen file.
    void DateiOpen(const std::string& Dir);
    void CloseStation(StationHandle& Child);
    void miCascadeClick();
    void miTileClick();
    // Behind the password: a new serial or network station numbered N + 1, then the arrangement
    // command of the current mode (cascade toggle in cascade mode, else tile toggle).
    void miAddSerialPortClick();

    // Main menu commands.
    void DateiOpenItemClick();
    void OptionSaveItemClick();
    void TalvixOptionItemClick();

    // The USB device watcher's reports.
    void OnUSBArrival(const std::string& DeviceID);
    void OnUSBRemove(const std::string& DeviceID);

    // Reported by the window: the user activated a station; the frame moved or was resized.
    void StationActivated(const StationHandle& station);
    void FormBoundsChanged(const WindowBounds& bounds);

    // State for the window to show. Settings() and the captions exist from FormCreate on.
    const std::vector<StationHandle*>& MDIChildren() const { return stations_.inWindowOrder(); }
    StationHandle* ActiveMDIChild() const { return stations_.active(); }
    TWndMode WndMode() const { return settings_->WndMode; }
    bool miCascadeChecked() const { return WndMode() == wmCascade; }
    bool miTileChecked() const { return WndMode() == wmTile; }
    bool Modify() const { return settings_->Modify; }
    const ProgramSettings& Settings() const { return *settings_; }
    const std::vector<ControlCaption>& Captions() const { return captions_; }
    Tfm_TalvixOption& OptionsDialog() { return options_; }
    Tfm_Password& PasswordDialog() { return passwordDialog_; }

private:
    void LoadForm();
    StationHandle& addStation(std::unique_ptr<StationHandle> station);
    void AutomaticChildPos(StationHandle& station);
    void TilePlace(StationHandle& station);
    int serialStationCount() const;
    int writeStationSections(ProfileFile& file);
    void reportSaveError(const SaveResult& result);

    MainFormServices services_;
    std::string progPath_;
    std::string settingsArgument_;
    Tfm_TalvixOption options_;
    Tfm_Password passwordDialog_;
    TalvixLog log_;
    std::unique_ptr<ProgramSettings> settings_;
    std::unique_ptr<TextCatalogue> TextList_;
    std::vector<ControlCaption> captions_;
    bool FirstShow_ = true;
    std::unique_ptr<Timer> Timer1_;
    // After the services the stations reach while they end, so they go first; the watcher goes
    // before them, so no arrival comes in while they end.
    StationWindows stations_;
    std::unique_ptr<UsbDeviceWatcher> UsbDevice_;
};

} // namespace talvix
