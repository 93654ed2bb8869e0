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

// Lines before the first header, a block with footer followed by a stray line, a block without
// footer, a block with footer followed by a line; mixed line ends and fill bytes as received.
const std::string kThreeBlocks = "pre1\r\n"
                                 "pre2\n"
                                 "%%STX/1/a/b/one.txt\r\n"
                                 "r11\r\n"
                                 "%%ETX 1\r\n"
                                 "between\r\n"
                                 "%%STX/2/a/b/two.txt\r\n"
                                 "r21\r"
                                 "r22\r\n"
                                 "%%STX/3/a/b/three.txt\r\n"
                                 "r31\r\n"
                                 "%%ETX 3\r\n"
                                 "after\r\n"
                                 "\x1A\x1A\x1A\x1A";

} // namespace

TEST(CheckMultiData, CountsHeaderLines)
{
    TempDir dir;
    struct Case {
        std::string input;
        int headers;
    };
    const std::vector<Case> cases = {
        { kThreeBlocks, 3 },
        { "r1\r\nr2\r\n", 0 },
        { "r1\r\nxx%%STX/a\r\n", 1 }, // any line counts, not only the first
        { "%%STX/a %%STX/b\r\n%%STX\n", 2 }, // a line counts once
        { "%%STX\r\n%%STX\r%%STX\n%%ST\r\n", 3 }, // lone CR and LF end lines too
        { "", 0 },
    };
    for (const Case& c : cases) {
        writeFile(dir / "in", c.input);
        EXPECT_EQ(CheckMultiData(dir / "in"), c.headers) << c.input;
    }
    EXPECT_EQ(CheckMultiData(dir / "missing"), 0);
}

TEST(CheckMultiData, CountsHeadersAmongManyRegularLines)
{
    TempDir dir;
    std::string received;
    int headers = 0;
    for (int i = 0; i < 30000; ++i) {
        if (i % 1000 == 0) {
            received += "%%STX/" + std::to_string(i) + "/a/b/c\r\n";
            ++headers;
        } else if (i % 1000 == 500) {
            received += "rec %%STX twice %%STX\r\n";
            ++headers;
        } else {
            received += "4012345" + std::to_string(i) + (i % 777 == 0 ? "%%ST\r\nX\r\n" : "\r\n");
        }
    }
    writeFile(dir / "in", received);
    EXPECT_EQ(CheckMultiData(dir / "in"), headers);
}

TEST(BlockCopy, WritesExactlyTheLinesOfOneBlock)
{
    TempDir dir;
    writeFile(dir / "rcv", kThreeBlocks);
    const std::vector<std::string> blocks = {
        "pre1\r\npre2\r\n",
        "%%STX/1/a/b/one.txt\r\nr11\r\n%%ETX 1\r\n",
        "%%STX/2/a/b/two.txt\r\nr21\r\nr22\r\n",
        "%%STX/3/a/b/three.txt\r\nr31\r\n%%ETX 3\r\n",
        "",
    };
    for (int block = 0; block < static_cast<int>(blocks.size()); ++block) {
        writeFile(dir / "block", "old content that must go");
        EXPECT_TRUE(BlockCopy(dir / "rcv", dir / "block", block));
        EXPECT_EQ(readFile(dir / "block"), blocks[static_cast<std::size_t>(block)]) << "block " << block;
    }
}

TEST(BlockCopy, ReportsWhatItCouldNotDo)
{
    TempDir dir;
    writeFile(dir / "rcv", kThreeBlocks);
    EXPECT_FALSE(BlockCopy(dir / "missing", dir / "block", 1));
    EXPECT_FALSE(exists(dir / "block"));
    EXPECT_FALSE(BlockCopy(dir / "rcv", dir / "no/such/folder/block", 1));
    {
        const talvix::test::FileSizeLimit limit(10);
        EXPECT_FALSE(BlockCopy(dir / "rcv", dir / "block", 1));
    }
}

TEST(CopyXModemFile, RewritesWithCrLfAndWithoutFill)
{
    TempDir dir;
    const std::string file = dir / "DIR.SYS";
    writeFile(file, "a\nb\r\n\r\nc\rd" + std::string(100, '\x1A'));
    EXPECT_TRUE(CopyXModemFile(file));
    EXPECT_EQ(readFile(file), "a\r\nb\r\n\r\nc\r\nd\r\n");
    EXPECT_FALSE(exists(dir / "DIR~xm"));

    EXPECT_FALSE(CopyXModemFile(dir / "missing.sys"));
    EXPECT_FALSE(exists(dir / "missing~xm"));
}

TEST(HasLinesOutsideBlocks, FindsWhatBlockCopyWouldLeaveOut)
{
    TempDir dir;
    struct Case {
        std::string input;
        bool outside;
    };
    const std::vector<Case> cases = {
        { kThreeBlocks, true },
        { "%%STX/1\r\nr1\r\n%%ETX\r\n%%STX/2\r\nr2\r\n%%ETX\r\n\x1A\x1A", false },
        { "%%STX/1\r\nr1\r\n%%STX/2\r\nr2\r\n", false }, // blocks without footer run on
        { "%%STX/1\r\nr1\r\n%%ETX\r\n\r\n\r\n%%STX/2\r\n", false }, // empty lines are no data
        { "pre\r\n%%STX/1\r\nr1\r\n", true },
        { "%%STX/1\r\n%%ETX\r\nbetween\r\n%%STX/2\r\n", true },
        { "%%STX/1\r\n%%ETX\r\nafter", true },
    };
    for (const Case& c : cases) {
        writeFile(dir / "in", c.input);
        EXPECT_EQ(hasLinesOutsideBlocks(dir / "in"), c.outside) << c.input;
    }
    EXPECT_FALSE(hasLinesOutsideBlocks(dir / "missing"));
}
