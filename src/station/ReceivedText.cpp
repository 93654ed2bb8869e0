#include "station/ReceivedText.h"

#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include "station/FileIo.h"

namespace talvix {

namespace {

constexpr char kFillByte = 0x1A;

// First CR or LF in [p, end), or end. Tests eight bytes at a time for either byte (the classic
// "has a zero byte" test on the word xor'ed with each); the word holding a hit is then searched
// byte by byte.
const char* findLineEnd(const char* p, const char* end)
{
    constexpr std::uint64_t ones = 0x0101010101010101u;
    constexpr std::uint64_t highs = 0x8080808080808080u;
    constexpr std::uint64_t lfs = ones * '\n';
    constexpr std::uint64_t crs = ones * '\r';
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        const std::uint64_t a = word ^ lfs;
        const std::uint64_t b = word ^ crs;
        if ((((a - ones) & ~a) | ((b - ones) & ~b)) & highs)
            break;
        p += 8;
    }
    while (p < end && *p != '\n' && *p != '\r')
        ++p;
    return p;
}

#if defined(__SSE2__)
// Bit i of cr (lf) is set when byte i of the 64 bytes at p is CR (LF).
void lineEndMasks(const char* p, std::uint64_t& cr, std::uint64_t& lf)
{
    const __m128i crs = _mm_set1_epi8('\r');
    const __m128i lfs = _mm_set1_epi8('\n');
    cr = 0;
    lf = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        cr |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, crs))))
            << (16 * i);
        lf |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lfs))))
            << (16 * i);
    }
}
#endif

} // namespace

std::optional<std::uint64_t> textLength(int fd)
{
    const std::int64_t size = fileSize(fd);
    if (size < 0)
        return std::nullopt;
    char block[4096];
    std::int64_t pos = size;
    while (pos > 0) {
        const std::int64_t want = std::min<std::int64_t>(pos, sizeof block);
        const ssize_t got = ::pread(fd, block, static_cast<std::size_t>(want), pos - want);
        if (got < 0 && errno == EINTR)
            continue;
        if (got != want)
            return std::nullopt;
        for (std::int64_t i = want; i > 0; --i) {
            if (block[i - 1] != kFillByte)
                return static_cast<std::uint64_t>(pos - want + i);
        }
        pos -= want;
    }
    return 0;
}

LineReader::LineReader(int fd, std::uint64_t length, std::size_t capacity)
    : fd_(fd)
    , remaining_(length)
    , capacity_(std::max<std::size_t>(capacity, 8))
    , maxLine_(capacity_ / 2)
    , buffer_(new char[capacity_])
{ }

void LineReader::refill()
{
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(capacity_ - end_, remaining_));
    ssize_t got;
    do {
        got = ::pread(fd_, buffer_.get() + end_, want, static_cast<off_t>(offset_));
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        // A read error, or the file shrank while we read it: the text ends here, incomplete.
        failed_ = true;
        remaining_ = 0;
        return;
    }
    end_ += static_cast<std::size_t>(got);
    offset_ += static_cast<std::uint64_t>(got);
    remaining_ -= static_cast<std::uint64_t>(got);
}

bool LineReader::next(Chunk& chunk)
{
    for (;;) {
        const char* begin = buffer_.get() + begin_;
        const std::size_t available = end_ - begin_;
        const std::size_t window = std::min(available, maxLine_);
        const char* lineEnd = findLineEnd(begin, begin + window);

        if (lineEnd != begin + window) {
            const std::size_t length = static_cast<std::size_t>(lineEnd - begin);
            // Have the byte after a CR and the byte after the line end in the buffer, so that a
            // CR LF split between two reads is one line end and the last line is known as last.
            // It fits: length < maxLine_ = capacity_ / 2.
            if (available < length + 3 && more()) {
                refill();
                continue;
            }
            const std::size_t terminator = (*lineEnd == '\r' && length + 1 < available && lineEnd[1] == '\n') ? 2 : 1;
            begin_ += length + terminator;
            chunk = { { begin, length }, !inLongLine_, true, begin_ == end_ && !more() };
            inLongLine_ = false;
            return true;
        }
        if (available >= maxLine_) {
            begin_ += maxLine_;
            chunk = { { begin, maxLine_ }, false, false, false };
            inLongLine_ = true;
            return true;
        }
        if (more()) {
            refill();
            continue;
        }
        if (available == 0 && !inLongLine_)
            return false;
        // The end of the text ends the last line, or the last piece of a long one.
        begin_ = end_;
        chunk = { { begin, available }, !inLongLine_, true, true };
        inLongLine_ = false;
        return true;
    }
}

LineReader::Run LineReader::takeRegularLines()
{
    Run run;
#if defined(__SSE2__)
    // Lines are checked for their length only where they cross a 64-byte block boundary, which
    // needs a line length limit of at least 64 (tiny test buffers go without this path).
    if (inLongLine_ || maxLine_ < 64 || end_ - begin_ < 65)
        return run;
    const char* const base = buffer_.get() + begin_;
    // Every line taken is followed by at least one more byte, so it is not the last line.
    const std::size_t limit = end_ - begin_ - 1;
    std::size_t runEnd = 0; // after the LF of the last line taken
    std::uint64_t afterCr = 0; // CR in bit 63 of the previous block
    std::uint64_t afterLf = 1; // a line starts at offset 0
    for (std::size_t pos = 0; pos + 64 <= limit; pos += 64) {
        std::uint64_t cr;
        std::uint64_t lf;
        lineEndMasks(base + pos, cr, lf);
        const std::uint64_t crBefore = (cr << 1) | afterCr; // bit i: byte i-1 is CR
        const std::uint64_t lineStarts = (lf << 1) | afterLf; // bit i: a line starts at byte i
        // Irregular: an LF without CR before it, a CR without LF after it, a line starting with
        // CR (empty, or ended by a lone CR).
        const std::uint64_t irregular = (lf ^ crBefore) | (lineStarts & cr);
        std::uint64_t taken = lf;
        if (irregular != 0)
            taken &= (std::uint64_t { 1 } << std::countr_zero(irregular)) - 1;
        if (taken != 0) {
            // Only the first line ending in this block can have started long before it.
            const std::size_t firstLf = pos + static_cast<std::size_t>(std::countr_zero(taken));
            if (firstLf - runEnd > maxLine_)
                break;
            run.lines += static_cast<std::uint64_t>(std::popcount(taken));
            runEnd = pos + 64 - static_cast<std::size_t>(std::countl_zero(taken));
        }
        if (irregular != 0)
            break;
        afterCr = cr >> 63;
        afterLf = lf >> 63;
    }
    run.text = std::string_view(base, runEnd);
    begin_ += runEnd;
#endif
    return run;
}

} // namespace talvix
