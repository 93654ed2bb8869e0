#pragma once
// A station as the main window sees it, and how the main window creates one.
//
// The main window numbers, arranges, loads, saves and closes its stations through this
// interface only; the station engine (TMDIChild) is adapted to it, tests use a fake. The
// numbers: ChildNo of a serial or network station is 1..N without gaps and names its settings
// section "STATION" + ChildNo; a USB station carries the negative number it was created with as
// both ChildNo and StationsNr and shares the section "USB".
//
// Lifetime: the main window owns each handle. It calls Close() when the station is to end (the
// station stops its own work at once: timer, port, its log line) and destroys the handle later,
// from the event loop, because Close() may have been reached from inside one of the station's
// own commands ("Delete Serial Port").

#include <memory>
#include <string>

#include "platform/ProfileFile.h"

namespace talvix {

class TMainForm;

// A window's place in its parent's client area (or on the screen, for the main window).
struct WindowBounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const WindowBounds&) const = default;
};

class StationHandle {
public:
    virtual ~StationHandle() = default;

    virtual int ChildNo() const = 0;
    virtual int StationsNr() const = 0;
    // The tile-grid cell the station holds, -1 when none; -1 after creation.
    virtual int PosIndex() const = 0;
    virtual void SetPosIndex(int index) = 0;
    virtual std::string USBId() const = 0; // empty for a serial or network station
    virtual bool IsUSBChild() const = 0;

    // The check marks of the station menu's "Cascade" and "Tile" items, mirroring the main
    // menu (one radio group there as here).
    virtual void SetWindowCascadeItem(bool checked) = 0;
    virtual void SetWindowTileItem(bool checked) = 0;

    // The data folder shown in the station's field EditDataPath.
    virtual std::string EditDataPath() const = 0;

    virtual WindowBounds Bounds() const = 0;
    // Moves the window without resizing it.
    virtual void MoveTo(int left, int top) = 0;

    // Loading and saving over the settings file. ChildSave throws ProfileWriteError when the
    // file cannot be written.
    virtual void ChildLoad(ProfileFile& IFile, int MyChildNo, bool New) = 0;
    virtual void USBChildLoad(ProfileFile& IFile, int MyChildNo, bool New) = 0;
    virtual void ChildNewInit(ProfileFile& IFile, int MyChildNo) = 0;
    virtual void ChildSave(ProfileFile& IFile, int MyChildNo) = 0;
    // Whether the station's settings changed since they were loaded or saved.
    virtual bool ChildModify(ProfileFile& IFile, int MyChildNo) = 0;

    // Another station numbered DeleteChildNo is removed: a serial or network station numbered
    // above it moves down by one; a USB station ignores it.
    virtual void DecChildNo(int DeleteChildNo) = 0;
    // "STATION #" + number, or "STATION USB-Port" for a USB station.
    virtual void SetStationTitle(int number) = 0;

    virtual void Close() = 0;
};

// Creates station windows owned by the main window (the owner a station is created with).
class StationFactory {
public:
    virtual ~StationFactory() = default;
    // A serial or network station, not yet loaded.
    virtual std::unique_ptr<StationHandle> CreateStation(TMainForm& owner) = 0;
    // A USB station with its number and device identification (CreateUSB), not yet loaded.
    virtual std::unique_ptr<StationHandle> CreateUSB(TMainForm& owner, int no, const std::string& ID) = 0;
};

} // namespace talvix
