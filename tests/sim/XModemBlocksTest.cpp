#include <gtest/gtest.h>

#include "sim/XModemBlocks.h"

using namespace talvix::sim::xmodem;

namespace {

// 300 bytes: two full blocks and a short third one.
std::string sampleFile()
{
    std::string file;
    for (int i = 0; i < 300; ++i)
        file.push_back(static_cast<char>(i % 251));
    return file;
}

unsigned byteAt(const std::string& s, std::size_t i)
{
    return static_cast<unsigned char>(s.at(i));
}

} // namespace

TEST(XModemBlocks, CheckValues)
{
    EXPECT_EQ(crc16("123456789"), 0x31C3);
    EXPECT_EQ(crc16(""), 0);
    EXPECT_EQ(checksum("123456789"), 0xDD);
}

TEST(XModemBlocks, BlockCount)
{
    const std::pair<std::size_t, std::size_t> cases[]
        = { { 0, 0 }, { 1, 1 }, { 128, 1 }, { 129, 2 }, { 300, 3 }, { 2048, 16 } };
    for (auto [size, blocks] : cases)
        EXPECT_EQ(blockCount(size), blocks) << size;
}

TEST(XModemBlocks, FramesCarryNumberComplementFillAndCheck)
{
    // Check values computed independently of this code (CRC-16/XMODEM and byte sums).
    struct Case {
        std::size_t index;
        BlockCheck check;
        unsigned number;
        std::size_t fill;
        unsigned checkHigh; // CRC high byte, or the checksum
        int checkLow; // CRC low byte; -1 for the checksum
    };
    const Case cases[] = {
        { 0, BlockCheck::Crc16, 1, 0, 0xE8, 0x0A },
        { 1, BlockCheck::Crc16, 2, 0, 0xD2, 0x00 },
        { 2, BlockCheck::Crc16, 3, 84, 0xF7, 0x24 },
        { 0, BlockCheck::Checksum, 1, 0, 0xC0, -1 },
        { 2, BlockCheck::Checksum, 3, 84, 0x16, -1 },
    };
    const std::string file = sampleFile();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        const std::string frame = frameBlock(file, c.index, c.check);
        ASSERT_EQ(frame.size(), c.checkLow < 0 ? 132u : 133u);
        EXPECT_EQ(frame[0], SOH);
        EXPECT_EQ(byteAt(frame, 1), c.number);
        EXPECT_EQ(byteAt(frame, 2), 255 - c.number);
        const std::string data = frame.substr(3, 128);
        const std::string expectedData = file.substr(c.index * 128, 128 - c.fill) + std::string(c.fill, FILL);
        EXPECT_EQ(data, expectedData);
        EXPECT_EQ(byteAt(frame, 131), c.checkHigh);
        if (c.checkLow >= 0) {
            EXPECT_EQ(byteAt(frame, 132), static_cast<unsigned>(c.checkLow));
        }
    }
}

TEST(XModemBlocks, BlockNumbersWrapAfter255)
{
    const std::string big(300 * 128, 'x');
    const std::pair<std::size_t, unsigned> cases[] = { { 254, 255 }, { 255, 0 }, { 256, 1 } };
    for (auto [index, number] : cases) {
        const std::string frame = frameBlock(big, index, BlockCheck::Crc16);
        EXPECT_EQ(byteAt(frame, 1), number) << index;
        EXPECT_EQ(byteAt(frame, 2), 255 - number) << index;
    }
}
