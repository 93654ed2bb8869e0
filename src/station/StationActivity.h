#pragma once
// Someone who follows what the program's stations do beyond their windows: --headless prints
// it. Called on the event-loop thread, from inside the station's own work.

#include <string>

namespace talvix {

class TMDIChild;

class StationActivity {
public:
    virtual ~StationActivity() = default;
    // child.Mode has just changed from child.OldMode.
    virtual void ModeChanged(const TMDIChild& child) = 0;
    // child stored a received file into path.
    virtual void FileStored(const TMDIChild& child, const std::string& path) = 0;
};

} // namespace talvix
