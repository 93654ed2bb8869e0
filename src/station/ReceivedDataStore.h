#pragma once
// Storing a received data file into its target file (DataListSave), in one streaming pass.
//
// The header line is read first, because its file name can choose the target; then the file is
// cleaned line by line straight onto the end of the target, with the cleaning rules of
// CopyTlvFile. So the received file itself is never changed, no copy of it is made, and memory
// use does not depend on its size. An append that fails part way (disk full, read error) is
// taken back: the target keeps exactly its former content and the caller keeps the received
// file. A header directory that does not exist yet inside the data folder is created.
//
// With the program setting CtrlFilesEnable, a ".~CL" file tells a program that reads the target
// files that this station writes, and a ".~HL" file of that program makes the storing wait (with
// the event loop served) until it is gone, or 10 seconds have passed; then it is deleted.

#include <optional>
#include <string>

#include "platform/EventLoop.h"
#include "port/PortTypes.h"
#include "station/StationSettings.h"
#include "station/TargetFileNaming.h"

namespace talvix {

struct DataListSaveResult {
    bool Stored = false; // appended to the target
    std::string Target; // the file stored into (or tried)
    // The number after the one just used is taken (the data are stored all the same).
    std::optional<FileExistsStop> FileExists;
};

class ReceivedDataStore {
public:
    // log: the station's log (level, line).
    ReceivedDataStore(TargetFileNaming& naming, const StationSettings& settings, EventLoop& loop, bool CtrlFilesEnable,
        AddLogEvent log);

    DataListSaveResult DataListSave(const std::string& RcvFile);

    static constexpr Millis HoldFileWait { 10000 };

private:
    void waitWhileHeld();
    void log(int level, const std::string& line) const;

    TargetFileNaming& naming_;
    const StationSettings& settings_;
    EventLoop& loop_;
    bool ctrlFilesEnable_;
    AddLogEvent log_;
};

} // namespace talvix
