#include "station/headless/HeadlessStations.h"

#include "station/StationModes.h"
#include "station/TMDIChild.h"

namespace talvix {

std::optional<StationPortSettings> HeadlessPortDialogs::ExecutePortDialog(const StationPortSettings&)
{
    notices_ << NoticePrefix << "port options dialog cancelled" << std::endl;
    return std::nullopt;
}

std::optional<int> HeadlessPortDialogs::ExecuteUsbPortDialog(int)
{
    notices_ << NoticePrefix << "USB port options dialog cancelled" << std::endl;
    return std::nullopt;
}

void ReportedStationActivity::ModeChanged(const TMDIChild& child)
{
    report_.onModeChange(child.StationsNr, std::string(modeInfo(child.Mode).logName), child.SNr, child.Rec);
}

void ReportedStationActivity::FileStored(const TMDIChild& child, const std::string& path)
{
    report_.onFileStored(child.StationsNr, path);
}

HeadlessStationFactory::HeadlessStationFactory(
    EventLoop& loop, HeadlessDialogs& dialogs, HeadlessReport& report, std::ostream& notices)
    : loop_(loop)
    , dialogs_(dialogs)
    , portDialogs_(notices)
    , activity_(report)
{ }

std::unique_ptr<StationHandle> HeadlessStationFactory::CreateStation(TMainForm& owner)
{
    return stations(owner).CreateStation(owner);
}

std::unique_ptr<StationHandle> HeadlessStationFactory::CreateUSB(TMainForm& owner, int no, const std::string& ID)
{
    return stations(owner).CreateUSB(owner, no, ID);
}

TMDIChildStationFactory& HeadlessStationFactory::stations(TMainForm& owner)
{
    if (!stations_) {
        backends_.emplace(loop_, ComPortNames(&owner.Settings().InitFile()), &dialogs_.ports);
        stations_.emplace(StationServices { loop_, *backends_, dialogs_.messages, portDialogs_, &activity_ });
    }
    return *stations_;
}

} // namespace talvix
