#pragma once
// Making a message printable for the log.

#include <string>

namespace talvix {

// Every byte below 32 or from 128 up becomes "[" + two upper-case hex digits + "]":
// a carriage return is written as [0D], the byte FC as [FC].
std::string EscapeLogText(const std::string& msg);

} // namespace talvix
