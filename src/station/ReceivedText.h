#pragma once
// How a file received from a terminal is read as text, in bounded memory, whatever its size.
//
// Fill bytes: XModem pads its last block with 0x1A. Only the run of 0x1A bytes at the very end of
// the file is fill and is never read; a 0x1A anywhere else is data and is passed on unchanged.
//
// Line ends: a line ends at CR LF (what the terminals send), at a lone LF or at a lone CR; CR LF
// counts as one line end, LF CR as two (with an empty line between them). An end of text without
// a line end ends the last line; a line end at the end of the text does not start another line.
//
// Long lines: a line is held in memory only while it is shorter than maxLineLength() bytes
// (128 KiB in use). A line that reaches that length without a line end is passed on in pieces of
// that length, its bytes unchanged, and counts as plain data: it is never a header or footer line.
//
// Speed: most of a received file is regular lines (not empty, short, ended by CR LF). A consumer
// that writes such lines unchanged (the cleaning with CR LF line ends, the bulk of storing a
// reception) takes them with takeRegularLines(), many at once straight from the buffer, found 64
// bytes at a time with SSE2; next() delivers the other lines one by one. Without SSE2 nothing is
// taken at once and next() delivers every line: the same lines, only slower.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace talvix {

// Length of the file's text: its size without the trailing run of fill bytes. Reads the end of
// the file backwards in small blocks. Empty on a read error.
std::optional<std::uint64_t> textLength(int fd);

class LineReader {
public:
    static constexpr std::size_t kDefaultCapacity = 256 * 1024;

    // One line, or one piece of a long line. `text` is valid until the next call of next().
    struct Chunk {
        std::string_view text;
        bool whole = true; // a complete line shorter than maxLineLength()
        bool endsLine = true; // the last piece of its line (always true for a whole line)
        bool last = true; // nothing follows in the text
    };

    // Reads `length` bytes of text from offset 0 of fd (see textLength). The buffer holds
    // `capacity` bytes (at least 8); maxLineLength() is half of it.
    LineReader(int fd, std::uint64_t length, std::size_t capacity = kDefaultCapacity);

    // The next line or piece; false at the end of the text or after a read error.
    bool next(Chunk& chunk);

    // Lines that next() would deliver one by one as whole, non-empty, ended by CR LF and not
    // last, taken at once: `text` holds them with their CR LF, `lines` counts them. Only lines
    // already in the buffer are taken; empty when the next line is not such a line (or not
    // buffered yet, or the machine has no SSE2), which next() then delivers. `text` is valid
    // until the next call.
    struct Run {
        std::string_view text;
        std::uint64_t lines = 0;
    };
    Run takeRegularLines();

    // True when a read error ended the text early.
    bool failed() const { return failed_; }
    std::size_t maxLineLength() const { return maxLine_; }

private:
    bool more() const { return remaining_ > 0; }
    void refill();

    int fd_;
    std::uint64_t remaining_;
    std::uint64_t offset_ = 0;
    std::size_t capacity_;
    std::size_t maxLine_;
    std::unique_ptr<char[]> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool inLongLine_ = false;
    bool failed_ = false;
};

} // namespace talvix
