#include "shell/TalvixLog.h"

#include <sys/stat.h>

#include "shell/LogText.h"

namespace talvix {

namespace {

bool isFolder(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A code that would break the line (NUL, LF, CR) or is no byte gives the blank.
char delimiterFor(int code)
{
    if (code < 1 || code > 255 || code == '\n' || code == '\r')
        return ' ';
    return static_cast<char>(static_cast<unsigned char>(code));
}

} // namespace

TalvixLog::TalvixLog(EventLoop& loop) : loop_(loop) {}

TalvixLog::~TalvixLog()
{
    dayCheck_.reset();
    writer_.reset();
}

std::string TalvixLog::start(const LogSettings& settings)
{
    logLevel_ = settings.LogLevel;
    delimiter_ = delimiterFor(settings.LogDelimiter);
    if (logLevel_ <= 0)
        return {};
    if (!isFolder(settings.LogPath)) {
        logLevel_ = 0;
        return CannotCreateLogText;
    }
    writer_ = std::make_unique<LogWriter>(settings.LogPath, settings.LogFileValidityPeriod, delimiter_,
                                          loop_.localNow());
    dayCheck_ = loop_.createTimer([this] { writer_->checkDay(loop_.localNow()); });
    dayCheck_->setInterval(dayCheckInterval);
    dayCheck_->start();
    MainWindowLine("start Talvix");
    return {};
}

void TalvixLog::AddMsg2Log(int station, int typ, const std::string& snr, const std::string& rec, const std::string& s)
{
    if (logLevel_ <= 0 || !writer_)
        return;
    writer_->add(LogEntry{loop_.localNow(), station, typ, snr, rec, s});
}

void TalvixLog::MainWindowLine(const std::string& text)
{
    if (logLevel_ > 0 && logLevel_ <= 2)
        AddMsg2Log(0, 0, "", "", text);
}

void TalvixLog::StationLine(int StationsNr, int Level, const std::string& serialNumber, const std::string& records,
                            const std::string& Msg)
{
    if (logLevel_ > 0 && Level >= logLevel_)
        AddMsg2Log(StationsNr, 1, serialNumber, records, EscapeLogText(Msg));
}

void TalvixLog::shutdown()
{
    MainWindowLine("close Talvix");
    dayCheck_.reset();
    if (writer_)
        writer_->stop();
}

void TalvixLog::waitUntilWritten()
{
    if (writer_)
        writer_->waitUntilWritten();
}

} // namespace talvix
