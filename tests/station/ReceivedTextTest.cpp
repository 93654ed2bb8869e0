#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "station/FileFunctions.h"
#include "station/FileIo.h"
#include "station/FileTestSupport.h"
#include "station/ReceivedText.h"

using namespace talvix;
using talvix::test::TempDir;
using talvix::test::writeFile;

namespace {

struct ReadResult {
    std::vector<std::string> lines; // pieces joined
    std::vector<LineReader::Chunk> chunks;
    std::vector<std::string> texts;
    bool failed = false;
};

ReadResult readAll(const std::string& path, std::size_t capacity)
{
    UniqueFd fd = openRegularForReading(path);
    const auto length = textLength(fd.get());
    ReadResult result;
    LineReader reader(fd.get(), length.value(), capacity);
    LineReader::Chunk chunk;
    std::string line;
    while (reader.next(chunk)) {
        result.chunks.push_back(chunk);
        result.texts.emplace_back(chunk.text);
        line += chunk.text;
        if (chunk.endsLine) {
            result.lines.push_back(line);
            line.clear();
        }
    }
    result.failed = reader.failed();
    return result;
}

struct LineCase {
    const char* name;
    std::string input;
    std::vector<std::string> lines;
};

} // namespace

// Every case is read with buffers from the smallest up, so that every line end, CR LF pair and
// fill run falls on a buffer boundary somewhere.
TEST(LineReader, SplitsLinesTheSameWithEveryBufferSize)
{
    const std::vector<LineCase> cases = {
        { "crlf", "a\r\nbb\r\n", { "a", "bb" } },
        { "no final line end", "a\r\nbb", { "a", "bb" } },
        { "lone lf and lone cr", "a\nb\rc\r\nd", { "a", "b", "c", "d" } },
        { "lf cr is two line ends", "a\n\rb", { "a", "", "b" } },
        { "empty lines", "\r\n\r\nx\r\n\r\n", { "", "", "x", "" } },
        { "final lone cr", "a\r", { "a" } },
        { "empty file", "", {} },
        { "trailing fill only", "r1\r\nr2\r\n\x1A\x1A\x1A\x1A", { "r1", "r2" } },
        { "fill inside data is data", "a\032b\r\n\032\r\n\032", { "a\032b", "\032" } },
        { "all fill", std::string(300, '\x1A'), {} },
        { "records",
            "4012345678901;1\r\n4012345678902;22\r\n4012345678903;333\n4012345678904;4444\r4012345678905;5\r\n",
            { "4012345678901;1", "4012345678902;22", "4012345678903;333", "4012345678904;4444", "4012345678905;5" } },
    };
    TempDir dir;
    for (const LineCase& c : cases) {
        writeFile(dir / "in", c.input);
        for (std::size_t capacity = 8; capacity <= 48; ++capacity) {
            SCOPED_TRACE(std::string(c.name) + " capacity " + std::to_string(capacity));
            const ReadResult r = readAll(dir / "in", capacity);
            EXPECT_EQ(r.lines, c.lines);
            EXPECT_FALSE(r.failed);
            for (std::size_t i = 0; i < r.chunks.size(); ++i)
                EXPECT_EQ(r.chunks[i].last, i + 1 == r.chunks.size()) << "chunk " << i;
        }
        const ReadResult whole = readAll(dir / "in", LineReader::kDefaultCapacity);
        for (const auto& chunk : whole.chunks)
            EXPECT_TRUE(chunk.whole) << c.name;
    }
}

TEST(LineReader, PassesLongLinesOnInBoundedPieces)
{
    TempDir dir;
    // capacity 16: lines of 8 bytes or more are long.
    writeFile(dir / "in", "0123456789ABCDEFGHIJ\r\nok\r\n01234567\r\n0123456");
    const ReadResult r = readAll(dir / "in", 16);
    const std::vector<std::string> texts = { "01234567", "89ABCDEF", "GHIJ", "ok", "01234567", "", "0123456" };
    const std::vector<bool> whole = { false, false, false, true, false, false, true };
    const std::vector<bool> ends = { false, false, true, true, false, true, true };
    ASSERT_EQ(r.texts, texts);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(r.chunks[i].whole, whole[i]) << i;
        EXPECT_EQ(r.chunks[i].endsLine, ends[i]) << i;
    }
}

