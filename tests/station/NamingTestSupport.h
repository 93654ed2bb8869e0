#pragma once
// A station as target file naming sees it, set up by the test: station number, serial number
// shown, wall clock and a catalogue that answers every key with "[key]".

#include <string>

#include "platform/LocalDateTime.h"
#include "station/TargetFileNaming.h"

namespace talvix::test {

class FakeNamingStation : public TargetFileStation {
public:
    int StationsNr() const override { return stationsNr; }
    std::string SerialNumberShown() const override { return serial; }
    LocalDateTime localNow() const override { return now; }
    std::string GetText(const std::string& Ident, const std::string&) const override { return "[" + Ident + "]"; }

    int stationsNr = 1;
    std::string serial;
    LocalDateTime now { 2024, 3, 18, 14, 30, 5, 0 };
};

} // namespace talvix::test
