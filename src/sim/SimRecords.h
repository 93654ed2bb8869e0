#pragma once
// The terminal's data memory as the file it sends on "XD": records, one per line with CR LF,
// in blocks framed by "%%STX" header and "%%ETX" footer lines. Pure functions.

#include <string>
#include <string_view>

#include "platform/LocalDateTime.h"
#include "sim/SimTerminalConfig.h"

namespace talvix::sim {

// Records in a data file: its non-empty lines that are neither header nor footer lines.
long long countRecords(std::string_view file);

// One block of count generated records numbered from firstNumber on, framed as format says:
// header "%%STX/" + serial + "/" + ddmmyy + "/" + hhnnss [+ "/" + file name], records
// "nnnnnn;<EAN-13>;1", footer "%%ETX " + five-digit record count.
std::string generateRecordBlock(const RecordFormat& format, std::string_view serialNumber, const LocalDateTime& at,
    long long firstNumber, int count);

} // namespace talvix::sim
