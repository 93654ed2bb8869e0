#include "sim/XModemBlocks.h"

namespace talvix::sim::xmodem {

std::uint16_t crc16(std::string_view data)
{
    // Bit by bit: slower than a table, but shares nothing with the station's table-driven check.
    std::uint16_t crc = 0;
    for (char c : data) {
        crc ^= static_cast<std::uint16_t>(static_cast<std::uint8_t>(c) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

std::uint8_t checksum(std::string_view data)
{
    unsigned sum = 0;
    for (char c : data)
        sum += static_cast<std::uint8_t>(c);
    return static_cast<std::uint8_t>(sum);
}

std::size_t blockCount(std::size_t fileSize)
{
    return (fileSize + blockSize - 1) / blockSize;
}

std::string frameBlock(std::string_view file, std::size_t index, BlockCheck check)
{
    const std::size_t start = index * blockSize;
    std::string data(start < file.size() ? file.substr(start, blockSize) : std::string_view {});
    data.resize(blockSize, FILL);

    const auto number = static_cast<std::uint8_t>(index + 1);
    std::string frame;
    frame.reserve(blockSize + 5);
    frame.push_back(SOH);
    frame.push_back(static_cast<char>(number));
    frame.push_back(static_cast<char>(0xFF - number));
    frame += data;
    if (check == BlockCheck::Crc16) {
        const std::uint16_t crc = crc16(data);
        frame.push_back(static_cast<char>(crc >> 8));
        frame.push_back(static_cast<char>(crc & 0xFF));
    } else {
        frame.push_back(static_cast<char>(checksum(data)));
    }
    return frame;
}

} // namespace talvix::sim::xmodem
