#pragma once
// XModem framing as the terminal sends it (Christensen's XModem with Forsberg's CRC-16): pure
// functions, so that every framing rule is tested apart from the timing of a transfer.
//
// The terminal keeps its own CRC rather than sharing the station's: the simulator is the
// independent peer that would expose a fault in the station's block check.

#include <cstdint>
#include <string>
#include <string_view>

namespace talvix::sim::xmodem {

constexpr char SOH = 0x01;
constexpr char EOT = 0x04;
constexpr char ACK = 0x06;
constexpr char NAK = 0x15;
constexpr char CAN = 0x18;
constexpr char FILL = 0x1A;
constexpr char CRC_REQUEST = 'C';
constexpr std::size_t blockSize = 128;

enum class BlockCheck { Crc16, Checksum };

// CRC-16/XMODEM: polynomial 0x1021, initial value 0, not reflected, no final exclusive-or.
std::uint16_t crc16(std::string_view data);
// The arithmetic sum of the bytes modulo 256.
std::uint8_t checksum(std::string_view data);

// Number of 128-byte blocks a file of this size needs (0 for an empty file).
std::size_t blockCount(std::size_t fileSize);

// Block index (0-based) of the file as sent: SOH, block number (index + 1, modulo 256), its
// complement, 128 data bytes with a short last block filled with 0x1A, then the CRC high byte
// first (133 bytes) or the checksum (132 bytes).
std::string frameBlock(std::string_view file, std::size_t index, BlockCheck check);

} // namespace talvix::sim::xmodem
