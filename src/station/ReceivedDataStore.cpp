#include "station/ReceivedDataStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <utility>

#include "station/FileIo.h"
#include "station/ReceivedFileCleaning.h"
#include "station/ReceivedText.h"

namespace talvix {

namespace {

bool present(const std::string& path)
{
    struct stat st { };
    return ::lstat(path.c_str(), &st) == 0;
}

// The folders between the data folder and the target, for a header that names a sub-directory.
// The data folder itself is never created: a missing one is the user's to fix ("msg_ErrPath").
void createHeaderDirectories(const std::string& dataFolder, const std::string& target)
{
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(target).parent_path();
    if (target.compare(0, dataFolder.size(), dataFolder) == 0 && std::filesystem::is_directory(dataFolder, error))
        std::filesystem::create_directories(parent, error);
}

struct Appended {
    bool ok = false;
    bool existed = false;
    std::int64_t lines = 0;
};

Appended appendCleaned(int received, std::uint64_t length, const std::string& target, const StationSettings& s)
{
    AppendTarget out;
    if (!out.open(target))
        return {};
    LineReader reader(received, length);
    BufferedWriter writer(out.fd());
    std::string name;
    const std::int64_t lines = cleanReceivedLines(reader, writer, s.STXCheck, s.ETXCheck, s.LineSeparator, name);
    if (reader.failed() || !writer.flush() || !out.commit())
        return {}; // out rolls the target back
    return { true, out.existed(), lines };
}

} // namespace

ReceivedDataStore::ReceivedDataStore(
    TargetFileNaming& naming, const StationSettings& settings, EventLoop& loop, bool CtrlFilesEnable, AddLogEvent log)
    : naming_(naming)
    , settings_(settings)
    , loop_(loop)
    , ctrlFilesEnable_(CtrlFilesEnable)
    , log_(std::move(log))
{ }

void ReceivedDataStore::log(int level, const std::string& line) const
{
    if (log_)
        log_(level, line);
}

void ReceivedDataStore::waitWhileHeld()
{
    const std::string hold = naming_.ControlFile(".~HL");
    // A reader that never removes its file must not stop the station for good.
    if (!loop_.serveUntil([&] { return !present(hold); }, HoldFileWait))
        ::unlink(hold.c_str());
}

DataListSaveResult ReceivedDataStore::DataListSave(const std::string& RcvFile)
{
    UniqueFd received = openRegularForReading(RcvFile);
    const std::optional<std::uint64_t> length = received ? textLength(received.get()) : std::nullopt;
    const bool readable = length.has_value();
    const std::uint64_t textBytes = length.value_or(0);
    std::string STXFilename;
    if (readable) {
        LineReader header(received.get(), textBytes);
        STXFilename = headerFileName(header);
    }

    std::string writing;
    if (ctrlFilesEnable_) {
        writing = naming_.ControlFile(".~CL");
        // Created empty unless it exists; closed at once.
        UniqueFd created = openRegularForWriting(writing, O_CREAT | O_EXCL);
        waitWhileHeld();
    }

    DataListSaveResult result;
    const std::string target = naming_.StoredFileTarget(STXFilename);
    const bool noFreeNumber = settings_.Data_File.find('#') != std::string::npos && naming_.FileExtNo < 0;
    if (!noFreeNumber) {
        createHeaderDirectories(naming_.DataFolder(), target);
        const Appended appended = readable ? appendCleaned(received.get(), textBytes, target, settings_) : Appended {};
        if (appended.ok) {
            log(5,
                (appended.existed ? "append file: " : "create file: ") + target + " /"
                    + std::to_string(appended.lines));
            IncFileNoResult next = naming_.IncFileNo(settings_.Data_File, naming_.FileExtNo);
            naming_.FileExtNo = next.FileNo;
            result.Stored = true;
            result.FileExists = std::move(next.FileExists);
        } else {
            log(5, "Error: cannot create file: " + target);
        }
    }

    if (ctrlFilesEnable_)
        ::unlink(writing.c_str());
    naming_.SetTlvDatSize(target);
    result.Target = target;
    return result;
}

} // namespace talvix
