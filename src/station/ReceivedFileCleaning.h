#pragma once
// The cleaning of a received file as one pass from a LineReader into a BufferedWriter, shared by
// CopyTlvFile (which cleans in place) and the storing of a reception (which cleans straight into
// the target file). The rules are those of CopyTlvFile in FileFunctions.h.

#include <cstdint>
#include <string>
#include <string_view>

#include "station/FileIo.h"
#include "station/LineSeparator.h"
#include "station/ReceivedText.h"

namespace talvix {

// Writes the cleaned lines of reader to writer and returns how many were written. STXFilename
// gets the header's file name (empty without one).
std::int64_t cleanReceivedLines(LineReader& reader, BufferedWriter& writer, bool STXFlag, bool ETXFlag,
    TLineSeparator LineEnd, std::string& STXFilename);

// The header's file name as cleaning finds it, from the first line of reader only.
std::string headerFileName(LineReader& reader);

// fileName with the extension of its name part (from its last ".") replaced by `extension`, which
// brings its own dot if it wants one: "$A1B2.tmp" with "~mp" gives "$A1B2~mp".
std::string replaceExtension(const std::string& fileName, std::string_view extension);

} // namespace talvix
