#pragma once
// The stations of talvix5 --headless: TMDIChild engines over the standard port back ends, with
// the fixed dialog answers and every mode change and stored file on the report.

#include <memory>
#include <optional>
#include <ostream>

#include "platform/EventLoop.h"
#include "port/StandardPortBackends.h"
#include "shell/StationHandle.h"
#include "shell/headless/HeadlessReport.h"
#include "shell/headless/NonInteractiveDialogs.h"
#include "station/PortDialogs.h"
#include "station/StationActivity.h"
#include "station/TMDIChildStation.h"

namespace talvix {

// The port dialogs of a station's "Schnittstelle" command: both cancelled, the port stays as it is.
class HeadlessPortDialogs final : public PortDialogs {
public:
    explicit HeadlessPortDialogs(std::ostream& notices)
        : notices_(notices)
    { }
    std::optional<StationPortSettings> ExecutePortDialog(const StationPortSettings& ComPort) override;
    std::optional<int> ExecuteUsbPortDialog(int Baud) override;

private:
    std::ostream& notices_;
};

// A station's mode by its log name, with the serial number and records it has now.
class ReportedStationActivity final : public StationActivity {
public:
    explicit ReportedStationActivity(HeadlessReport& report)
        : report_(report)
    { }
    void ModeChanged(const TMDIChild& child) override;
    void FileStored(const TMDIChild& child, const std::string& path) override;

private:
    HeadlessReport& report_;
};

class HeadlessStationFactory final : public StationFactory {
public:
    // notices: where the port dialogs say that they cancelled (standard error).
    HeadlessStationFactory(EventLoop& loop, HeadlessDialogs& dialogs, HeadlessReport& report, std::ostream& notices);

    std::unique_ptr<StationHandle> CreateStation(TMainForm& owner) override;
    std::unique_ptr<StationHandle> CreateUSB(TMainForm& owner, int no, const std::string& ID) override;

private:
    // Made with the first station: the port names ("ComPorts") come from the owner's settings
    // file, which exists only from its FormCreate on and outlives its stations.
    TMDIChildStationFactory& stations(TMainForm& owner);

    EventLoop& loop_;
    HeadlessDialogs& dialogs_;
    HeadlessPortDialogs portDialogs_;
    ReportedStationActivity activity_;
    std::optional<StandardPortBackends> backends_;
    std::optional<TMDIChildStationFactory> stations_;
};

} // namespace talvix
