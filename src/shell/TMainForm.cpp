#include "shell/TMainForm.h"

#include <algorithm>

#include "shell/EditorCommand.h"
#include "shell/SettingsLayout.h"
#include "shell/StationArrangement.h"

namespace talvix {

TMainForm::TMainForm(const MainFormServices& services, std::string progPath, std::string settingsArgument)
    : services_(services)
    , progPath_(std::move(progPath))
    , settingsArgument_(std::move(settingsArgument))
    , passwordDialog_(services.messages, "")
    , log_(services.loop)
    , stations_(services.loop)
{ }

TMainForm::~TMainForm() = default;

bool TMainForm::FormCreate()
{
    FirstShow_ = true;
    const ProgramFolders folders = ResolveProgramFolders(progPath_, settingsArgument_);
    const SettingsFileResult found = FindOrCreateSettingsFile(folders.IniDatei);
    if (found.status == SettingsFileStatus::NotFound) {
        services_.messages.ShowMessage(found.message);
        return false;
    }
    if (found.status == SettingsFileStatus::CopyFailed)
        services_.messages.ShowMessage(found.message);

    settings_ = std::make_unique<ProgramSettings>(folders, options_);
    settings_->setStationSectionWriter([this](ProfileFile& file) { return writeStationSections(file); });
    settings_->ReadAtStart();
    settings_->Modify = false;

    services_.messageBoxTexts.SetLanguageFile(settings_->LanguageFile);
    passwordDialog_.setLanguageFile(settings_->LanguageFile);
    if (settings_->LogLevel > 0) {
        const std::string failure = log_.start(
            { settings_->LogLevel, settings_->LogDelimiter, settings_->LogPath, settings_->LogFileValidityPeriod });
        if (!failure.empty())
            services_.messages.ShowMessage(failure);
    }
    TextList_ = std::make_unique<TextCatalogue>(settings_->LanguageFile);
    captions_ = CaptionMainWindow(*TextList_);
    return true;
}

void TMainForm::FormShow()
{
    if (FirstShow_) {
        FirstShow_ = false;
        LoadForm();
        if (settings_->UsbEnable && services_.usbWatchers)
            UsbDevice_ = services_.usbWatchers->CreateWatcher([this](const std::string& id) { OnUSBArrival(id); },
                [this](const std::string& id) { OnUSBRemove(id); }, settings_->SupportedDeviceList);
    }
    if (settings_->SaveNeededAtShow())
        reportSaveError(settings_->SaveFormSimple());
}

void TMainForm::LoadForm()
{
    const MainWndLayout layout = settings_->LoadForm();
    if (layout.StartAsIcon) {
        services_.view.ActivateTrayIcon();
        Timer1_ = services_.loop.callLater(StartAsIconDelay, [this] { services_.view.HideApplication(); });
    }
    services_.view.SetBounds({ layout.XPos, layout.YPos, layout.Width, layout.Height });
    int stations = layout.ChildNo;
    if (stations > MaxStations) {
        const std::string notice = "The settings file asks for " + std::to_string(stations)
            + " stations (\"ChildNo\"); only the first " + std::to_string(MaxStations) + " are loaded.";
        log_.MainWindowLine(notice);
        services_.messages.ShowMessage(notice);
        stations = MaxStations;
    }
    for (int i = 1; i <= stations; ++i) {
        StationHandle& station = addStation(services_.stations.CreateStation(*this));
        station.SetPosIndex(i - 1);
        station.ChildLoad(settings_->InitFile(), i, false);
    }
}

void TMainForm::FormClose()
{
    ProfileFile& ini = settings_->InitFile();
    const std::vector<StationHandle*>& order = stations_.inWindowOrder();
    // The number passed is the window's place; the station answers from its own state.
    for (std::size_t i = 0; i < order.size() && !settings_->Modify; ++i)
        settings_->Modify = order[i]->ChildModify(ini, static_cast<int>(i) + 1);
    if (settings_->Modify)
        reportSaveError(settings_->SaveForm([this] { return CheckPassword(); }));
    while (!stations_.empty())
        stations_.close(*stations_.inWindowOrder().front());
    UsbDevice_.reset();
    Timer1_.reset();
    log_.shutdown();
}

std::string TMainForm::GetText(const std::string& Ident, const std::string& Default) const
{
    return TextList_->GetText(Ident, Default);
}

void TMainForm::AddMsg2Log(int station, int typ, const std::string& snr, const std::string& rec, const std::string& s)
{
    log_.AddMsg2Log(station, typ, snr, rec, s);
}

bool TMainForm::CheckPassword()
{
    return talvix::CheckPassword(settings_->Password, passwordDialog_, services_.passwordView);
}

bool TMainForm::SaveSingleChild(StationHandle& Child)
{
    try {
        Child.ChildSave(settings_->InitFile(), Child.ChildNo());
    } catch (const ProfileWriteError& e) {
        reportSaveError({ false, e.what() });
        return false;
    }
    return true;
}

void TMainForm::OpenEditor(const std::string& FileName)
{
    const EditorCommand command = EditorCommandFor(options_.EditEditor(), FileName);
    if (!command.program.empty())
        services_.processes.StartDetached(command.program, command.arguments);
}

void TMainForm::DateiOpenItemClick()
{
    const StationHandle* active = stations_.active();
    DateiOpen(active ? active->EditDataPath() : settings_->DataPath);
}

void TMainForm::DateiOpen(const std::string& Dir)
{
    if (!CheckPassword())
        return;
    OpenDialogRequest request;
    request.Title = GetText("dlg_FileEdit", UnknownText);
    request.Filter = DateiOpenFilter;
    request.InitialDir = Dir;
    if (const auto chosen = services_.fileDialogs.OpenFile(request))
        OpenEditor(*chosen);
}

void TMainForm::OptionSaveItemClick()
{
    reportSaveError(settings_->SaveForm([this] { return CheckPassword(); }));
}

void TMainForm::TalvixOptionItemClick()
{
    settings_->TalvixOptionItemClick(services_.optionsView, [this] { return CheckPassword(); });
}

void TMainForm::miAddSerialPortClick()
{
    if (!CheckPassword())
        return;
    const int n = serialStationCount() + 1;
    StationHandle& station = addStation(services_.stations.CreateStation(*this));
    station.ChildNewInit(settings_->InitFile(), n);
    settings_->Modify = true;
    if (miCascadeChecked())
        miCascadeClick();
    else
        miTileClick();
}

void TMainForm::CloseStation(StationHandle& Child)
{
    const std::vector<StationHandle*>& order = stations_.inWindowOrder();
    if (std::find(order.begin(), order.end(), &Child) == order.end())
        return;
    // Only a serial or network station leaves a gap: a USB station's negative number would
    // move every other station down.
    const bool renumber = !Child.IsUSBChild();
    const int deleted = Child.ChildNo();
    for (StationHandle* station : order) {
        if (renumber)
            station->DecChildNo(deleted);
        station->SetStationTitle(station->ChildNo());
    }
    stations_.close(Child);
    settings_->Modify = true;
}

void TMainForm::OnUSBArrival(const std::string& DeviceID)
{
    int lowest = 0;
    for (const StationHandle* station : stations_.inWindowOrder())
        lowest = std::min(lowest, station->StationsNr());
    const int number = lowest - 1;
    log_.MainWindowLine("USB-Device Connected:" + DeviceID + " Index:" + std::to_string(number));
    StationHandle& station = addStation(services_.stations.CreateUSB(*this, number, DeviceID));
    station.USBChildLoad(settings_->InitFile(), number, true);
    AutomaticChildPos(station);
}

void TMainForm::OnUSBRemove(const std::string& DeviceID)
{
    const std::vector<StationHandle*>& order = stations_.inWindowOrder();
    // Only USB stations: the empty identification of the others must never match.
    const auto found = std::find_if(order.begin(), order.end(),
        [&](const StationHandle* station) { return station->IsUSBChild() && station->USBId() == DeviceID; });
    if (found == order.end()) {
        log_.MainWindowLine("Unknown USB-Device removed:" + DeviceID);
        return;
    }
    stations_.close(**found);
    log_.MainWindowLine("USB-Device Removed:" + DeviceID);
}

void TMainForm::miCascadeClick()
{
    const bool x = !miCascadeChecked();
    for (StationHandle* station : stations_.inWindowOrder())
        station->SetWindowCascadeItem(x);
    if (x)
        services_.view.Cascade();
    settings_->WndMode = x ? wmCascade : wmNone;
    settings_->Modify = true;
}

void TMainForm::miTileClick()
{
    const bool x = !miTileChecked();
    const std::vector<StationHandle*>& order = stations_.inWindowOrder();
    for (StationHandle* station : order) {
        station->SetPosIndex(-1);
        station->SetWindowTileItem(x);
    }
    if (x)
        for (auto it = order.rbegin(); it != order.rend(); ++it)
            TilePlace(**it);
    settings_->WndMode = x ? wmTile : wmNone;
    settings_->Modify = true;
}

void TMainForm::StationActivated(const StationHandle& station)
{
    stations_.activate(station);
}

void TMainForm::FormBoundsChanged(const WindowBounds& bounds)
{
    if (bounds.Width != settings_->Width || bounds.Height != settings_->Height)
        settings_->Modify = true;
    settings_->XPos = bounds.Left;
    settings_->YPos = bounds.Top;
    settings_->Width = bounds.Width;
    settings_->Height = bounds.Height;
}

StationHandle& TMainForm::addStation(std::unique_ptr<StationHandle> station)
{
    StationHandle& added = stations_.add(std::move(station));
    added.SetWindowCascadeItem(miCascadeChecked());
    added.SetWindowTileItem(miTileChecked());
    return added;
}

void TMainForm::AutomaticChildPos(StationHandle& station)
{
    switch (WndMode()) {
    case wmTile:
        TilePlace(station);
        break;
    case wmCascade:
        services_.view.Cascade();
        break;
    case wmNone: {
        const WindowBounds own = station.Bounds();
        const WindowOrigin centre = CentredOrigin(services_.view.Client(), own.Width, own.Height);
        station.MoveTo(centre.Left, centre.Top);
        break;
    }
    }
}

void TMainForm::TilePlace(StationHandle& station)
{
    std::vector<int> held;
    for (const StationHandle* other : stations_.inWindowOrder())
        held.push_back(other->PosIndex());
    const int cell = FreeTileCell(held, stations_.count());
    const WindowBounds own = station.Bounds();
    const WindowOrigin origin = TileCellOrigin(cell, settings_->Width, own.Width, own.Height);
    station.MoveTo(origin.Left, origin.Top);
    station.SetPosIndex(cell);
}

int TMainForm::serialStationCount() const
{
    const std::vector<StationHandle*>& order = stations_.inWindowOrder();
    return static_cast<int>(std::count_if(order.begin(), order.end(), [](auto* s) { return !s->IsUSBChild(); }));
}

int TMainForm::writeStationSections(ProfileFile& file)
{
    std::vector<StationHandle*> serial;
    for (StationHandle* station : stations_.inWindowOrder())
        if (!station->IsUSBChild())
            serial.push_back(station);
    // In number order, so a new file lists STATION1, STATION2, ... as a reader expects.
    std::sort(serial.begin(), serial.end(), [](auto* a, auto* b) { return a->ChildNo() < b->ChildNo(); });
    for (StationHandle* station : serial)
        station->ChildSave(file, station->ChildNo());
    return static_cast<int>(serial.size());
}

void TMainForm::reportSaveError(const SaveResult& result)
{
    if (!result.error.empty())
        services_.messages.MessageDlg(result.error, TMsgDlgType::mtError, mbOK);
}

} // namespace talvix
