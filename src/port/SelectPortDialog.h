#pragma once
// The "Select Port" question of a serial port opened without a port number. The GUI shows the
// modal dialog ("The configured serial port is not valid." / "Please choose another port.", a
// list of "COM%d" entries with the first selected, OK and Cancel); --headless and tests answer
// without asking.

#include <cstdint>
#include <optional>
#include <vector>

namespace talvix {

class SelectPortDialog {
public:
    virtual ~SelectPortDialog() = default;
    // The chosen port number, or nothing for Cancel.
    virtual std::optional<std::uint16_t> selectPort(const std::vector<std::uint16_t>& availablePorts) = 0;
};

} // namespace talvix
