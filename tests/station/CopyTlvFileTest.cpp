#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "station/FileFunctions.h"
#include "station/FileTestSupport.h"

using namespace talvix;
using talvix::test::exists;
using talvix::test::readFile;
using talvix::test::TempDir;
using talvix::test::writeFile;

namespace {

struct CleaningCase {
    const char* name;
    std::string input;
    bool stx;
    bool etx;
    TLineSeparator lineEnd;
    std::string output;
    std::string stxFilename;
    int count;
};

const std::string kFill48(48, '\x1A');

} // namespace

TEST(CopyTlvFile, CleansByTheRules)
{
    const std::vector<CleaningCase> cases = {
        { "header with name kept", "xx%%STX/A/B/C/sub\\list.txt\r\nr1\r\nr2\r\n", true, true, lsCRLF,
            "%%STX/A/B/C\r\nr1\r\nr2\r\n", "sub\\list.txt", 3 },
        { "header with name dropped", "xx%%STX/A/B/C/sub\\list.txt\r\nr1\r\nr2\r\n", false, true, lsCRLF,
            "r1\r\nr2\r\n", "sub\\list.txt", 2 },
        { "header without name kept whole", "%%STX/A/B\r\nr1\r\n", true, true, lsCRLF, "%%STX/A/B\r\nr1\r\n", "", 2 },
        { "header without name dropped", "%%STX/A/B\r\nr1\r\n", false, true, lsCRLF, "r1\r\n", "", 1 },
        { "name holds further slashes", "%%STX/1/2/3/d/e.txt\r\nr\r\n", false, true, lsCRLF, "r\r\n", "d/e.txt", 1 },
        { "header on line 2 is data", "r1\r\n%%STX/A/B/C/n.txt\r\nr2\r\n", false, false, lsCRLF,
            "r1\r\n%%STX/A/B/C/n.txt\r\nr2\r\n", "", 3 },
        { "empty first line makes no header", "\r\n%%STX/A/B/C/n\r\nr\r\n", false, true, lsCRLF,
            "%%STX/A/B/C/n\r\nr\r\n", "", 2 },
        { "footer last dropped", "r1\r\n%%ETX 12\r\n", true, false, lsCRLF, "r1\r\n", "", 1 },
        { "footer last kept", "r1\r\n%%ETX 12\r\n", true, true, lsCRLF, "r1\r\n%%ETX 12\r\n", "", 2 },
        { "footer not last is written", "r1\r\n%%ETX 1\r\nr2\r\n", true, false, lsCRLF, "r1\r\n%%ETX 1\r\nr2\r\n", "",
            3 },
        { "footer before fill bytes is last", "r1\r\n%%ETX\r\n" + kFill48, true, false, lsCRLF, "r1\r\n", "", 1 },
        { "footer without line end", "r1\r\nxx %%ETX", true, false, lsCRLF, "r1\r\n", "", 1 },
        { "header and footer only", "%%STX/a/b/c/f\r\n%%ETX\r\n", false, false, lsCRLF, "", "f", 0 },
        { "header and footer kept", "%%STX/a/b/c/f\r\n%%ETX\r\n", true, true, lsLF, "%%STX/a/b/c\n%%ETX\n", "f", 2 },
        { "empty lines dropped", "r1\r\n\r\n\r\nr2\r\n\r\n", true, true, lsCRLF, "r1\r\nr2\r\n", "", 2 },
        { "lf line ends", "r1\r\nr2\r\n", true, true, lsLF, "r1\nr2\n", "", 2 },
        { "cr line ends", "r1\r\nr2\r\n", true, true, lsCR, "r1\rr2\r", "", 2 },
        { "lone lf and lone cr end lines", "r1\nr2\rr3\r\n", true, true, lsCRLF, "r1\r\nr2\r\nr3\r\n", "", 3 },
        { "fill bytes removed", "r1\r\nr2\r\n" + kFill48, true, true, lsCRLF, "r1\r\nr2\r\n", "", 2 },
        { "fill byte inside data kept", "a\032b\r\n\032", true, true, lsCRLF, "a\032b\r\n", "", 1 },
        { "last line without line end", "r1\r\nr2", true, true, lsLF, "r1\nr2\n", "", 2 },
        { "unknown line end setting", "r1\n", true, true, static_cast<TLineSeparator>(7), "r1\r\n", "", 1 },
        { "empty file", "", true, true, lsCRLF, "", "", 0 },
    };
    TempDir dir;
    const std::string file = dir / "$A1B2.tmp";
    for (const CleaningCase& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(file, c.input);
        std::string name = "stale";
        EXPECT_EQ(CopyTlvFile(file, c.stx, c.etx, c.lineEnd, name), c.count);
        EXPECT_EQ(readFile(file), c.output);
        EXPECT_EQ(name, c.stxFilename);
        EXPECT_FALSE(exists(dir / "$A1B2~mp"));
    }
}

