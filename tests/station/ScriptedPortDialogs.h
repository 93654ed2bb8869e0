#pragma once
// The port dialogs as a test scripts them: each shows what it was preset with and answers OK
// with the scripted settings, or Cancel when there are none; whileShown runs while the dialog
// is "open", so a test can look at the station behind it.

#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

#include "station/PortDialogs.h"

namespace talvix::test {

class ScriptedPortDialogs final : public PortDialogs {
public:
    std::optional<StationPortSettings> ExecutePortDialog(const StationPortSettings& ComPort) override
    {
        presets.push_back(ComPort);
        if (whileShown)
            whileShown();
        if (readBackFails)
            throw std::runtime_error("no port entry selected");
        return answer;
    }
    std::optional<int> ExecuteUsbPortDialog(int Baud) override
    {
        usbPresets.push_back(Baud);
        if (whileShown)
            whileShown();
        return usbAnswer;
    }

    std::optional<StationPortSettings> answer; // nothing: Cancel
    bool readBackFails = false; // OK without a port entry selected
    std::optional<int> usbAnswer;
    std::function<void()> whileShown;
    std::vector<StationPortSettings> presets;
    std::vector<int> usbPresets;
};

} // namespace talvix::test
