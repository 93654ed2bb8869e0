#include "shell/LogWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <filesystem>

#include "platform/DateTimeFormat.h"

namespace talvix {

namespace {

bool digitsAt(const std::string& s, std::size_t from, std::size_t count)
{
    return std::all_of(s.begin() + static_cast<std::ptrdiff_t>(from), s.begin() + static_cast<std::ptrdiff_t>(from + count),
                       [](char c) { return c >= '0' && c <= '9'; });
}

bool endsWithLogExtension(const std::string& name)
{
    static const std::string ext = ".log";
    return name.size() >= ext.size()
           && std::equal(ext.begin(), ext.end(), name.end() - static_cast<std::ptrdiff_t>(ext.size()),
                         [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

} // namespace

std::string FormatLogLine(const LogEntry& entry, char delimiter)
{
    const std::string d(1, delimiter);
    const std::string type = (entry.typ < 10 ? "0" : "") + std::to_string(entry.typ);
    return FormatDateTime("hh:nn:ss", entry.time) + d + std::to_string(entry.station) + d + type + d
           + (entry.snr.size() < 6 ? "000000" : entry.snr) + d + (entry.rec.size() < 5 ? "00000" : entry.rec) + d
           + entry.text;
}

std::string LogFileName(const LocalDateTime& day)
{
    return FormatDateTime("yyyy-mm-dd", day) + ".log";
}

bool IsExpiredLogFile(const std::string& fileName, const LocalDateTime& today, int validityDays)
{
    if (fileName.size() < 14 || !endsWithLogExtension(fileName))
        return false;
    if (!digitsAt(fileName, 0, 4) || fileName[4] != '-' || !digitsAt(fileName, 5, 2) || fileName[7] != '-'
        || !digitsAt(fileName, 8, 2))
        return false;
    const int year = std::stoi(fileName.substr(0, 4));
    const unsigned month = static_cast<unsigned>(std::stoi(fileName.substr(5, 2)));
    const unsigned day = static_cast<unsigned>(std::stoi(fileName.substr(8, 2)));
    const std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{day}};
    if (!date.ok())
        return false;
    const LocalDateTime fileDay{year, static_cast<int>(month), static_cast<int>(day)};
    return today.dayNumber() - fileDay.dayNumber() > validityDays;
}

LogWriter::LogWriter(std::string folder, int validityDays, char delimiter, const LocalDateTime& today)
    : folder_(std::move(folder)), validityDays_(std::max(validityDays, 0)), delimiter_(delimiter)
{
    queue_.emplace_back(Begin{today});
    queued_ = 1;
    thread_ = std::thread([this] { run(); });
}

LogWriter::~LogWriter()
{
    stop();
}

void LogWriter::add(LogEntry entry)
{
    std::lock_guard lock(mutex_);
    if (stopping_)
        return;
    queue_.emplace_back(std::move(entry));
    ++queued_;
    wake_.notify_one();
}

void LogWriter::checkDay(const LocalDateTime& now)
{
    std::lock_guard lock(mutex_);
    if (stopping_)
        return;
    queue_.emplace_back(DayCheck{now});
    ++queued_;
    wake_.notify_one();
}

void LogWriter::stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        wake_.notify_one();
    }
    if (thread_.joinable())
        thread_.join();
}

void LogWriter::waitUntilWritten()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return handled_ == queued_; });
}

bool LogWriter::failed() const
{
    std::lock_guard lock(mutex_);
    return failed_;
}

void LogWriter::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            break; // stopping, and everything is written
        std::deque<Command> batch;
        batch.swap(queue_);
        lock.unlock();
        std::string pending;
        for (Command& command : batch)
            handle(command, pending);
        flush(pending);
        lock.lock();
        handled_ += batch.size();
        idle_.notify_all();
    }
    lock.unlock();
    closeFile();
}

void LogWriter::handle(Command& command, std::string& pending)
{
    if (const auto* begin = std::get_if<Begin>(&command)) {
        openDay(begin->today);
        return;
    }
    if (fd_ < 0)
        return; // given up: lines are dropped
    if (const auto* entry = std::get_if<LogEntry>(&command)) {
        pending += FormatLogLine(*entry, delimiter_);
        pending += "\r\n";
        return;
    }
    const LocalDateTime& now = std::get<DayCheck>(command).now;
    flush(pending); // what came before the check belongs to the current file
    if (!now.sameDate(fileDay_)) {
        closeFile();
        openDay(now);
        return;
    }
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && st.st_size >= reopenSize) {
        closeFile();
        openFile();
    }
}

void LogWriter::openDay(const LocalDateTime& day)
{
    fileDay_ = day;
    deleteExpired(day);
    openFile();
}

void LogWriter::openFile()
{
    const std::string path = folder_ + (folder_.empty() || folder_.back() == '/' ? "" : "/") + LogFileName(fileDay_);
    fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        std::lock_guard lock(mutex_);
        failed_ = true;
    }
}

void LogWriter::flush(std::string& pending)
{
    std::size_t written = 0;
    while (fd_ >= 0 && written < pending.size()) {
        const ssize_t n = ::write(fd_, pending.data() + written, pending.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // a full disk loses these lines, not the program
        written += static_cast<std::size_t>(n);
    }
    pending.clear();
}

void LogWriter::closeFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void LogWriter::deleteExpired(const LocalDateTime& today) const
{
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (it->is_regular_file(ignored) && IsExpiredLogFile(it->path().filename().string(), today, validityDays_))
            std::filesystem::remove(it->path(), ignored);
    }
}

} // namespace talvix
