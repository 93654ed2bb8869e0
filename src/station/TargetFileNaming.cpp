#include "station/TargetFileNaming.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>

#include "platform/DateTimeFormat.h"
#include "platform/MessageDialogs.h"
#include "platform/ShellPaths.h"
#include "shell/SettingsLayout.h"
#include "station/FileFunctions.h"
#include "station/ReceivedFileCleaning.h"
#include "station/TerminalPath.h"

namespace talvix {

namespace {

bool contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

// Replaces the first occurrence of `from` only, as every placeholder is filled.
std::string replaceFirst(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

bool endsWithSeparator(const std::string& path)
{
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

// The edit's text without a final separator; the edit shows the result as well.
std::string withoutFinalSeparator(std::string& edit)
{
    if (endsWithSeparator(edit))
        edit.pop_back();
    return edit;
}

// Anything under that name, also a directory or a dangling link, takes the number.
bool nameTaken(const std::string& path)
{
    struct stat st { };
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

std::string GetFilePlusNo(const std::string& FN, int FileNo)
{
    const std::size_t first = FN.find('#');
    if (first == std::string::npos)
        return FN;
    std::size_t count = 0;
    for (std::size_t i = first; i < FN.size(); ++i)
        count += FN[i] == '#';
    const std::string padded = "000000" + std::to_string(FileNo);
    const std::string digits = count >= padded.size() ? padded : padded.substr(padded.size() - count);
    const std::size_t resume = first + count; // may be past the run when the "#" are scattered
    return FN.substr(0, first) + digits + (resume < FN.size() ? FN.substr(resume) : std::string());
}

TargetFileNaming::TargetFileNaming(StationSettings& settings, const TargetFileStation& station, std::string progPath)
    : settings_(settings)
    , station_(station)
    , progPath_(progPath.empty() ? "./" : GetCorrectPath(progPath))
{ }

std::string TargetFileNaming::DataFolder() const
{
    const std::string& path = settings_.Data_Path;
    if (path.empty())
        return progPath_;
    return path.front() == '/' ? GetCorrectPath(path) : progPath_ + GetCorrectPath(path);
}

std::string TargetFileNaming::InDataFolder(const std::string& name) const
{
    return DataFolder() + safeRelativePath(name);
}

std::string TargetFileNaming::ControlFile(const std::string& extension) const
{
    // One name, whatever separators the pattern or a serial number brings.
    std::string name = replaceExtension(safeRelativePath(GetFilePlusName(settings_.Data_File, "")), extension);
    std::replace(name.begin(), name.end(), '/', '_');
    std::string folder = DataFolder();
    if (!settings_.Data_Path.empty() && folder.size() > 1)
        folder.pop_back();
    return folder + name;
}

PathBuildResult TargetFileNaming::CreatePathAndFileName()
{
    settings_.UpdatePath = withoutFinalSeparator(settings_.EditUpdatePath);
    settings_.Data_Path = withoutFinalSeparator(settings_.EditDataPath);
    settings_.Data_File
        = settings_.EditDataFileName.empty() ? std::string(ApplicationTitle) + ".txt" : settings_.EditDataFileName;
    settings_.Data_File = GetFilePlusName(settings_.Data_File, "");
    PathBuildResult result;
    if (FilePlatzhalter(settings_.Data_File) > 0) {
        IncFileNoResult next = IncFileNo(settings_.Data_File, LastFileNo(settings_.Data_File));
        FileExtNo = next.FileNo;
        result.FileExists = std::move(next.FileExists);
    }
    SetTlvDatSize("");
    result.DataPathUsable = CheckDrive(DataFolder());
    return result;
}

DirectoriesOkResult TargetFileNaming::DirectoriesOkCheck(MessageDialogs& dialogs)
{
    if (contains(settings_.EditDataFileName, "%F") && contains(settings_.EditDataFileName, "#")) {
        dialogs.ShowMessage("Platzhalter %F und Aufzählungszeichen # sind nicht kombinierbar!");
        return {};
    }
    PathBuildResult built = CreatePathAndFileName();
    if (!built.DataPathUsable) {
        dialogs.MessageDlg(station_.GetText("msg_ErrPath", ""), TMsgDlgType::mtError, mbOK);
        return { false, std::move(built.FileExists) };
    }
    return { true, std::move(built.FileExists) };
}

std::string TargetFileNaming::GetFilePlusName(const std::string& FileName, const std::string& SubName) const
{
    if (settings_.ZielDateiGroup == 1 && !settings_.DateiNummierung) {
        std::string name = FileName;
        const std::size_t dot = name.find('.');
        name.insert(dot == std::string::npos ? name.size() : dot, station_.SerialNumberShown());
        return name;
    }
    const LocalDateTime now = station_.localNow();
    std::string name = replaceFirst(FileName, "%N", std::to_string(station_.StationsNr()));
    name = replaceFirst(name, "%S", station_.SerialNumberShown());
    name = replaceFirst(name, "%D", FormatDateTime(settings_.DateFormat, now));
    name = replaceFirst(name, "%T", FormatDateTime(settings_.TimeFormat, now));
    if (!SubName.empty())
        name = replaceFirst(name, "%F", SubName);
    return name;
}

int TargetFileNaming::FilePlatzhalter(const std::string& FN)
{
    const int highest = contains(FN, "###") ? 999 : contains(FN, "##") ? 99 : contains(FN, "#") ? 9 : 0;
    settings_.DateiNummierung = highest != 0;
    return highest;
}

int TargetFileNaming::LastFileNo(const std::string& FileName)
{
    const int highest = FilePlatzhalter(FileName);
    int number = 0;
    while (number <= highest && nameTaken(InDataFolder(GetFilePlusNo(FileName, number))))
        ++number;
    return number - 1;
}

IncFileNoResult TargetFileNaming::IncFileNo(const std::string& FileName, int FNo) const
{
    // A series that passed the top of a three-digit run continues at 1, 2, ...
    if (FNo > 1000)
        FNo -= 1000;
    if (!contains(FileName, "#"))
        return { FNo, std::nullopt };
    if (nameTaken(InDataFolder(GetFilePlusNo(FileName, FNo + 1))))
        return { -1, FileExistsStop { station_.GetText("msg_FileExists", "") + "\r" + FileName } };
    return { FNo + 1, std::nullopt };
}

std::string TargetFileNaming::StoredFileTarget(const std::string& STXFilename) const
{
    const std::string numbered = GetFilePlusNo(settings_.Data_File, FileExtNo);
    if (settings_.STXFullFilename && !STXFilename.empty()) {
        const std::size_t split = STXFilename.find_last_of("\\/");
        std::string directory = split == std::string::npos ? std::string() : STXFilename.substr(0, split + 1);
        const std::string namePart = STXFilename.substr(directory.size());
        // Leading "." and "\" of the header's directory are dropped.
        directory.erase(0, directory.find_first_not_of(".\\/"));
        directory = safeRelativePath(directory);
        std::string name = GetFilePlusName(safeRelativePath(namePart), "");
        if (name.empty())
            name = numbered;
        return InDataFolder(directory.empty() ? name : directory + "/" + name);
    }
    if (!contains(settings_.Data_File, "%F"))
        return InDataFolder(numbered);
    return InDataFolder(GetFilePlusName(settings_.Data_File, safeRelativePath(STXFilename)));
}

const TlvDatSizeDisplay& TargetFileNaming::SetTlvDatSize(const std::string& Filename)
{
    const std::string hint = station_.GetText("hintLbl_FileSize", "unnown");
    const auto sizeOf = [](const std::string& path) { return std::to_string(SizeFile(path)); };
    if (settings_.ZielDateiGroup == 1 && settings_.DateiNummierung) {
        SizeDisplay.MainWindowPanel.reset();
        if (!Filename.empty()) {
            SizeDisplay.StationPanel = { sizeOf(Filename), hint + " " + Filename };
        } else {
            const std::string name = GetFilePlusNo(settings_.Data_File, FileExtNo);
            SizeDisplay.StationPanel = { sizeOf(InDataFolder(name)), hint + ": ..\\" + name };
        }
    } else {
        SizeDisplay.StationPanel = {};
        const std::string name = contains(settings_.Data_File, "%F") ? GetFilePlusName(settings_.Data_File, "")
                                                                     : GetFilePlusNo(settings_.Data_File, FileExtNo);
        SizeDisplay.MainWindowPanel = SizePanel { sizeOf(InDataFolder(name)), hint + ": ..\\" + name };
    }
    if (OnSizeDisplay)
        OnSizeDisplay(SizeDisplay);
    return SizeDisplay;
}

} // namespace talvix
