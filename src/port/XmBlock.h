#pragma once
// XModem blocks as bytes, apart from any I/O: building a block to send and judging a received
// one. A block is header (SOH for 128 data bytes, STX for 1024), number, 255 - number, the data,
// then the CRC-16 high byte first or the one-byte arithmetic checksum.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace talvix::xmodem {

inline constexpr char SOH = 0x01;
inline constexpr char STX = 0x02;
inline constexpr char EOT = 0x04;
inline constexpr char ACK = 0x06;
inline constexpr char BS = 0x08;
inline constexpr char NAK = 0x15;
inline constexpr char CAN = 0x18;
inline constexpr char SUB = 0x1A; // fills a short last block
inline constexpr std::size_t shortBlockData = 128;
inline constexpr std::size_t longBlockData = 1024;
// The cancel sequence: three CAN, then backspaces to wipe them from a terminal screen.
inline constexpr std::string_view cancelSequence { "\x18\x18\x18\x08\x08\x08" };

enum class BlockCheck { Crc16, Checksum };

// Data bytes announced by a header byte (0 for a byte that starts no block).
std::size_t dataLength(char header);
// The whole block's length for a header byte: header, number, complement, data, check.
std::size_t blockLength(char header, BlockCheck check);

// A 128-byte block; data shorter than 128 bytes is filled with SUB.
std::string makeBlock(std::uint8_t number, std::string_view data, BlockCheck check);

enum class BlockVerdict {
    Accept, // the expected block: acknowledge and keep it
    Repeat, // the previous block again (its ACK was lost): acknowledge and drop it
    BadCheck, // damaged: ask for it again
    SequenceError, // number and complement disagree, or a block out of order: give up
};

// Judges a complete block in this order: number against complement, check bytes, previous
// number, expected number, anything else.
BlockVerdict judgeBlock(std::string_view block, std::uint8_t expected, BlockCheck check);

// The data of a complete block.
std::string_view blockData(std::string_view block);

} // namespace talvix::xmodem
