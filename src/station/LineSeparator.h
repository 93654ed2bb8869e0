#pragma once
// The line end a station writes into its data files. The value is stored in the station settings
// as its number, so the numbers are fixed.

#include <cstdint>
#include <string_view>

namespace talvix {

enum TLineSeparator : std::uint8_t { lsCRLF = 0, lsLF = 1, lsCR = 2 };

// The bytes of a line end; a value outside the enumeration (a damaged settings file) gives CR LF,
// the line end the terminals themselves use.
constexpr std::string_view lineEndBytes(TLineSeparator separator)
{
    switch (separator) {
    case lsLF:
        return "\n";
    case lsCR:
        return "\r";
    case lsCRLF:
        break;
    }
    return "\r\n";
}

} // namespace talvix
