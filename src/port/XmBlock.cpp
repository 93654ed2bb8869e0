#include "port/XmBlock.h"

#include "station/FileFunctions.h"

namespace talvix::xmodem {

namespace {

std::uint8_t byteAt(std::string_view s, std::size_t i)
{
    return static_cast<std::uint8_t>(s[i]);
}

std::size_t checkLength(BlockCheck check)
{
    return check == BlockCheck::Crc16 ? 2 : 1;
}

std::string checkBytes(std::string_view data, BlockCheck check)
{
    if (check == BlockCheck::Crc16) {
        const std::uint16_t crc = CRCCheck(data.data(), static_cast<int>(data.size()));
        return { static_cast<char>(crc >> 8), static_cast<char>(crc & 0xFF) };
    }
    unsigned sum = 0;
    for (char c : data)
        sum += static_cast<std::uint8_t>(c);
    return { static_cast<char>(sum & 0xFF) };
}

} // namespace

std::size_t dataLength(char header)
{
    if (header == SOH)
        return shortBlockData;
    if (header == STX)
        return longBlockData;
    return 0;
}

std::size_t blockLength(char header, BlockCheck check)
{
    return 3 + dataLength(header) + checkLength(check);
}

std::string makeBlock(std::uint8_t number, std::string_view data, BlockCheck check)
{
    std::string padded(data.substr(0, shortBlockData));
    padded.resize(shortBlockData, SUB);
    std::string block { SOH, static_cast<char>(number), static_cast<char>(0xFF - number) };
    block += padded;
    block += checkBytes(padded, check);
    return block;
}

std::string_view blockData(std::string_view block)
{
    return block.substr(3, dataLength(block[0]));
}

BlockVerdict judgeBlock(std::string_view block, std::uint8_t expected, BlockCheck check)
{
    const std::uint8_t number = byteAt(block, 1);
    if (static_cast<std::uint8_t>(number + byteAt(block, 2)) != 0xFF)
        return BlockVerdict::SequenceError;
    const std::string_view data = blockData(block);
    if (block.substr(3 + data.size()) != checkBytes(data, check))
        return BlockVerdict::BadCheck;
    if (number == static_cast<std::uint8_t>(expected - 1))
        return BlockVerdict::Repeat;
    if (number == expected)
        return BlockVerdict::Accept;
    return BlockVerdict::SequenceError;
}

} // namespace talvix::xmodem