TEST(CopyTlvFile, LongLinesAreDataCopiedUnchanged)
{
    TempDir dir;
    const std::string file = dir / "rcv.tmp";
    // A first line and a last line far beyond the line length limit, which would be header and
    // footer if they were short.
    const std::string longHeader = "%%STX/A/B/C/name.txt" + std::string(300 * 1024, 'h');
    const std::string longFooter = std::string(200 * 1024, 'f') + "%%ETX";
    writeFile(file, longHeader + "\r\nr1\r\n" + longFooter + "\r\n" + kFill48);
    std::string name;
    EXPECT_EQ(CopyTlvFile(file, false, false, lsLF, name), 3);
    EXPECT_EQ(name, "");
    EXPECT_EQ(readFile(file), longHeader + "\nr1\n" + longFooter + "\n");
}

// With CR LF wanted, regular lines are copied in bulk; with LF every line goes one by one. Written
// lines never hold CR or LF, so both results must agree line for line.
TEST(CopyTlvFile, BulkCopyOfRegularLinesAgreesWithLineByLine)
{
    TempDir dir;
    std::string received = "%%STX/1/2/3/bulk.txt\r\n";
    for (int i = 0; i < 20000; ++i) {
        received += "40123456" + std::to_string(i) + ";1";
        received += i % 997 == 0 ? "\r\n\r\n" : i % 1999 == 0 ? "\n" : i % 2999 == 0 ? "\r" : "\r\n";
        if (i % 4001 == 0)
            received += std::string(200 * 1024, 'L') + "\r\n";
    }
    received += "%%ETX 20000\r\n" + kFill48;
    writeFile(dir / "crlf.tmp", received);
    writeFile(dir / "lf.tmp", received);
    std::string crlfName;
    std::string lfName;
    const int crlfCount = CopyTlvFile(dir / "crlf.tmp", false, false, lsCRLF, crlfName);
    const int lfCount = CopyTlvFile(dir / "lf.tmp", false, false, lsLF, lfName);
    EXPECT_EQ(crlfCount, 20000 + 5);
    EXPECT_EQ(lfCount, crlfCount);
    EXPECT_EQ(crlfName, "bulk.txt");
    std::string expected;
    for (const char c : readFile(dir / "lf.tmp"))
        expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(readFile(dir / "crlf.tmp"), expected);
}

// Regular lines are found 64 bytes at a time; the footer must stay the last line, to be dropped,
// wherever its line end falls in such a block.
TEST(CopyTlvFile, FooterAfterRegularLinesIsDroppedAtEveryAlignment)
{
    TempDir dir;
    const std::string file = dir / "rcv.tmp";
    for (std::size_t pad = 0; pad < 64; ++pad) {
        SCOPED_TRACE("pad " + std::to_string(pad));
        std::string records = "4012345678901;" + std::string(pad, '0') + "\r\n";
        for (int i = 0; i < 20; ++i)
            records += "40123456789" + std::to_string(10 + i) + ";1\r\n";
        writeFile(file, "%%STX/1/2/3/n.txt\r\n" + records + "%%ETX 21\r\n");
        std::string name;
        EXPECT_EQ(CopyTlvFile(file, false, false, lsCRLF, name), 21);
        EXPECT_EQ(readFile(file), records);
    }
}

TEST(CopyTlvFile, LeftoverStagingFileIsReplaced)
{
    TempDir dir;
    writeFile(dir / "$A1.tmp", "r1\r\n");
    writeFile(dir / "$A1~mp", "leftover of an interrupted run");
    std::string name;
    EXPECT_EQ(CopyTlvFile(dir / "$A1.tmp", true, true, lsLF, name), 1);
    EXPECT_EQ(readFile(dir / "$A1.tmp"), "r1\n");
    EXPECT_FALSE(exists(dir / "$A1~mp"));
}

TEST(CopyTlvFile, FailureLeavesTheReceivedFileUnchanged)
{
    TempDir dir;
    const std::string received = "%%STX/A/B/C/n.txt\nr1\nr2\n";
    std::string name = "stale";

    EXPECT_EQ(CopyTlvFile(dir / "missing.tmp", true, true, lsCRLF, name), 0);
    EXPECT_EQ(name, "");

    // Something that cannot be removed stands where the cleaned file is staged.
    writeFile(dir / "blocked.tmp", received);
    std::filesystem::create_directory(dir / "blocked~mp");
    name = "stale";
    EXPECT_EQ(CopyTlvFile(dir / "blocked.tmp", true, true, lsCRLF, name), 0);
    EXPECT_EQ(name, "");
    EXPECT_EQ(readFile(dir / "blocked.tmp"), received);

    // The disk fills while the cleaned file is written (CR LF makes it longer than the input).
    std::string big;
    for (int i = 0; i < 2000; ++i)
        big += "record" + std::to_string(i) + "\n";
    writeFile(dir / "full.tmp", big);
    {
        const talvix::test::FileSizeLimit limit(big.size() + 100);
        EXPECT_EQ(CopyTlvFile(dir / "full.tmp", true, true, lsCRLF, name), 0);
    }
    EXPECT_EQ(readFile(dir / "full.tmp"), big);
    EXPECT_FALSE(exists(dir / "full~mp"));
}
