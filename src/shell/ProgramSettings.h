#pragma once
// The program-wide settings: section "MainWnd" and the "SUPPORTED" list of the settings file.
//
// The main window owns one ProgramSettings for its whole life. Values are read at two moments:
// ReadAtStart when the window is created (folders, log, paths, USB), LoadForm at its first
// showing (layout, editor, password, station count). Between saves, changed values live in the
// fields here (the window keeps XPos ... WndMode current) and in the options dialog; SaveFormAs
// writes them in a fixed order, lets the stations write their sections through a hook, and
// erases the sections of stations that no longer exist.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ProfileFile.h"
#include "shell/SettingsLayout.h"
#include "shell/TalvixOptions.h"

namespace talvix {

enum TWndMode { wmNone = 0, wmCascade = 1, wmTile = 2 };

inline constexpr const char* MainWndSection = "MainWnd";
inline constexpr const char* SupportedSection = "SUPPORTED";
inline constexpr int CurrentIniVersion = 500;
// The desktop's own opener stands in for the Windows editor.
inline constexpr const char* DefaultEditor = "xdg-open";

// The keys LoadForm reads at the main window's first showing, for the window to apply.
struct MainWndLayout {
    bool StartAsIcon = false; // "WndState" > 0: start as tray icon
    int XPos = 0;
    int YPos = 0;
    int Height = 350;
    int Width = 350;
    TWndMode WndMode = wmCascade;
    std::string Editor = DefaultEditor;
    std::string Password; // cut to 40 characters
    int ChildNo = 0;      // number N of serial and network stations ("STATION1".."STATIONn")
};

// Writes the sections of the serial and network stations into the file; returns their number.
using StationSectionWriter = std::function<int(ProfileFile&)>;

struct SaveResult {
    bool saved = false;
    std::string error; // "In <file> kann nicht geschrieben werden" when the file refused the write
};

class ProgramSettings : public ProgramFolders {
public:
    // Opens the settings file folders.IniDatei; options is the general options dialog, which
    // lives as long as the application.
    ProgramSettings(const ProgramFolders& folders, Tfm_TalvixOption& options);

    ProfileFile& InitFile() { return *initFile_; }
    const ProfileFile& InitFile() const { return *initFile_; }

    // Reading at start, in order: "UpdateProg", (language file), "Version", "LogLevel",
    // "LogDelimiter", "LogPath", "LogFileValidityPeriod", "DefaultUpdatePath",
    // "DefaultTablePath", "DefaultConfigPath", "CtrlFilesEnable", "UsbEnable", "SUPPORTED".
    void ReadAtStart();
    // Reading at the first showing: fills the options dialog (editor, password, start as icon),
    // Password (cut to 40) and the window fields, and returns what was read.
    MainWndLayout LoadForm();
    // A file older than version 500 is rewritten at every showing of the main window.
    bool SaveNeededAtShow() const { return IniVersion < CurrentIniVersion; }

    void setStationSectionWriter(StationSectionWriter writer) { writeStations_ = std::move(writer); }

    // Writes every key in the order of the file format; throws ProfileWriteError.
    void SaveFormAs(ProfileFile& file);
    // SaveFormAs on the settings file; clears Modify when it worked. A failed write keeps Modify,
    // so the settings still in memory are saved again at the end.
    SaveResult SaveFormSimple();
    // SaveFormSimple behind the password (not saved, no error when refused).
    SaveResult SaveForm(const std::function<bool()>& CheckPassword);

    // The menu command of the general options dialog; true when it closed with OK.
    bool TalvixOptionItemClick(OptionsDialogView& view, const std::function<bool()>& CheckPassword);

    // Read at start.
    int IniVersion = 0;
    std::string UpdateProgPath;
    int LogLevel = 0; // as configured; the log may run with 0 when its folder is missing
    int LogDelimiter = 32;
    int LogFileValidityPeriod = 30;
    std::string DefaultDialogUpdatePath;
    std::string DefaultDialogTablePath;
    std::string DefaultDialogConfigPath;
    bool CtrlFilesEnable = false;
    bool UsbEnable = false;
    std::vector<std::string> SupportedDeviceList;

    // Kept by the main window.
    std::string Password;
    bool Modify = false;
    int XPos = 0;
    int YPos = 0;
    int Height = 350;
    int Width = 350;
    TWndMode WndMode = wmCascade;

private:
    std::unique_ptr<ProfileFile> initFile_;
    Tfm_TalvixOption& options_;
    StationSectionWriter writeStations_;
};

} // namespace talvix
