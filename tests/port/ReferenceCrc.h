#pragma once
// CRC-16/XMODEM worked out bit by bit, independent of the table-driven one under test.

#include <cstdint>
#include <string>
#include <string_view>

namespace talvix::test {

inline std::uint16_t referenceCrc16(std::string_view data)
{
    std::uint16_t crc = 0;
    for (unsigned char byte : data) {
        crc ^= static_cast<std::uint16_t>(byte << 8);
        for (int i = 0; i < 8; ++i)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

// A 1024-byte block (STX), which the engine accepts but never builds.
inline std::string longBlock(std::uint8_t number, const std::string& data1024)
{
    std::string block { '\x02', static_cast<char>(number), static_cast<char>(0xFF - number) };
    block += data1024;
    const std::uint16_t crc = referenceCrc16(data1024);
    block += static_cast<char>(crc >> 8);
    block += static_cast<char>(crc & 0xFF);
    return block;
}

} // namespace talvix::test
