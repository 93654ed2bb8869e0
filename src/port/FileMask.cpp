#include "port/FileMask.h"

#include <fnmatch.h>

#include <filesystem>
#include <optional>

namespace talvix {

namespace fs = std::filesystem;

MaskMatch firstFileMatching(const std::string& mask)
{
    if (mask.empty())
        return { {}, -6002 };
    const fs::path maskPath(mask);
    const fs::path dir = maskPath.has_parent_path() ? maskPath.parent_path() : fs::path(".");
    const std::string pattern = maskPath.filename().string();
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        return { {}, -6004 };
    if (pattern.find_first_of("*?") == std::string::npos)
        return fs::is_regular_file(maskPath, ec) ? MaskMatch { mask, 0 } : MaskMatch { {}, -6003 };

    std::optional<std::string> first;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (::fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) != 0 || !entry.is_regular_file(ec))
            continue;
        if (!first || name < *first)
            first = name;
    }
    if (!first)
        return { {}, -6003 };
    return { (dir / *first).string(), 0 };
}

} // namespace talvix
