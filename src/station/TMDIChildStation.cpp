#include "station/TMDIChildStation.h"

namespace talvix {

TMDIChildStation::TMDIChildStation(TMainForm& owner, const StationServices& services)
    : loop_(services.loop)
    , host_(owner, *this, services)
    , child_(std::make_unique<TMDIChild>(services.loop, host_, services.messages, services.backends))
{ }

TMDIChildStation::TMDIChildStation(TMainForm& owner, const StationServices& services, int no, const std::string& ID)
    : loop_(services.loop)
    , host_(owner, *this, services)
    , child_(TMDIChild::CreateUSB(services.loop, host_, services.messages, services.backends, no, ID))
{ }

WindowBounds TMDIChildStation::Bounds() const
{
    return { child_->Settings.Left, child_->Settings.Top, StationWindowWidth, StationWindowHeight };
}

void TMDIChildStation::MoveTo(int left, int top)
{
    child_->Settings.Left = left;
    child_->Settings.Top = top;
}

void TMDIChildStation::Close()
{
    TMDIChild& child = *child_;
    if (!child.FormCloseQuery())
        child.FormCloseQuery();
    loop_.serveUntil([&child] { return child.CanClose; }, MaxClosingTime);
    child.FormClose();
}

TMDIChildStation::Host::Host(TMainForm& owner, TMDIChildStation& station, const StationServices& services)
    : owner_(owner)
    , station_(station)
    , dialogs_(services.portDialogs)
    , activity_(services.activity)
{ }

std::string TMDIChildStation::Host::GetText(const std::string& Ident, const std::string& Default) const
{
    return owner_.GetText(Ident, Default);
}

std::string TMDIChildStation::Host::ProgPath() const
{
    return owner_.Settings().ProgPath;
}

int TMDIChildStation::Host::LogLevel() const
{
    return owner_.Log().LogLevel();
}

void TMDIChildStation::Host::LogStationLine(
    int StationsNr, int Level, const std::string& SNr, const std::string& Rec, const std::string& Msg)
{
    owner_.AddMsg2Log(StationsNr, Level, SNr, Rec, Msg);
}

bool TMDIChildStation::Host::CheckPassword()
{
    return owner_.CheckPassword();
}

bool TMDIChildStation::Host::IsActiveChild(const TMDIChild&) const
{
    return owner_.ActiveMDIChild() == &station_;
}

std::string TMDIChildStation::Host::DefaultDataPath() const
{
    return owner_.Settings().DefaultDataPath;
}

std::string TMDIChildStation::Host::UpdateProgPath() const
{
    return owner_.Settings().UpdateProgPath;
}

bool TMDIChildStation::Host::SaveSingleChild(TMDIChild&)
{
    return owner_.SaveSingleChild(station_);
}

void TMDIChildStation::Host::CloseStation(TMDIChild&)
{
    owner_.CloseStation(station_);
}

bool TMDIChildStation::Host::CtrlFilesEnable() const
{
    return owner_.Settings().CtrlFilesEnable;
}

std::string TMDIChildStation::Host::ErrorDumpName() const
{
    return owner_.Settings().ErrorDumpName;
}

void TMDIChildStation::Host::OpenEditor(const std::string& FileName)
{
    owner_.OpenEditor(FileName);
}

void TMDIChildStation::Host::ModeChanged(const TMDIChild& child)
{
    if (activity_)
        activity_->ModeChanged(child);
}

void TMDIChildStation::Host::FileStored(const TMDIChild& child, const std::string& path)
{
    if (activity_)
        activity_->FileStored(child, path);
}

std::unique_ptr<StationHandle> TMDIChildStationFactory::CreateStation(TMainForm& owner)
{
    return std::make_unique<TMDIChildStation>(owner, services_);
}

std::unique_ptr<StationHandle> TMDIChildStationFactory::CreateUSB(TMainForm& owner, int no, const std::string& ID)
{
    return std::make_unique<TMDIChildStation>(owner, services_, no, ID);
}

} // namespace talvix
