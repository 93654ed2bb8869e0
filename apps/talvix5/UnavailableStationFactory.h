#pragma once
// The station factory of a build without the station engine: any station the settings ask for
// ends the start with "stations are not available in this build"; settings with "ChildNo" 0 run.

#include <stdexcept>

#include "shell/StationHandle.h"

namespace talvix {

inline constexpr const char* StationsUnavailableText = "stations are not available in this build";

class UnavailableStationFactory final : public StationFactory {
public:
    // Both throw std::runtime_error(StationsUnavailableText), which ends the first showing.
    std::unique_ptr<StationHandle> CreateStation(TMainForm&) override
    {
        throw std::runtime_error(StationsUnavailableText);
    }
    std::unique_ptr<StationHandle> CreateUSB(TMainForm& owner, int, const std::string&) override
    {
        return CreateStation(owner);
    }
};

} // namespace talvix