TEST(LineReader, LongLineAtTheEndOfTheTextEndsWithIt)
{
    TempDir dir;
    writeFile(dir / "in", "x\r\n0123456789ABCDEF\x1A\x1A");
    const ReadResult r = readAll(dir / "in", 16);
    EXPECT_EQ(r.lines, (std::vector<std::string> { "x", "0123456789ABCDEF" }));
    ASSERT_FALSE(r.chunks.empty());
    EXPECT_TRUE(r.chunks.back().last);
    EXPECT_TRUE(r.chunks.back().endsLine);
}

namespace {

// Random text of short and long lines with every kind of line end, empty lines and fill bytes,
// regular stretches long enough for takeRegularLines to find them.
std::string randomText(unsigned seed)
{
    const std::string ends[] = { "\r\n", "\r\n", "\r\n", "\r\n", "\n", "\r", "\r\n\r\n", "\n\r" };
    std::string text;
    auto random = [&seed](unsigned range) { return (seed = seed * 1103515245u + 12345u) / 65536u % range; };
    const unsigned lines = 20 + random(200);
    for (unsigned i = 0; i < lines; ++i) {
        const unsigned length = random(10) == 0 ? random(300) : random(40);
        for (unsigned j = 0; j < length; ++j)
            text += static_cast<char>(random(20) == 0 ? '\x1A' : 'a' + random(26));
        text += ends[random(8)];
    }
    if (random(2) == 0)
        text += "tail without line end";
    return text + std::string(random(3) * 40, '\x1A');
}

// Lines read with takeRegularLines wherever it takes something, the rest with next().
std::vector<std::string> readMixed(const std::string& path, std::size_t capacity, std::uint64_t& regular)
{
    UniqueFd fd = openRegularForReading(path);
    LineReader reader(fd.get(), textLength(fd.get()).value(), capacity);
    std::vector<std::string> lines;
    std::string line;
    LineReader::Chunk chunk;
    for (;;) {
        const LineReader::Run run = reader.takeRegularLines();
        std::string_view text = run.text;
        std::uint64_t counted = 0;
        while (!text.empty()) {
            const std::size_t end = text.find("\r\n");
            EXPECT_GT(end, 0u); // never an empty line
            EXPECT_LT(end, reader.maxLineLength());
            lines.emplace_back(text.substr(0, end));
            text.remove_prefix(end + 2);
            ++counted;
        }
        EXPECT_EQ(counted, run.lines);
        regular += counted;
        if (!reader.next(chunk)) {
            EXPECT_TRUE(run.text.empty()) << "a run never holds the last line (it may be a footer)";
            break;
        }
        line += chunk.text;
        if (chunk.endsLine) {
            lines.push_back(line);
            line.clear();
        }
    }
    return lines;
}

} // namespace

TEST(LineReader, RegularLinesTakenAtOnceAreTheLinesNextWouldGive)
{
    TempDir dir;
    std::uint64_t regular = 0;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        writeFile(dir / "in", randomText(seed));
        for (const std::size_t capacity : { 70u, 129u, 200u, 1000u, 65536u }) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " capacity " + std::to_string(capacity));
            EXPECT_EQ(readMixed(dir / "in", capacity, regular), readAll(dir / "in", capacity).lines);
        }
    }
#if defined(__SSE2__)
    EXPECT_GT(regular, 1000u); // runs were taken, so the comparison above means something
#endif
}

TEST(TextLength, DropsOnlyTheTrailingFillRunAcrossBlocks)
{
    TempDir dir;
    const std::string data = std::string("a\x1A", 2) + std::string(5000, 'b') + "\r\n";
    writeFile(dir / "in", data + std::string(10000, '\x1A'));
    UniqueFd fd = openRegularForReading(dir / "in");
    EXPECT_EQ(textLength(fd.get()), data.size());
}
