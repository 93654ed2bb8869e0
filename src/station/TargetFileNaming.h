#pragma once
// Target file naming of one station: turns the pattern of EditDataFileName into file names in
// the data folder, keeps the running file number FileExtNo, and computes the size display.
//
// A pattern may hold the placeholders "%N" (station number), "%S" (serial number shown), "%D" and
// "%T" (date and time in DateFormat / TimeFormat), "%F" (the file name of the data's header line)
// and a run of "#" that numbers the files. FileExtNo is only ever computed from the files present
// (the unbroken series from 0), so numbering continues after a restart; it is -1 while the next
// number is taken, and the station then stops in ReceiveFileError.
//
// Everything lands inside the data folder: the relative part of every name (pattern, serial
// number, header file name) goes through safeRelativePath, because the serial number and the
// header come from the terminal and the pattern from an edit field. A relative data folder is
// taken relative to the program folder, which is what setting the current directory to it did.

#include <functional>
#include <optional>
#include <string>

#include "platform/LocalDateTime.h"
#include "station/StationSettings.h"

namespace talvix {

// What the naming reads of its station when it builds a name.
class TargetFileStation {
public:
    virtual ~TargetFileStation() = default;
    virtual int StationsNr() const = 0;
    // The serial number as the panel B_SNr shows it (empty while none is known).
    virtual std::string SerialNumberShown() const = 0;
    virtual LocalDateTime localNow() const = 0;
    virtual std::string GetText(const std::string& Ident, const std::string& Default) const = 0;
};

// The next file number is taken. The station shows Message in B_Message and enters
// ReceiveFileError, also as OldMode, so that returning from an options page keeps it there.
struct FileExistsStop {
    std::string Message; // the text of "msg_FileExists", "\r", the pattern
};

struct IncFileNoResult {
    int FileNo = 0; // -1 when taken
    std::optional<FileExistsStop> FileExists;
};

struct PathBuildResult {
    bool DataPathUsable = false; // false: the caller shows "msg_ErrPath"
    std::optional<FileExistsStop> FileExists;
};

struct SizePanel {
    std::string Caption; // the size in bytes
    std::string Hint;
    friend bool operator==(const SizePanel&, const SizePanel&) = default;
};

// What SetTlvDatSize shows: the station's own panel TlvDATSizePanel (cleared when unused) and,
// when this station sets it, the main window's panel TlvDatSizePanel.
struct TlvDatSizeDisplay {
    SizePanel StationPanel;
    std::optional<SizePanel> MainWindowPanel;
};

class MessageDialogs;

// The outcome of the directories page's OK button.
struct DirectoriesOkResult {
    bool Accepted = false; // false: the page stays
    std::optional<FileExistsStop> FileExists;
};

class TargetFileNaming {
public:
    // progPath: the program folder, against which a relative data folder is taken.
    TargetFileNaming(StationSettings& settings, const TargetFileStation& station, std::string progPath);

    // Rebuilds UpdatePath, Data_Path, Data_File and FileExtNo from the edits (dropping a final
    // separator of the two paths, also in their edits), refreshes the size display and tells
    // whether a file can be created in the data folder.
    PathBuildResult CreatePathAndFileName();

    // The check of DirectoriesOkBtnClick: a pattern with both "%F" and "#" is refused with a
    // message; otherwise the path is built, and an unusable data folder is refused with the error
    // box "msg_ErrPath". When accepted the station goes on as its OK buttons do.
    DirectoriesOkResult DirectoriesOkCheck(MessageDialogs& dialogs);

    // Fills in the placeholders, or with the serial-number setting and no numbering run inserts
    // the serial number before the first "." (appends it without "."). The choice uses
    // DateiNummierung as the last FilePlatzhalter left it.
    std::string GetFilePlusName(const std::string& FileName, const std::string& SubName) const;
    // The highest number the run of FN can hold (999, 99, 9 or 0); sets DateiNummierung.
    int FilePlatzhalter(const std::string& FN);
    // The last number of the unbroken series of existing files from 0; -1 when 0 is missing.
    int LastFileNo(const std::string& FileName);
    // The number after FNo (1000 subtracted above 1000), or -1 with FileExists when that file
    // exists already. A pattern without "#" gives FNo.
    IncFileNoResult IncFileNo(const std::string& FileName, int FNo) const;

    // Where a received file with the header file name STXFilename is stored.
    std::string StoredFileTarget(const std::string& STXFilename) const;

    // Refreshes SizeDisplay for the file just stored, or for the current target when Filename is
    // empty, and reports it through OnSizeDisplay.
    const TlvDatSizeDisplay& SetTlvDatSize(const std::string& Filename);

    // A control file of the lock-file handshake with a program that reads the target files:
    // the current target name with `extension` (".~CL", ".~HL") for its own, put right after the
    // data folder's path without a separator ("/srv/daten" and Talvix.txt: /srv/datenTalvix.~CL),
    // the name that program looks for.
    std::string ControlFile(const std::string& extension) const;

    // The data folder, with a trailing separator; "Dir" of every name above.
    std::string DataFolder() const;
    // DataFolder() + the relative part of name, made safe.
    std::string InDataFolder(const std::string& name) const;

    int FileExtNo = 0;
    TlvDatSizeDisplay SizeDisplay;
    std::function<void(const TlvDatSizeDisplay&)> OnSizeDisplay;

private:
    StationSettings& settings_;
    const TargetFileStation& station_;
    std::string progPath_;
};

// The numbering run of FN filled with FileNo: as many digits as there are "#" from the first "#"
// on (leading zeros, a minus sign kept when there is room); FN unchanged without "#".
std::string GetFilePlusNo(const std::string& FN, int FileNo);

} // namespace talvix
