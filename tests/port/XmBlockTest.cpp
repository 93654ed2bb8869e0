#include <gtest/gtest.h>

#include "ReferenceCrc.h"
#include "port/XmBlock.h"

using namespace talvix;
using namespace talvix::xmodem;
using namespace std::string_literals;

namespace {

std::string bytes0To127()
{
    std::string data;
    for (int i = 0; i < 128; ++i)
        data += static_cast<char>(i);
    return data;
}

} // namespace

TEST(XmBlockTest, AShortBlockIsFilledAndCarriesItsCrcHighByteFirst)
{
    const std::string block = makeBlock(1, "A", BlockCheck::Crc16);
    EXPECT_EQ(block, std::string("\x01\x01\xFE") + "A" + std::string(127, '\x1A') + "\xF2\xDD");
}

TEST(XmBlockTest, TheChecksumIsTheSumOfTheDataBytes)
{
    const std::string block = makeBlock(0xFF, bytes0To127(), BlockCheck::Checksum);
    ASSERT_EQ(block.size(), 132u);
    EXPECT_EQ(block.substr(0, 3), "\x01\xFF\x00"s);
    EXPECT_EQ(static_cast<unsigned char>(block.back()), 0xC0);
}

TEST(XmBlockTest, BlockLengths)
{
    EXPECT_EQ(blockLength(SOH, BlockCheck::Crc16), 133u);
    EXPECT_EQ(blockLength(SOH, BlockCheck::Checksum), 132u);
    EXPECT_EQ(blockLength(STX, BlockCheck::Crc16), 1029u);
}

TEST(XmBlockTest, JudgingABlock)
{
    struct Case {
        const char* what;
        std::uint8_t number;
        std::uint8_t expected;
        BlockCheck check;
        std::function<void(std::string&)> damage;
        BlockVerdict verdict;
    };
    const auto none = [](std::string&) {};
    const Case cases[] = {
        { "expected block", 7, 7, BlockCheck::Crc16, none, BlockVerdict::Accept },
        { "expected block, checksum", 7, 7, BlockCheck::Checksum, none, BlockVerdict::Accept },
        { "number wraps from 255 to 0", 0, 0, BlockCheck::Crc16, none, BlockVerdict::Accept },
        { "previous block again", 6, 7, BlockCheck::Crc16, none, BlockVerdict::Repeat },
        { "previous of block 0 is 255", 255, 0, BlockCheck::Crc16, none, BlockVerdict::Repeat },
        { "block from the future", 9, 7, BlockCheck::Crc16, none, BlockVerdict::SequenceError },
        { "damaged data", 7, 7, BlockCheck::Crc16, [](std::string& b) { b[50] ^= 0x10; }, BlockVerdict::BadCheck },
        { "damaged crc low byte", 7, 7, BlockCheck::Crc16, [](std::string& b) { b.back() ^= 1; },
            BlockVerdict::BadCheck },
        { "damaged checksum", 7, 7, BlockCheck::Checksum, [](std::string& b) { b.back() ^= 1; },
            BlockVerdict::BadCheck },
        { "bad complement beats a bad crc", 7, 7, BlockCheck::Crc16,
            [](std::string& b) {
                b[2] ^= 1;
                b[40] ^= 1;
            },
            BlockVerdict::SequenceError },
        { "bad crc beats a repeat", 6, 7, BlockCheck::Crc16, [](std::string& b) { b[10] ^= 4; },
            BlockVerdict::BadCheck },
    };
    for (const Case& c : cases) {
        std::string block = makeBlock(c.number, bytes0To127(), c.check);
        c.damage(block);
        EXPECT_EQ(judgeBlock(block, c.expected, c.check), c.verdict) << c.what;
    }
}

TEST(XmBlockTest, ALongBlockIsJudgedOnItsThousandBytes)
{
    std::string data(1024, 'x');
    data[1000] = '\r';
    const std::string block = test::longBlock(1, data);
    EXPECT_EQ(judgeBlock(block, 1, BlockCheck::Crc16), BlockVerdict::Accept);
    EXPECT_EQ(blockData(block), data);
}

TEST(XmBlockTest, TheTableCrcAgreesWithTheBitwiseOne)
{
    EXPECT_EQ(test::referenceCrc16("123456789"), 0x31C3); // the published check value
    const std::string data = bytes0To127();
    const std::string block = makeBlock(2, data, BlockCheck::Crc16);
    const std::uint16_t crc = test::referenceCrc16(data);
    EXPECT_EQ(static_cast<unsigned char>(block[131]), crc >> 8);
    EXPECT_EQ(static_cast<unsigned char>(block[132]), crc & 0xFF);
}
