#pragma once
// The background writer of the log: one queue, one thread, one open file per day.
//
// Callers only queue: add() and checkDay() take a lock for a moment and never touch the disk.
// The thread works through the queue in order, formats each line and appends it to the day's
// file "yyyy-mm-dd.log" with CR LF. Because a day check travels through the same queue as the
// lines, every line queued before the check lands in the old day's file and every line after it
// in the new one. When the day's file cannot be opened the writer gives up for the run and later
// lines are dropped; nobody is told.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <variant>

#include "platform/LocalDateTime.h"

namespace talvix {

// One line as the caller hands it over; time is the moment it was added.
struct LogEntry {
    LocalDateTime time;
    int station = 0;
    int typ = 0;
    std::string snr;
    std::string rec;
    std::string text;
};

// time, station, type, serial number, record count and text joined by the delimiter, without
// line end. A serial number under 6 characters becomes "000000", a record count under 5 "00000".
std::string FormatLogLine(const LogEntry& entry, char delimiter);

// "yyyy-mm-dd.log"
std::string LogFileName(const LocalDateTime& day);

// Whether a file of the log folder is to be deleted: its name ends in ".log" and begins with a
// valid date yyyy-mm-dd that lies more than validityDays before today.
bool IsExpiredLogFile(const std::string& fileName, const LocalDateTime& today, int validityDays);

class LogWriter {
public:
    // A file reaching this size is closed and reopened at the next check (a day's file has no
    // size limit; the reopen lets a file moved away by someone else be started afresh).
    static constexpr std::int64_t reopenSize = 10485760;

    // folder must exist; the thread starts at once and begins the file of today (after deleting
    // expired files).
    LogWriter(std::string folder, int validityDays, char delimiter, const LocalDateTime& today);
    // stop()
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    void add(LogEntry entry);
    // The periodic check: starts the file of now's date when the day has changed (deleting
    // expired files first), else reopens a file of reopenSize bytes or more.
    void checkDay(const LocalDateTime& now);
    // Writes every line queued so far, closes the file and ends the thread. Lines added later are
    // dropped.
    void stop();
    // Returns when everything queued so far has been handled.
    void waitUntilWritten();
    // True once the writer has given up because a file could not be opened.
    bool failed() const;

private:
    struct Begin {
        LocalDateTime today;
    };
    struct DayCheck {
        LocalDateTime now;
    };
    // Beginning goes through the queue too, so waitUntilWritten() covers the first file.
    using Command = std::variant<Begin, LogEntry, DayCheck>;

    void run();
    void handle(Command& command, std::string& pending);
    void openDay(const LocalDateTime& day);
    void openFile();
    void flush(std::string& pending);
    void closeFile();
    void deleteExpired(const LocalDateTime& today) const;

    const std::string folder_;
    const int validityDays_;
    const char delimiter_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Command> queue_;
    std::uint64_t queued_ = 0;
    std::uint64_t handled_ = 0;
    bool stopping_ = false;
    bool failed_ = false;

    // Only the thread touches these.
    int fd_ = -1;
    LocalDateTime fileDay_;
    std::thread thread_;
};

} // namespace talvix
