#include "platform/ShellPaths.h"

#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace talvix {

namespace {

bool isDirectory(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string envOr(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

std::string stripTrailingSeparators(std::string path)
{
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    return path;
}

std::string tempFolder()
{
    return stripTrailingSeparators(envOr("TEMP", envOr("TMPDIR", "/tmp")));
}

} // namespace

std::string GetSpecialFolderPath(int folder)
{
    if (folder != CSIDL_COMMON_DOCUMENTS)
        return {};
    const std::string xdg = envOr("XDG_DATA_HOME", "");
    if (!xdg.empty())
        return stripTrailingSeparators(xdg);
    const std::string home = envOr("HOME", "");
    return home.empty() ? std::string() : stripTrailingSeparators(home) + "/.local/share";
}

std::string GetCorrectPath(const std::string& path)
{
    if (path.empty() || path.back() == '/' || path.back() == '\\')
        return path;
    return path + "/";
}

std::string ExtractLongPathName(const std::string& shortPathName)
{
    char resolved[PATH_MAX];
    if (!shortPathName.empty() && ::realpath(shortPathName.c_str(), resolved))
        return resolved;
    return shortPathName;
}

std::string CreateUniqueTempFile(const std::string& dir, const std::string& prefix)
{
    static std::atomic<unsigned> counter{std::random_device{}()};
    const std::string folder = GetCorrectPath(dir.empty() ? tempFolder() : dir);
    for (int attempt = 0; attempt < 100; ++attempt) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", (counter++ ^ static_cast<unsigned>(::getpid())) & 0xFFFFFu);
        const std::string candidate = folder + prefix + hex + ".tmp";
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST)
            return {};
    }
    return {};
}

std::string GetTempPathNew(const std::string& tempFilePrefix)
{
    const std::string folder = tempFolder();
    if (!isDirectory(folder))
        return {};
    if (tempFilePrefix.empty())
        return GetCorrectPath(folder);
    return CreateUniqueTempFile(folder, tempFilePrefix);
}

bool CheckDrive(const std::string& path)
{
    if (!isDirectory(path))
        return false;
    const std::string probe = CreateUniqueTempFile(path, "$");
    return !probe.empty() && ::unlink(probe.c_str()) == 0;
}

bool IsConnectedToInternet()
{
    // Connected when any interface other than loopback is up and running.
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return false;
    bool connected = false;
    for (const ifaddrs* a = list; a && !connected; a = a->ifa_next)
        connected = a->ifa_addr && (a->ifa_flags & IFF_UP) && (a->ifa_flags & IFF_RUNNING)
                    && !(a->ifa_flags & IFF_LOOPBACK);
    ::freeifaddrs(list);
    return connected;
}

bool InternetConnect()
{
    return false;
}

void InternetDisconnect() {}

} // namespace talvix
