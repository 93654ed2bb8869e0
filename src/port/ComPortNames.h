#pragma once
// Which device a "COM" + number port is on Linux: the entry of that name in section "ComPorts"
// of the settings file ("COM3=/dev/ttyUSB0") when there is one, else the fixed table COM1-16 ->
// /dev/ttyS0-15, COM17-32 -> /dev/ttyUSB0-15, COM33-48 -> /dev/ttyACM0-15. The settings file is
// read afresh on every lookup.

#include <cstdint>
#include <string>

namespace talvix {

class ProfileFile;

inline constexpr std::uint16_t highestComNumber = 50;

class ComPortNames {
public:
    // Without a settings file only the fixed table applies.
    explicit ComPortNames(const ProfileFile* settings = nullptr)
        : settings_(settings)
    { }

    // The device path, or empty when the number names none.
    std::string devicePath(std::uint16_t comNumber) const;

    static std::string fixedPath(std::uint16_t comNumber);

private:
    const ProfileFile* settings_;
};

} // namespace talvix
