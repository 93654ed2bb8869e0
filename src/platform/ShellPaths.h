#pragma once
// Folders, temporary files and path helpers of the desktop shell, on Linux.
//
// Paths are native "/" paths. Wherever a path is split or joined, "\" (from settings written on
// Windows or from a terminal) is accepted as a separator as well.

#include <string>

namespace talvix {

// The one special folder the program asks for: common documents (46), which here is the XDG
// data folder ($XDG_DATA_HOME, default ~/.local/share), without trailing separator. Empty for
// any other identifier or when no home folder is known.
constexpr int CSIDL_COMMON_DOCUMENTS = 46;
std::string GetSpecialFolderPath(int folder);

// Path with a trailing separator added when it is not empty and ends in neither "/" nor "\".
std::string GetCorrectPath(const std::string& path);

// The canonical form of a path that exists; the input unchanged otherwise.
std::string ExtractLongPathName(const std::string& shortPathName);

// The temporary folder named by TEMP (else TMPDIR, else /tmp) when it exists: with an empty
// prefix the folder with a trailing separator, else the path of a new unique empty file there.
// Empty when the folder does not exist or no file could be created.
std::string GetTempPathNew(const std::string& tempFilePrefix);

// Creates a new empty file prefix + hex number + ".tmp" in dir (exclusively, never reusing an
// existing name) and returns its path; empty when none could be created.
std::string CreateUniqueTempFile(const std::string& dir, const std::string& prefix);

// True when a unique file (prefix "$") can be created in path and deleted again.
bool CheckDrive(const std::string& path);

// Internet connection state and dial-up: the system is asked when it can tell; dialling is not
// available here and reports false.
bool IsConnectedToInternet();
bool InternetConnect();
void InternetDisconnect();

} // namespace talvix
