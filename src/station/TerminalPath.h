#pragma once
// Names that come from a terminal (the file name of a header line, names of files in the
// terminal) are untrusted. safeRelativePath turns any such name into a relative path that stays
// inside the folder it is joined to:
//   - "\" and "/" both separate directories;
//   - a drive prefix ("C:"), a UNC root ("\\server\share", also "\\?\C:") and leading separators
//     are dropped;
//   - empty, "." and ".." components are dropped, never followed;
//   - the remaining components are kept in their order, joined with "/".
// Bytes that are not valid UTF-8 are taken as Windows-1252, the terminals' code page, so that
// the file gets a readable name; control characters become "_". The result may be empty.

#include <string>
#include <string_view>

namespace talvix {

std::string safeRelativePath(std::string_view name);

} // namespace talvix
