#include "shell/SettingsLayout.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/ShellPaths.h"

namespace talvix {

namespace {

bool isFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string systemErrorText(int error)
{
    return std::strerror(error);
}

// Copies source to a target that must not exist yet; returns 0 or the errno of the failure.
// A failed copy removes what it created, so no half settings file is ever left behind.
int copyToNewFile(const std::string& source, const std::string& target)
{
    std::ifstream in(source, std::ios::binary);
    if (!in)
        return errno ? errno : EACCES;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad())
        return EIO;
    const std::string data = bytes.str();

    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno;
    std::size_t written = 0;
    int error = 0;
    while (written < data.size() && error == 0) {
        const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            error = n < 0 ? errno : EIO;
        else
            written += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        ::unlink(target.c_str());
    return error;
}

} // namespace

ProgramFolders ResolveProgramFolders(const std::string& progPath, const std::string& settingsArgument)
{
    const std::string iniName = std::string(ApplicationTitle) + ".ini";
    ProgramFolders f;
    f.ProgPath = GetCorrectPath(progPath);
    if (isFile(f.ProgPath + iniName)) {
        f.ProgDataPath = f.ProgPath;
        f.SettingsPath = f.ProgPath;
    } else if (isFile(f.ProgPath + "settings/" + iniName)) {
        f.ProgDataPath = f.ProgPath;
        f.SettingsPath = f.ProgPath + "settings/";
    } else {
        f.ProgDataPath = GetSpecialFolderPath(CSIDL_COMMON_DOCUMENTS) + "/" + ApplicationTitle + "/";
        f.SettingsPath = f.ProgDataPath + "settings/";
    }
    f.DataPath = f.ProgDataPath + "data/";
    f.LogPath = f.ProgDataPath + "log/";
    f.DefaultDataPath = f.DataPath;
    f.ConfigFileName = f.SettingsPath + "Config.tmp";
    f.ErrorDumpName = f.SettingsPath + "ErrDmp.tmp";
    f.LanguageFile = f.SettingsPath + ApplicationTitle + ".lng";
    f.IniDatei = settingsArgument.empty() ? f.SettingsPath + iniName : settingsArgument;
    return f;
}

std::string ExecutableFolder()
{
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    const std::string exe(buffer, static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

std::string DefaultsFileFor(const std::string& iniDatei)
{
    const std::size_t separator = iniDatei.find_last_of("/\\");
    const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    const std::size_t dot = iniDatei.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > nameStart;
    return (hasExtension ? iniDatei.substr(0, dot) : iniDatei) + ".def";
}

SettingsFileResult FindOrCreateSettingsFile(const std::string& iniDatei)
{
    if (isFile(iniDatei))
        return {SettingsFileStatus::Present, {}};
    const std::string defaults = DefaultsFileFor(iniDatei);
    if (!isFile(defaults))
        return {SettingsFileStatus::NotFound, InitFileNotFoundText};
    const int error = copyToNewFile(defaults, iniDatei);
    if (error == EEXIST && isFile(iniDatei))
        return {SettingsFileStatus::Present, {}}; // someone else created it meanwhile: keep theirs
    if (error != 0)
        return {SettingsFileStatus::CopyFailed, systemErrorText(error)};
    return {SettingsFileStatus::CopiedFromDefaults, {}};
}

} // namespace talvix
