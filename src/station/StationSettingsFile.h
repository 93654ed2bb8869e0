#pragma once
// Reading and writing a station's section of the settings file: the pieces of ChildLoad,
// USBChildLoad and ChildSave that touch the file.
//
// Serial and network stations keep their settings in "STATION" + number; every USB station shares
// "USB". A serial or network station whose section is missing starts from its predecessor's
// section (or "DEFAULT"), but always saves to its own. Each key has its default for a missing or
// unreadable value; a number that its field cannot hold (a damaged or hand-edited file) takes
// the default too, so a settings file can never put an impossible value into a station. Stop
// bits are always 1 after loading. "TimeFormat", "DateFormat" and "ReceiveDataSplit" are edited
// by hand and only read. Keys are written in one fixed order.

#include <string>

#include "platform/ProfileFile.h"
#include "station/StationSettings.h"

namespace talvix {

inline constexpr const char* DefaultStationSection = "DEFAULT";
inline constexpr const char* UsbStationSection = "USB";

enum class StationKind { SerialOrNetwork, Usb };

// The main window's folders that stand in for missing paths.
struct StationPathDefaults {
    std::string DefaultDataPath; // "DataPath", "UploadPath"
    std::string UpdateProgPath; // "UpdatePath"
};

// "STATION" + ChildNo.
std::string StationSectionName(int ChildNo);

// The section ChildLoad reads for station ChildNo: its own when it exists; otherwise, from
// station 2 on, its predecessor's when that exists; otherwise "DEFAULT".
std::string ChildLoadSection(const ProfileFile& IFile, int ChildNo);

// The section a station saves to: "USB" for every USB station, else its own numbered one.
std::string ChildSaveSection(StationKind kind, int ChildNo);

// Reads the keys of `section` into settings, in the order the keys are loaded. Fields a kind
// does not read keep their values; a USB station gets ComNumber 0 and Fg_ReceiveDataSplit false.
// readWindowPosition: "XPos"/"YPos" are read (an existing serial or network station; a USB
// station whose windows are neither cascaded nor tiled).
void ReadStationSection(const ProfileFile& IFile, const std::string& section, StationKind kind, bool readWindowPosition,
    const StationPathDefaults& defaults, StationSettings& settings);

// Writes every written key of the table to `section`, in order. A USB station writes "Com" 0,
// "Winsock" 0 and empty network values, and no modem or window keys. Throws ProfileWriteError.
void WriteStationSection(
    ProfileFile& IFile, const std::string& section, StationKind kind, const StationSettings& settings);

// The directory part of a path setting (up to and including its last "\", "/" or ":") and its
// name part (after it).
std::string SettingDirectoryPart(const std::string& value);
std::string SettingNamePart(const std::string& value);

} // namespace talvix
