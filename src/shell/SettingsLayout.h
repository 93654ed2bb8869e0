#pragma once
// Where the program keeps its folders and its settings file.
//
// The program data folder follows one of three layouts, tested in this order (T = "Talvix5"):
//   1. ProgPath holds T.ini: data beside the program, settings in ProgPath itself;
//   2. ProgPath/settings/ holds T.ini: data beside the program, settings in that subfolder;
//   3. otherwise the common documents folder (the XDG data folder) + "/Talvix5/", settings in
//      its "settings/" subfolder.
// None of these folders is created here. The settings file is the first command-line argument
// when one is given, else SettingsPath + T.ini; when it is missing, the ".def" file of the same
// name is copied to it (never over an existing file).

#include <string>

namespace talvix {

inline constexpr const char* ApplicationTitle = "Talvix5";
inline constexpr const char* InitFileNotFoundText = "Initialization File not found!";

struct ProgramFolders {
    std::string ProgPath;        // the program's folder, with trailing separator
    std::string ProgDataPath;    // the program data folder, with trailing separator
    std::string DataPath;        // ProgDataPath + "data/"
    std::string SettingsPath;    // ProgPath (layout 1) or ProgDataPath + "settings/"
    std::string LogPath;         // ProgDataPath + "log/" (the "LogPath" setting replaces it)
    std::string DefaultDataPath; // DataPath: data folder of new stations
    std::string ConfigFileName;  // SettingsPath + "Config.tmp"
    std::string ErrorDumpName;   // SettingsPath + "ErrDmp.tmp"
    std::string LanguageFile;    // SettingsPath + "Talvix5.lng"
    std::string IniDatei;        // the settings file
};

// progPath: the program's folder (a trailing separator is added when missing);
// settingsArgument: the first command-line argument, empty when none was given.
ProgramFolders ResolveProgramFolders(const std::string& progPath, const std::string& settingsArgument);

// The folder of the running executable, with trailing separator (empty when unknown).
std::string ExecutableFolder();

// The settings file's ".def" companion: the same name with the extension ".def".
std::string DefaultsFileFor(const std::string& iniDatei);

enum class SettingsFileStatus {
    Present,            // the settings file exists
    CopiedFromDefaults, // it was missing and the ".def" file was copied to it
    CopyFailed,         // the copy failed: message holds the system's error text; start goes on
    NotFound            // neither file: message is "Initialization File not found!"; the program ends
};

struct SettingsFileResult {
    SettingsFileStatus status = SettingsFileStatus::Present;
    std::string message;
};

SettingsFileResult FindOrCreateSettingsFile(const std::string& iniDatei);

} // namespace talvix
