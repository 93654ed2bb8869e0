#pragma once
// A station receiving from the simulated terminal through the whole chain under virtual time:
// TMDIChild -> TdmPort -> TWsComPort + TXmProtocol -> MemoryLink -> SimTerminal. The station's
// data folder is "data" in the rig's folder, the temporary folder (TEMP) is "temp" beside it, so a
// test sees everything a reception leaves behind and anything that escapes the data folder.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "station/StationRig.h"

namespace talvix::test {

// TEMP pointed at a folder for the lifetime of the object.
class TempFolderVariable {
public:
    explicit TempFolderVariable(const std::string& folder)
    {
        if (const char* value = std::getenv("TEMP"))
            saved_ = value;
        ::setenv("TEMP", folder.c_str(), 1);
    }
    ~TempFolderVariable()
    {
        if (saved_)
            ::setenv("TEMP", saved_->c_str(), 1);
        else
            ::unsetenv("TEMP");
    }
    TempFolderVariable(const TempFolderVariable&) = delete;
    TempFolderVariable& operator=(const TempFolderVariable&) = delete;

private:
    std::optional<std::string> saved_;
};

// A terminal's data memory of two records, and what storing it keeps (the footer line goes).
inline const std::string TwoRecords = "%%STX/123456/180324/143000\r\n"
                                      "000001;4000000000017;1\r\n"
                                      "000002;4000000000024;1\r\n"
                                      "%%ETX 00002\r\n";
inline const std::string TwoRecordsStored = "%%STX/123456/180324/143000\r\n"
                                            "000001;4000000000017;1\r\n"
                                            "000002;4000000000024;1\r\n";

// Names of the files in folder, sorted.
inline std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ReceptionRig {
public:
    explicit ReceptionRig(std::uint32_t bytesPerSecond = 0)
        : rig(bytesPerSecond, TransferEngine::XModem)
    {
        std::filesystem::create_directories(dataFolder);
        std::filesystem::create_directories(tempFolder);
        station.Settings.EditDataPath = dataFolder;
        station.Settings.AutoRecBox = true;
        rig.link.setReceiver([this](std::string_view bytes) {
            toTerminal += bytes;
            terminal.onBytes(bytes);
        });
    }

    // Online, the reception started by the status evaluation and run to its end.
    void receive()
    {
        rig.start(OffLine);
        receiveNext();
    }
    // Ticks until the next reception has started and ended (at most limit ticks each), and past
    // the 500 ms pause before the lock or clear command.
    void receiveNext(int limit = 100)
    {
        for (int i = 0; i < limit && station.Mode != DataReceive; ++i)
            rig.tick();
        for (int i = 0; i < limit && (station.Mode == DataReceive || station.ComPort->InProgress()); ++i)
            rig.tick();
        rig.tick();
    }

    std::string data(const std::string& name) const { return ReadFile(dataFolder + "/" + name); }
    bool logged(int level, const std::string& start) const
    {
        for (const LogLine& line : rig.host.log)
            if (line.level == level && line.msg.starts_with(start))
                return true;
        return false;
    }

    StationRig rig;
    // Every byte the station sent, transfer answers and polls included.
    std::string toTerminal;
    TMDIChild& station = rig.station;
    sim::SimTerminal& terminal = rig.terminal;
    const std::string dataFolder = rig.folder / "data";
    const std::string tempFolder = rig.folder / "temp";
    TempFolderVariable temp { tempFolder };
};

} // namespace talvix::test
