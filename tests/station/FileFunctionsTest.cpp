#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "platform/MessageDialogs.h"
#include "station/FileFunctions.h"
#include "station/FileTestSupport.h"

using namespace talvix;
using talvix::test::exists;
using talvix::test::readFile;
using talvix::test::TempDir;
using talvix::test::writeFile;

namespace {

// The CRC bit by bit, straight from the definition, to hold the table-driven one against.
std::uint16_t crcBitwise(const std::vector<std::uint8_t>& data)
{
    unsigned crc = 0;
    for (const std::uint8_t byte : data) {
        crc ^= static_cast<unsigned>(byte) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000u) ? ((crc << 1) ^ 0x1021u) & 0xFFFFu : (crc << 1) & 0xFFFFu;
    }
    return static_cast<std::uint16_t>(crc);
}

class RecordingDialogs : public MessageDialogs {
public:
    std::vector<std::string> messages;
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    TModalResult MessageDlg(const std::string& text, TMsgDlgType, unsigned) override
    {
        messages.push_back(text);
        return TModalResult::mrOk;
    }
};

const std::string kBinary = std::string("r1\r\n\0\x1A\xFF", 7) + std::string(300000, 'x') + std::string(20, '\x1A');

} // namespace

TEST(CRCCheck, IsCrc16Xmodem)
{
    EXPECT_EQ(CRCCheck("123456789", 9), 0x31C3);
    EXPECT_EQ(CRCCheck("A", 1), 0x58E5);
    EXPECT_EQ(CRCCheck("123456789", 0), 0);
    EXPECT_EQ(CRCCheck("123456789", -5), 0);

    std::vector<std::uint8_t> data(70000);
    unsigned seed = 12345;
    for (auto& byte : data)
        byte = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    for (const std::size_t length : { 1u, 2u, 255u, 256u, 4097u }) {
        const std::vector<std::uint8_t> part(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(CRCCheck(data.data(), static_cast<int>(length)), crcBitwise(part)) << length;
    }
}

TEST(CRCCheck, UsesOnlyTheLow16BitsOfTheLength)
{
    std::string data = "123456789";
    data.resize(0x10000 + 9, 'z');
    EXPECT_EQ(CRCCheck(data.data(), 0x10000 + 9), 0x31C3);
    EXPECT_EQ(CRCCheck(data.data(), 0x10000), 0);
}

TEST(OldCopyFile, CopiesExactlyAndNeverOverwrites)
{
    TempDir dir;
    writeFile(dir / "Talvix5.def", kBinary);
    EXPECT_TRUE(OldCopyFile(dir / "Talvix5.def", dir / "Talvix5.ini"));
    EXPECT_EQ(readFile(dir / "Talvix5.ini"), kBinary); // no line or fill processing

    writeFile(dir / "Talvix5.ini", "user settings");
    RecordingDialogs dialogs;
    EXPECT_FALSE(OldCopyFile(dir / "Talvix5.def", dir / "Talvix5.ini", dialogs));
    EXPECT_EQ(readFile(dir / "Talvix5.ini"), "user settings");
    EXPECT_EQ(dialogs.messages, std::vector<std::string> { std::generic_category().message(EEXIST) });
}

TEST(OldCopyFile, MissingSourceIsShownOnlyWhenAsked)
{
    TempDir dir;
    RecordingDialogs dialogs;
    EXPECT_FALSE(OldCopyFile(dir / "missing", dir / "dest", dialogs));
    EXPECT_EQ(dialogs.messages, std::vector<std::string> { std::generic_category().message(ENOENT) });
    EXPECT_FALSE(OldCopyFile(dir / "missing", dir / "dest"));
    EXPECT_FALSE(exists(dir / "dest"));
}

TEST(OldCopyFile, FailedCopyLeavesNoPartialTarget)
{
    TempDir dir;
    writeFile(dir / "source", kBinary);
    const talvix::test::FileSizeLimit limit(1000);
    EXPECT_FALSE(OldCopyFile(dir / "source", dir / "dest"));
    EXPECT_FALSE(exists(dir / "dest"));
}

TEST(CopyFileStream, OverwritesAndThrowsOnFailure)
{
    TempDir dir;
    writeFile(dir / "TALVIX123.mot", "S0\r\nS9\r\n");
    writeFile(dir / "target.mot", std::string(5000, 'o'));
    EXPECT_TRUE(CopyFileStream(dir / "TALVIX123.mot", dir / "target.mot"));
    EXPECT_EQ(readFile(dir / "target.mot"), "S0\r\nS9\r\n");

    EXPECT_THROW(CopyFileStream(dir / "missing.mot", dir / "target.mot"), std::system_error);
    EXPECT_THROW(CopyFileStream(dir / "TALVIX123.mot", dir / "no/folder/x"), std::system_error);
    // A copy onto itself must not destroy the file.
    EXPECT_THROW(CopyFileStream(dir / "TALVIX123.mot", dir / "TALVIX123.mot"), std::system_error);
    EXPECT_EQ(readFile(dir / "TALVIX123.mot"), "S0\r\nS9\r\n");
}

TEST(GetNewTempFileName, CreatesUniqueEmptyFilesWithPrefixAndHexNumber)
{
    TempDir dir;
    const std::string folder = std::filesystem::canonical(dir.path()).string();
    const std::regex pattern(R"(\$[0-9A-F]+\.tmp)");
    std::set<std::string> names;
    for (int i = 0; i < 200; ++i) {
        const std::string name = GetNewTempFileName(dir.path(), "$");
        ASSERT_FALSE(name.empty());
        const std::filesystem::path path(name);
        EXPECT_EQ(path.parent_path().string(), folder);
        EXPECT_TRUE(std::regex_match(path.filename().string(), pattern)) << name;
        EXPECT_EQ(std::filesystem::file_size(path), 0u);
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 200u);
    EXPECT_EQ(GetNewTempFileName(dir / "missing", "$"), "");
}

TEST(GetNewTempFileName, EmptyPathMeansTheTemporaryFolder)
{
    TempDir dir;
    const char* saved = std::getenv("TEMP");
    const std::string savedValue = saved ? saved : "";
    ::setenv("TEMP", dir.path().c_str(), 1);
    const std::string name = GetNewTempFileName("", "$");
    saved ? ::setenv("TEMP", savedValue.c_str(), 1) : ::unsetenv("TEMP");
    EXPECT_EQ(std::filesystem::path(name).parent_path().string(), std::filesystem::canonical(dir.path()).string());
}

TEST(SizeFile, GivesBytesOrZero)
{
    TempDir dir;
    writeFile(dir / "data", std::string(12345, 'x'));
    EXPECT_EQ(SizeFile(dir / "data"), 12345);
    EXPECT_EQ(SizeFile(dir / "missing"), 0);
    EXPECT_EQ(SizeFile(dir.path()), 0);
}
