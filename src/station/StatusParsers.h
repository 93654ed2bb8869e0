#pragma once
// The terminal's answer lines, parsed without any state: what a line says, not what the station
// makes of it (comparing with the previous poll and setting the answer bits is the dialogue's).
//
// Positions in the comments are 1-based, as the terminals' documentation counts them. A line
// shorter than a field gives that field shorter or empty, never an error. Values are cut to the
// 25 characters a status field holds.

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/LocalDateTime.h"

namespace talvix {

// Lines this long or longer are never parsed.
inline constexpr std::size_t MaxParsedLineLength = 28;
inline constexpr std::size_t StatusFieldLength = 25;
// LowerVersion when the terminal has not said otherwise.
inline constexpr int DefaultLowerVersion = 20;

enum class TVersionText { AP, OS, DS, BP, LB };

// "AP:...", "OS:...", "DS:...", "BP:...", "LB:...": the text from position 4 on.
struct VersionTextLine {
    TVersionText which;
    std::string value;
};

// "Vnn": the version number at positions 2 and 3, DefaultLowerVersion when they are no number.
struct VersionNumberLine {
    int number;
};

// "S/N:nnnnnn.....rrrrr.Tx": serial number at 5-10, records at 16-20, lock flag at 22-23.
struct SerialNumberLine {
    std::string SNr;
    std::string Rec;
    bool datenSperre; // flag T1 or T3: data already transmitted
    bool transferSperre; // flag T2 or T3: transfer inhibited
};

// Any line whose first character starts no other kind: the device name.
struct DeviceNameLine {
    std::string name;
};

// A date/time line of the utilities page ("..dd.mm.yy hh:nn:ss" or "..dd.mm.yyyy hh:nn:ss").
struct DateTimeLine {
    std::string text;
};

using StatusLine = std::variant<std::monostate, VersionTextLine, VersionNumberLine, SerialNumberLine, DeviceNameLine>;
using TimePageLine = std::variant<std::monostate, SerialNumberLine, DateTimeLine>;

// A line of the status answer; monostate when it is to be ignored.
StatusLine parseStatusLine(std::string_view line);
// Only lines whose second character is "/" carry a serial number.
std::optional<SerialNumberLine> parseSerialNumberLine(std::string_view line);
// A line answered on the utilities page; monostate when it is to be ignored.
TimePageLine parseTimePageLine(std::string_view line);

// The terminal's date and time as the utilities page shows them (a two-digit year gets "20").
struct TerminalDateTime {
    std::string date;
    std::string time;
};
TerminalDateTime splitTerminalDateTime(std::string_view TimeDate);

// A number as the station reads record counts: 0 when the text is no decimal number.
int numberOrZero(std::string_view text);

// "SO", "MO", "DI", "MI", "DO", "FR", "SA" for day 0 (Sunday) to 6.
std::string_view weekdayCode(int dayOfWeek);
// "SETTIM:" + weekday code + ddmmyyhhnnss + CR.
std::string setTimeCommand(const LocalDateTime& t);

} // namespace talvix
