#pragma once
// What --headless tells standard output about its stations: one line per mode change and one
// per stored file.
//
//   station <n> mode <ModeName> snr <serial> rec <records>
//   station <n> mode <ModeName> snr <serial> rec <records> file <path>
//
// n is the station's StationsNr (negative for a USB station). The file line repeats the
// station's last reported mode, serial number and records. Each field before "file" is one
// word: an empty one is "-", and bytes below 33 and 127 are written as [hh]; serial number
// and records come from the terminal and are written as UTF-8 (bytes that are not UTF-8 are
// taken as Windows-1252). The path is the rest of the line (only control bytes escaped). Every line is flushed at once,
// so a reader on a pipe sees it as it happens.

#include <map>
#include <ostream>
#include <string>

namespace talvix {

// Called by the station adapter on the event-loop thread.
class HeadlessReport {
public:
    virtual ~HeadlessReport() = default;
    // The station entered a mode (its log name); snr and rec as the station shows them now.
    virtual void onModeChange(
        int StationsNr, const std::string& modeName, const std::string& snr, const std::string& rec)
        = 0;
    // A received file has been stored into path.
    virtual void onFileStored(int StationsNr, const std::string& path) = 0;
};

class StreamHeadlessReport final : public HeadlessReport {
public:
    explicit StreamHeadlessReport(std::ostream& out)
        : out_(out)
    { }
    void onModeChange(
        int StationsNr, const std::string& modeName, const std::string& snr, const std::string& rec) override;
    void onFileStored(int StationsNr, const std::string& path) override;

private:
    struct LastState {
        std::string mode;
        std::string snr;
        std::string rec;
    };
    void writeState(int StationsNr, const LastState& state);

    std::ostream& out_;
    std::map<int, LastState> last_;
};

} // namespace talvix
