#include "port/ComPortNames.h"

#include "platform/ProfileFile.h"

namespace talvix {

std::string ComPortNames::fixedPath(std::uint16_t comNumber)
{
    struct Range {
        std::uint16_t first;
        const char* prefix;
    };
    static constexpr Range ranges[] = { { 1, "/dev/ttyS" }, { 17, "/dev/ttyUSB" }, { 33, "/dev/ttyACM" } };
    for (const Range& r : ranges) {
        if (comNumber >= r.first && comNumber < r.first + 16)
            return r.prefix + std::to_string(comNumber - r.first);
    }
    return {};
}

std::string ComPortNames::devicePath(std::uint16_t comNumber) const
{
    if (comNumber == 0)
        return {};
    if (settings_) {
        const std::string configured = settings_->readString("ComPorts", "COM" + std::to_string(comNumber), "");
        if (!configured.empty())
            return configured;
    }
    return fixedPath(comNumber);
}

} // namespace talvix
