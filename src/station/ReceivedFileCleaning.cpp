// Cleaning, splitting and rewriting of received files (declared in FileFunctions.h and
// ReceivedFileCleaning.h). Each function is one pass of a LineReader; lines are views into its
// buffer and are written through one BufferedWriter, so the hot loop neither allocates nor copies
// a line twice. The cleaning with CR LF line ends, the bulk of storing a reception, copies runs of
// regular lines at once.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <string_view>

#include "station/ReceivedFileCleaning.h"

#include "station/FileFunctions.h"
#include "station/FileIo.h"
#include "station/ReceivedText.h"

namespace talvix {

namespace {

constexpr std::string_view kHeaderMark = "%%STX";
constexpr std::string_view kFooterMark = "%%ETX";
constexpr std::string_view kCrLf = "\r\n";

bool contains(std::string_view line, std::string_view mark)
{
    return line.find(mark) != std::string_view::npos;
}

// Writes the new content under the staging name and renames it over fileName only when all of it
// was read and written, so the received file survives any failure unchanged.
template <typename Transform>
bool rewriteInPlace(const std::string& fileName, std::string_view stagingExtension, Transform&& transform)
{
    UniqueFd in = openRegularForReading(fileName);
    struct stat st { };
    if (!in || ::fstat(in.get(), &st) != 0)
        return false;
    const auto length = textLength(in.get());
    if (!length)
        return false;
    const std::string staging = replaceExtension(fileName, stagingExtension);
    ::unlink(staging.c_str()); // a leftover of an interrupted run
    UniqueFd out = openRegularForWriting(staging, O_CREAT | O_EXCL, st.st_mode & 0777);
    if (!out)
        return false;
    LineReader reader(in.get(), *length);
    BufferedWriter writer(out.get());
    transform(reader, writer);
    const bool done
        = !reader.failed() && writer.flush() && out.close() && ::rename(staging.c_str(), fileName.c_str()) == 0;
    if (!done)
        ::unlink(staging.c_str());
    return done;
}

// Splits a header (starting at "%%STX") at the fourth "/" counted from its fifth character:
// returns the part before it and sets name to the part after it. A header with fewer "/" is
// returned whole and gives no name.
std::string_view splitHeader(std::string_view header, std::string& name)
{
    int slashes = 0;
    for (std::size_t i = 4; i < header.size(); ++i) {
        if (header[i] == '/' && ++slashes == 4) {
            name.assign(header.substr(i + 1));
            return header.substr(0, i);
        }
    }
    return header;
}

// The first line is the header when it contains "%%STX": then header gets its text from there
// on up to the file name, and name the file name.
bool isHeader(const LineReader::Chunk& first, std::string_view& header, std::string& name)
{
    const std::size_t mark = first.whole ? first.text.find(kHeaderMark) : std::string_view::npos;
    if (mark == std::string_view::npos)
        return false;
    header = splitHeader(first.text.substr(mark), name);
    return true;
}

// Counts block headers the way BlockCopy numbers blocks; saturates instead of overflowing.
void countHeader(const LineReader::Chunk& chunk, int& counter)
{
    if (chunk.whole && contains(chunk.text, kHeaderMark) && counter < INT_MAX)
        ++counter;
}

} // namespace

std::string replaceExtension(const std::string& fileName, std::string_view extension)
{
    const std::size_t nameStart = fileName.find_last_of("/\\") + 1; // npos + 1 == 0
    const std::size_t dot = fileName.rfind('.');
    const std::size_t stemEnd = (dot == std::string::npos || dot < nameStart) ? fileName.size() : dot;
    return fileName.substr(0, stemEnd) + std::string(extension);
}

std::int64_t cleanReceivedLines(LineReader& reader, BufferedWriter& writer, bool STXFlag, bool ETXFlag,
    TLineSeparator LineEnd, std::string& STXFilename)
{
    STXFilename.clear();
    const std::string_view lineEnd = lineEndBytes(LineEnd);
    std::int64_t linesRead = 0;
    std::int64_t linesWritten = 0;
    LineReader::Chunk chunk;
    for (;;) {
        // After the first line, regular lines are written unchanged when CR LF is wanted.
        if (linesRead > 0 && lineEnd == kCrLf) {
            const LineReader::Run run = reader.takeRegularLines();
            writer.append(run.text);
            linesRead += static_cast<std::int64_t>(run.lines);
            linesWritten += static_cast<std::int64_t>(run.lines);
        }
        if (!reader.next(chunk))
            break;
        if (!chunk.whole) {
            writer.append(chunk.text);
            if (chunk.endsLine) {
                writer.append(lineEnd);
                ++linesRead;
                ++linesWritten;
            }
            continue;
        }
        ++linesRead;
        std::string_view line = chunk.text;
        if (linesRead == 1 && isHeader(chunk, line, STXFilename) && !STXFlag)
            line = {};
        if (line.empty() || (chunk.last && !ETXFlag && contains(line, kFooterMark)))
            continue;
        writer.append(line);
        writer.append(lineEnd);
        ++linesWritten;
    }
    return linesWritten;
}

std::string headerFileName(LineReader& reader)
{
    std::string name;
    LineReader::Chunk chunk;
    std::string_view header;
    if (reader.next(chunk))
        isHeader(chunk, header, name);
    return name;
}

int CopyTlvFile(
    const std::string& FileName, bool STXFlag, bool ETXFlag, TLineSeparator LineEnd, std::string& STXFilename)
{
    std::int64_t linesWritten = 0;
    const bool cleaned = rewriteInPlace(FileName, "~mp", [&](LineReader& reader, BufferedWriter& writer) {
        linesWritten = cleanReceivedLines(reader, writer, STXFlag, ETXFlag, LineEnd, STXFilename);
    });
    if (!cleaned) {
        STXFilename.clear();
        return 0;
    }
    return static_cast<int>(std::min<std::int64_t>(linesWritten, INT_MAX));
}

int CheckMultiData(const std::string& SourceFile)
{
    UniqueFd in = openRegularForReading(SourceFile);
    const auto length = in ? textLength(in.get()) : std::nullopt;
    if (!length)
        return 0;
    LineReader reader(in.get(), *length);
    LineReader::Chunk chunk;
    int headers = 0;
    while (reader.next(chunk))
        countHeader(chunk, headers);
    return headers;
}

bool BlockCopy(const std::string& SourceFile, const std::string& DestFile, int BlockNo)
{
    UniqueFd in = openRegularForReading(SourceFile);
    const auto length = in ? textLength(in.get()) : std::nullopt;
    if (!length)
        return false;
    UniqueFd out = openRegularForWriting(DestFile, O_CREAT | O_TRUNC);
    if (!out)
        return false;
    LineReader reader(in.get(), *length);
    BufferedWriter writer(out.get());
    LineReader::Chunk chunk;
    int block = 0;
    while (reader.next(chunk)) {
        countHeader(chunk, block);
        if (block != BlockNo)
            continue;
        writer.append(chunk.text);
        if (chunk.endsLine)
            writer.append(kCrLf);
        if (chunk.whole && contains(chunk.text, kFooterMark))
            break;
    }
    return !reader.failed() && writer.flush() && out.close();
}

bool hasLinesOutsideBlocks(const std::string& SourceFile)
{
    UniqueFd in = openRegularForReading(SourceFile);
    const auto length = in ? textLength(in.get()) : std::nullopt;
    if (!length)
        return false;
    LineReader reader(in.get(), *length);
    LineReader::Chunk chunk;
    int block = 0;
    bool inBlock = false;
    while (reader.next(chunk)) {
        const int before = block;
        countHeader(chunk, block);
        inBlock = inBlock || block != before;
        if (!inBlock && !chunk.text.empty())
            return true;
        if (chunk.whole && contains(chunk.text, kFooterMark))
            inBlock = false;
    }
    return false;
}

bool CopyXModemFile(const std::string& FileName)
{
    return rewriteInPlace(FileName, "~xm", [](LineReader& reader, BufferedWriter& writer) {
        LineReader::Chunk chunk;
        while (reader.next(chunk)) {
            writer.append(chunk.text);
            if (chunk.endsLine)
                writer.append(kCrLf);
        }
    });
}

} // namespace talvix
