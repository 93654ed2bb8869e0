#pragma once
// What a station needs of the one main window: texts, the log, the password question, whether
// it is the active child window, its default folders, program settings, saving and removing
// the station, the port dialogs and the editor. The GUI's main window implements it,
// --headless a window-less host, tests a scripted one.

#include <string>

#include "station/PortDialogs.h"

namespace talvix {

class TMDIChild;

class StationHost {
public:
    virtual ~StationHost() = default;

    // The text under Ident in the language file, or Default.
    virtual std::string GetText(const std::string& Ident, const std::string& Default) const = 0;
    // The program folder, against which a relative data folder is taken.
    virtual std::string ProgPath() const = 0;
    // The log level in force (0: no log).
    virtual int LogLevel() const = 0;
    // One station line; the log filters it by level and makes it printable.
    virtual void LogStationLine(
        int StationsNr, int Level, const std::string& SNr, const std::string& Rec, const std::string& Msg)
        = 0;
    // The program password question: true when no password is set or the right one was given.
    virtual bool CheckPassword() = 0;
    // Function groups reach the menus and the main window's buttons only from the active child.
    virtual bool IsActiveChild(const TMDIChild& child) const = 0;

    // The folders that stand in for missing paths of a station section: the data folder of new
    // stations ("DataPath", "UploadPath") and the update program folder ("UpdatePath").
    virtual std::string DefaultDataPath() const = 0;
    virtual std::string UpdateProgPath() const = 0;
    // Writes the station's section into the program's settings file at once (ChildSave); false
    // when the file refused (the main window has told the user).
    virtual bool SaveSingleChild(TMDIChild& Child) = 0;
    // Removes the station as the delete command does: the main window renumbers the others and
    // closes it. Reached from inside the station, so the station is destroyed only later.
    virtual void CloseStation(TMDIChild& Child) = 0;
    virtual PortDialogs& portDialogs() = 0;

    // The program setting CtrlFilesEnable: storing under the lock-file handshake.
    virtual bool CtrlFilesEnable() const = 0;
    // The work file of the error log read, and the configured editor started with a file.
    virtual std::string ErrorDumpName() const = 0;
    virtual void OpenEditor(const std::string& FileName) = 0;

    // What the station did, for whoever follows it beyond its window (--headless reports it):
    // Mode has changed (OldMode is the one before); a received file was stored into path.
    virtual void ModeChanged(const TMDIChild&) { }
    virtual void FileStored(const TMDIChild&, const std::string& /*path*/) { }
};

} // namespace talvix
