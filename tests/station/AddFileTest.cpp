#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "station/FileFunctions.h"
#include "station/FileTestSupport.h"

using namespace talvix;
using talvix::test::exists;
using talvix::test::readFile;
using talvix::test::TempDir;
using talvix::test::writeFile;

namespace {

class AddFileTest : public ::testing::Test {
protected:
    TempDir dir;
    const std::string target = dir / "Talvix.txt";
    const std::string received = dir / "$1F.tmp";
};

} // namespace

TEST_F(AddFileTest, AppendsToAnExistingTargetAndCreatesAMissingOne)
{
    writeFile(received, "r3\r\nr4\r\n");
    EXPECT_TRUE(AddFile(target, received));
    EXPECT_EQ(readFile(target), "r3\r\nr4\r\n");

    writeFile(received, "r5\r\n");
    EXPECT_TRUE(AddFile(target, received));
    EXPECT_EQ(readFile(target), "r3\r\nr4\r\nr5\r\n");
    EXPECT_EQ(readFile(received), "r5\r\n"); // the source stays as it was
}

TEST_F(AddFileTest, StripsFillBytesOnlyAtTheEnd)
{
    std::string data(2000, 'd');
    writeFile(received, data + std::string(48, '\x1A'));
    EXPECT_TRUE(AddFile(target, received));
    EXPECT_EQ(readFile(target), data);

    // 0x1A bytes where chunks of 1025 bytes would end, and a whole chunk of them, are data.
    std::string tricky(1024, 'a');
    tricky += '\x1A';
    tricky += std::string(1025, '\x1A');
    tricky += "tail\r\n";
    writeFile(received, tricky + std::string(30, '\x1A'));
    std::filesystem::remove(target);
    EXPECT_TRUE(AddFile(target, received));
    EXPECT_EQ(readFile(target), tricky);
}

TEST_F(AddFileTest, FillOnlyFileAppendsNothing)
{
    writeFile(target, "kept\r\n");
    writeFile(received, std::string(128, '\x1A'));
    EXPECT_TRUE(AddFile(target, received));
    EXPECT_EQ(readFile(target), "kept\r\n");
}

TEST_F(AddFileTest, UnreadableSourceChangesNothing)
{
    EXPECT_FALSE(AddFile(target, dir / "missing.tmp"));
    EXPECT_FALSE(exists(target));
    std::filesystem::create_directory(dir / "folder.tmp");
    EXPECT_FALSE(AddFile(target, dir / "folder.tmp"));
    EXPECT_FALSE(exists(target));
}

TEST_F(AddFileTest, UnwritableTargetFails)
{
    writeFile(received, "r1\r\n");
    std::filesystem::create_directory(dir / "adir");
    EXPECT_FALSE(AddFile(dir / "adir", received));
    EXPECT_FALSE(AddFile(dir / "no/such/folder/Talvix.txt", received));
    EXPECT_FALSE(exists(dir / "no"));
}

TEST_F(AddFileTest, WriteFailingPartWayLeavesTheTargetAsItWas)
{
    writeFile(target, std::string(3000, 'o'));
    writeFile(received, std::string(5000, 'n'));
    {
        const talvix::test::FileSizeLimit limit(4000);
        EXPECT_FALSE(AddFile(target, received));
        EXPECT_FALSE(AddFile(dir / "new.txt", received));
    }
    EXPECT_EQ(readFile(target), std::string(3000, 'o'));
    EXPECT_FALSE(exists(dir / "new.txt"));
}
