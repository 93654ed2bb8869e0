#pragma once
// Windows-1252 <-> UTF-8. Terminals and files written by the Windows program speak Windows-1252
// ("Datenübertragung" carries the byte FC); the core keeps texts as UTF-8.

#include <string>
#include <string_view>

namespace talvix {

bool IsValidUtf8(std::string_view bytes);
std::string Windows1252ToUtf8(std::string_view bytes);
// Characters that Windows-1252 cannot hold become '?'; invalid UTF-8 bytes are taken as
// Windows-1252 already.
std::string Utf8ToWindows1252(std::string_view text);
// Text as UTF-8: unchanged when it already is valid UTF-8, else decoded as Windows-1252.
std::string ToUtf8(std::string_view bytes);

} // namespace talvix
