// The station's side of target file naming: it applies what the naming reports (a taken next
// file number stops the station in ReceiveFileError until the user has made room) and shows the
// current target in the file panel B_Datei.
#include "station/TMDIChild.h"

namespace talvix {
namespace {

constexpr std::size_t MaxShownNameLength = 16;
constexpr std::size_t ShownNamePrefix = 13;

// The first count characters of a UTF-8 text, never a cut character.
std::string firstCharacters(const std::string& text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t characters = 0; end < text.size(); ++end) {
        const bool starts = (static_cast<unsigned char>(text[end]) & 0xC0) != 0x80;
        if (starts && characters++ == count)
            break;
    }
    return text.substr(0, end);
}

std::size_t characterCount(const std::string& text)
{
    std::size_t count = 0;
    for (char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

} // namespace

bool TMDIChild::CreatePathAndFileName()
{
    const PathBuildResult built = Naming.CreatePathAndFileName();
    if (built.FileExists)
        stopAtTakenFileNumber(*built.FileExists);
    return built.DataPathUsable;
}

void TMDIChild::SetTlvDatSize(const std::string& Filename)
{
    Naming.SetTlvDatSize(Filename);
}

// Returning from an options page must keep the station stopped, hence OldMode as well. The
// mode's own text follows the detail at once, so "msg_DataFileError" is what stays shown.
void TMDIChild::stopAtTakenFileNumber(const FileExistsStop& stop)
{
    setText(TViewItem::B_Message, stop.Message);
    SetMode(ReceiveFileError);
    OldMode = ReceiveFileError;
}

void TMDIChild::showDataFileName()
{
    if (Presentation.text(TViewItem::B_Datei).empty())
        CreatePathAndFileName();
    const std::string& pattern = Settings.Data_File;
    const std::string name
        = pattern.find("%F") != std::string::npos ? pattern : GetFilePlusNo(pattern, Naming.FileExtNo);
    setText(TViewItem::B_Datei,
        characterCount(name) > MaxShownNameLength ? firstCharacters(name, ShownNamePrefix) + "..." : name);
    setText(TViewItem::B_DateiHint, B_Datei_Hint + ": " + name);
}

void TMDIChild::retryFileNumber()
{
    if (Naming.FilePlatzhalter(Settings.Data_File) <= 0)
        return;
    const IncFileNoResult next = Naming.IncFileNo(Settings.Data_File, Naming.LastFileNo(Settings.Data_File));
    Naming.FileExtNo = next.FileNo;
    if (next.FileExists)
        stopAtTakenFileNumber(*next.FileExists);
    if (next.FileNo >= 0)
        SetMode(OffLine);
}

} // namespace talvix
