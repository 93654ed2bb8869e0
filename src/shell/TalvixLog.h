#pragma once
// The program's log, as the main window owns it.
//
// A line is queued to the background writer with the time it was added (from the event loop's
// clock); the caller never waits for the disk. Levels: with LogLevel 0 or less nothing is
// logged and no folder is needed; a station message of level L is written when LogLevel <= L;
// the main window's own lines only when LogLevel is 1 or 2. An event-loop timer asks the writer
// every 60 seconds whether the day has changed.

#include <memory>
#include <string>

#include "platform/EventLoop.h"
#include "shell/LogWriter.h"

namespace talvix {

inline constexpr const char* CannotCreateLogText = "Cannot create log file!";

struct LogSettings {
    int LogLevel = 0;
    int LogDelimiter = 32; // a character code
    std::string LogPath;   // must exist
    int LogFileValidityPeriod = 30;
};

class TalvixLog {
public:
    static constexpr Millis dayCheckInterval{60000};

    explicit TalvixLog(EventLoop& loop);
    ~TalvixLog();
    TalvixLog(const TalvixLog&) = delete;
    TalvixLog& operator=(const TalvixLog&) = delete;

    // Starting the log at program start. A missing folder switches logging off for this run
    // (LogLevel() becomes 0) and returns "Cannot create log file!" for the caller to show;
    // otherwise the result is empty and, at levels 1 and 2, "start Talvix" is written.
    std::string start(const LogSettings& settings);
    // The level in force: the setting, or 0 when the log could not start.
    int LogLevel() const { return logLevel_; }

    // One line as given (station 0 and type 0 for the main window); nothing when LogLevel <= 0.
    void AddMsg2Log(int station, int typ, const std::string& snr, const std::string& rec, const std::string& s);
    // A line of the main window itself ("USB-Device Connected:..."), written at levels 1 and 2.
    void MainWindowLine(const std::string& text);
    // A station's LogMsg: written when LogLevel > 0 and Level >= LogLevel, with every byte below
    // 32 or from 128 up written as [hh].
    void StationLine(int StationsNr, int Level, const std::string& serialNumber, const std::string& records,
                     const std::string& Msg);

    // At program end: "close Talvix" (levels 1 and 2), then every queued line is written and the
    // file closed. Lines added afterwards are dropped.
    void shutdown();
    // For tests and the headless program: returns when every line queued so far is on disk.
    void waitUntilWritten();

private:
    EventLoop& loop_;
    int logLevel_ = 0;
    char delimiter_ = ' ';
    std::unique_ptr<LogWriter> writer_;
    std::unique_ptr<Timer> dayCheck_;
};

} // namespace talvix
