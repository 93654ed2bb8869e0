// Appending, sizes, temporary names, copies and the CRC (declared in FileFunctions.h). Whole-file
// work is done by copyRange in large chunks or in the kernel; nothing is held in memory whole.

#include "station/FileFunctions.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>

#include "platform/MessageDialogs.h"
#include "platform/ShellPaths.h"
#include "station/FileIo.h"
#include "station/ReceivedText.h"

namespace talvix {

namespace {

constexpr std::array<std::uint16_t, 256> makeCrcTable()
{
    std::array<std::uint16_t, 256> table {};
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned crc = byte << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000u) ? (crc << 1) ^ 0x1021u : crc << 1;
        table[byte] = static_cast<std::uint16_t>(crc);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kCrcTable = makeCrcTable();

enum class Overwrite { never, always };

// Copies source to dest; 0 or the errno of the failure. A dest written only in part is removed.
int copyWholeFile(const std::string& source, const std::string& dest, Overwrite overwrite)
{
    UniqueFd in = openRegularForReading(source);
    struct stat from { };
    if (!in || ::fstat(in.get(), &from) != 0)
        return errno;
    UniqueFd out
        = openRegularForWriting(dest, O_CREAT | (overwrite == Overwrite::never ? O_EXCL : 0), from.st_mode & 0777);
    struct stat to { };
    if (!out || ::fstat(out.get(), &to) != 0)
        return errno;
    // Truncating the target first would destroy a source that is the same file.
    if (from.st_dev == to.st_dev && from.st_ino == to.st_ino)
        return EINVAL;
    if (truncateTo(out.get(), 0) && copyRange(in.get(), out.get(), 0, static_cast<std::uint64_t>(from.st_size))
        && out.close())
        return 0;
    const int error = errno;
    out.close();
    ::unlink(dest.c_str());
    return error;
}

} // namespace

bool AddFile(const std::string& SummFile, const std::string& TempFile)
{
    UniqueFd in = openRegularForReading(TempFile);
    const auto length = in ? textLength(in.get()) : std::nullopt;
    if (!length)
        return false;
    // A failure leaves the target as it was: no half record in it, and the caller keeps the
    // received file.
    AppendTarget out;
    return out.open(SummFile) && copyRange(in.get(), out.fd(), out.start(), *length) && out.commit();
}

std::int64_t SizeFile(const std::string& FileName)
{
    const UniqueFd fd = openRegularForReading(FileName);
    const std::int64_t size = fd ? fileSize(fd.get()) : -1;
    return size < 0 ? 0 : size;
}

std::string GetNewTempFileName(const std::string& Path, const std::string& FileName)
{
    const std::string created = CreateUniqueTempFile(Path, FileName);
    return created.empty() ? created : ExtractLongPathName(created);
}

std::uint16_t CRCCheck(const void* Daten, int len)
{
    if (len <= 0)
        return 0;
    const auto* bytes = static_cast<const std::uint8_t*>(Daten);
    const unsigned count = static_cast<unsigned>(len) & 0xFFFFu;
    std::uint16_t crc = 0;
    for (unsigned i = 0; i < count; ++i)
        crc = static_cast<std::uint16_t>((crc << 8) ^ kCrcTable[((crc >> 8) ^ bytes[i]) & 0xFFu]);
    return crc;
}

bool OldCopyFile(const std::string& Source, const std::string& Dest)
{
    return copyWholeFile(Source, Dest, Overwrite::never) == 0;
}

bool OldCopyFile(const std::string& Source, const std::string& Dest, MessageDialogs& ErrMsg)
{
    const int error = copyWholeFile(Source, Dest, Overwrite::never);
    if (error != 0)
        ErrMsg.ShowMessage(std::generic_category().message(error));
    return error == 0;
}

bool CopyFileStream(const std::string& sourcefilename, const std::string& targetfilename)
{
    const int error = copyWholeFile(sourcefilename, targetfilename, Overwrite::always);
    if (error != 0)
        throw std::system_error(
            error, std::generic_category(), "cannot copy " + sourcefilename + " to " + targetfilename);
    return true;
}

} // namespace talvix
