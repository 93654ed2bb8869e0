#pragma once
// The shared file functions: cleaning and splitting of files received from terminals, appending
// them to target files, temporary file names, copies and the CRC-16 of the configuration files.
// Free functions without state.
//
// Every file is processed as a stream, line by line or in large chunks, so memory use does not
// depend on the file size. The text rules (fill bytes, line ends, long lines) are those of
// ReceivedText.h:
//   - only the trailing run of 0x1A fill bytes is dropped; a 0x1A elsewhere is data;
//   - a line ends at CR LF, lone LF or lone CR (CR LF is what the terminals send); whatever ended
//     a line, it is written with the one line end the caller asks for, so a target file never
//     holds mixed line ends;
//   - a line of 128 KiB or more is copied through in pieces and never taken as header or footer.
//
// A file rewritten in place (CopyTlvFile, CopyXModemFile) is first written completely under a
// sibling name and then renamed over the original, so a failure (disk full, read error) leaves
// the received file as it was.

#include <cstdint>
#include <string>

#include "station/LineSeparator.h"

namespace talvix {

class MessageDialogs;

// Cleans the received file FileName in place (staged as FileName with its extension replaced by
// "~mp"): the header line (the first line, when it contains "%%STX") is cut to its text from
// "%%STX" on; the text after its fourth "/" counted from the fifth character on becomes
// STXFilename (unchecked: it comes from the terminal) and is cut off; the header is written only
// with STXFlag. A footer (the last line, when it contains "%%ETX") is written only with ETXFlag.
// Empty lines are dropped; every line written ends with LineEnd. Returns the number of lines
// written; 0 with STXFilename empty and the file unchanged when the cleaning fails.
int CopyTlvFile(
    const std::string& FileName, bool STXFlag, bool ETXFlag, TLineSeparator LineEnd, std::string& STXFilename);

// Number of lines containing "%%STX" (block headers); 0 when the file cannot be read.
int CheckMultiData(const std::string& SourceFile);

// Writes block BlockNo (1 = from the first line containing "%%STX") of SourceFile to DestFile,
// created anew, with CR LF line ends: from its header line through the first line containing
// "%%ETX", or up to the next header when it has no footer. Lines before the first header belong
// to no block (they are block 0). False when the source could not be read or DestFile not be
// written completely.
bool BlockCopy(const std::string& SourceFile, const std::string& DestFile, int BlockNo);

// True when SourceFile holds a non-empty line that no block of BlockCopy holds: a line before
// the first header, or between a block's footer and the next header.
bool hasLinesOutsideBlocks(const std::string& SourceFile);

// Rewrites a received text file in place (staged under the "~xm" name) with CR LF line ends and
// without fill bytes; empty lines are kept. False, with the file unchanged, on failure.
bool CopyXModemFile(const std::string& FileName);

// Appends TempFile without its trailing fill bytes to SummFile, which is created when missing.
// False when TempFile cannot be read or SummFile not be written; a failed append leaves SummFile
// as it was.
bool AddFile(const std::string& SummFile, const std::string& TempFile);

// Size in bytes; 0 when the file cannot be opened or is not a regular file.
std::int64_t SizeFile(const std::string& FileName);

// Creates a new empty file FileName + hexadecimal number + ".tmp" in Path (the temporary folder
// when Path is empty) and returns its full path; empty when no file could be created.
std::string GetNewTempFileName(const std::string& Path, const std::string& FileName);

// CRC-16/XMODEM (polynomial 0x1021, initial 0, not reflected, no final xor) over the first len
// bytes of Daten; only the low 16 bits of len count. A len of 0 or less gives 0.
std::uint16_t CRCCheck(const void* Daten, int len);

// Copies Source to Dest, failing when Dest exists. The second form shows the system's text for
// the error as a message. A failed copy leaves no partial Dest.
bool OldCopyFile(const std::string& Source, const std::string& Dest);
bool OldCopyFile(const std::string& Source, const std::string& Dest, MessageDialogs& ErrMsg);

// Copies the whole content of sourcefilename into targetfilename, created or overwritten.
// Returns true; a failure throws std::system_error (and removes the partial target).
bool CopyFileStream(const std::string& sourcefilename, const std::string& targetfilename);

} // namespace talvix
