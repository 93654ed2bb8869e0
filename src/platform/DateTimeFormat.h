#pragma once
// Delphi-style date/time format strings, as the settings file stores them ("yyyymmdd", "hhnnss",
// "ddmmyyhhnnss").
//
// Specifiers: yyyy (or longer) four-digit year, yy (or y) two-digit year, mm/m month, dd/d day,
// hh/h hour, nn/n minute, ss/s second, zzz/z milliseconds. As in Delphi, m/mm right after an
// h/hh specifier (literal characters between them allowed) means minutes. Text in single or
// double quotes is copied without its quotes; every other character is literal (no locale
// separators are substituted).

#include <string>

#include "platform/LocalDateTime.h"

namespace talvix {

std::string FormatDateTime(const std::string& format, const LocalDateTime& t);

} // namespace talvix
