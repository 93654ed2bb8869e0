#pragma once
// The lines a terminal answers with, and the arguments of the commands it obeys, as pure
// functions. Every answer line ends with CR LF (the station drops the LF), and each stays under
// the 29 characters beyond which the station ignores a line.

#include <optional>
#include <string>
#include <string_view>

#include "platform/LocalDateTime.h"
#include "sim/SimTerminalConfig.h"

namespace talvix::sim {

// The answer to "V": device name, "AP:", "OS:", "DS:", "BP:", "LB:" and the "V" line with the
// generation, each line only when its text is set; in the boot program only the "BP:" line.
std::string statusAnswer(const SimTerminalConfig& config);

// "S/N:" + serial number (columns 5-10) + " REC:" + records (16-20) + " " + lock flag (22-23).
// Counts above 99999 show as 99999.
std::string serialLine(std::string_view serialNumber, long long records, LockFlag lock);

// Weekday code, date and time: "MO 18.03.24 14:30:00" (first "." at column 6, first ":" at 15);
// from generation 30 on the year has four digits and the first ":" is at column 17.
std::string clockLine(const LocalDateTime& t, int generation);

// The six characters of a serial number: digits padded with leading zeros, longer input cut.
std::string sixDigitSerial(std::string_view digits);

// The argument of "S/N:": zero to six decimal digits, else nothing.
std::optional<std::string> parseSerialNumber(std::string_view argument);

// The argument of "SETTIM:": weekday code ("SO".."SA") and "ddmmyyhhnnss" of a valid date and
// time in 2000-2099, else nothing. The weekday code must be one of the seven, but the clock takes
// its weekday from the date.
std::optional<LocalDateTime> parseSetTime(std::string_view argument);

} // namespace talvix::sim
