// Loading, saving and numbering a station, and opening its port.
//
// The settings section is read into Settings, and its port part is handed to the port object,
// which holds the port settings from then on: saving reads them back from there, so what the
// port dialog changed is what is saved. Loading leaves the station in mReset (serial),
// WsDisconnect (network), OffLine (USB), or ComError when the port could not be opened; modify
// is false afterwards, and InitFlag is true only while loading runs.
#include <exception>

#include "station/TMDIChild.h"

namespace talvix {

std::unique_ptr<TMDIChild> TMDIChild::CreateUSB(EventLoop& loop, StationHost& host, MessageDialogs& dialogs,
    PortBackendFactory& backends, int no, const std::string& ID)
{
    auto child = std::make_unique<TMDIChild>(loop, host, dialogs, backends, ID);
    child->StationsNr = no;
    child->Tag = 1;
    return child;
}

void TMDIChild::ChildLoad(ProfileFile& IFile, int MyChildNo, bool New)
{
    ChildNo = MyChildNo;
    InitFlag = true;
    ReadStationSection(
        IFile, ChildLoadSection(IFile, ChildNo), StationKind::SerialOrNetwork, !New, pathDefaults(), Settings);
    applyPortSettings(Settings.ComPort);
    AutoSetTime = Settings.cbAutoSetTime;
    StationsNr = ChildNo;
    RcvOK = 0;
    modify = false;
    SetStationTitle(StationsNr);

    if (New) {
        SioConfiguration();
    } else {
        showPortPanel();
        SetMode(ComPort->DeviceLayer() == TDeviceLayer::dlWin32 ? mReset : WsDisconnect);
        try {
            openPort(ComPort->DeviceLayer() == TDeviceLayer::dlWin32);
        } catch (const std::exception&) {
            portOpenFailed();
        }
    }

    InitFlag = false;
    // A new station whose first port dialog was cancelled has closed itself: it never started.
    if (closing_)
        return;
    LogMsg(2, "start station: " + portLogName());
    CreatePathAndFileName();
}

void TMDIChild::USBChildLoad(ProfileFile& IFile, int MyChildNo, bool)
{
    ChildNo = MyChildNo;
    InitFlag = true;
    ComPort->USBId = USBId;
    ComPort->SetComNumber(0);
    ReadStationSection(
        IFile, UsbStationSection, StationKind::Usb, !WindowCascadeItem && !WindowTileItem, pathDefaults(), Settings);
    applyPortSettings(Settings.ComPort);
    AutoSetTime = Settings.cbAutoSetTime;
    RcvOK = 0;
    modify = false;
    SetStationTitle(ChildNo);
    if (ComPort->DeviceLayer() == TDeviceLayer::dlUSB) {
        setText(TViewItem::B_Com, "USB");
        Mode = OffLine;
    }
    // A USB port never raises: a device that is not there leaves it closed, and every tick
    // then passes without doing anything.
    ComPort->SetOpen(true);
    SetMode(OffLine);
    Timer1->setEnabled(true);
    InitFlag = false;
    LogMsg(2, "start usb station");
    CreatePathAndFileName();
}

bool TMDIChild::ChildNewInit(ProfileFile& IFile, int MyChildNo)
{
    ChildNo = MyChildNo;
    ChildLoad(IFile, ChildNo, true);
    modify = true;
    return false;
}

void TMDIChild::ChildSave(ProfileFile& IFile, int)
{
    Settings.ComPort = portSettings();
    const StationKind kind = IsUSBChild() ? StationKind::Usb : StationKind::SerialOrNetwork;
    WriteStationSection(IFile, ChildSaveSection(kind, ChildNo), kind, Settings);
    modify = false;
}

bool TMDIChild::ChildModify(ProfileFile&, int) const
{
    return modify;
}

void TMDIChild::DecChildNo(int DeleteChildNo)
{
    if (!IsUSBChild() && ChildNo > DeleteChildNo)
        --ChildNo;
}

void TMDIChild::SetStationTitle(int number)
{
    setText(TViewItem::Caption, IsUSBChild() ? "STATION USB-Port" : "STATION #" + std::to_string(number));
}

StationPathDefaults TMDIChild::pathDefaults() const
{
    return { host_.DefaultDataPath(), host_.UpdateProgPath() };
}

StationPortSettings TMDIChild::portSettings() const
{
    StationPortSettings port;
    port.ComNumber = ComPort->ComNumber();
    port.DeviceLayer = ComPort->DeviceLayer();
    port.WsAddress = ComPort->WsAddress();
    port.WsPort = ComPort->WsPort();
    port.Baud = ComPort->Baud();
    port.DataBits = ComPort->DataBits();
    port.StopBits = ComPort->StopBits();
    port.Parity = ComPort->Parity();
    return port;
}

// The port is closed here: its address cannot change while it is connected.
void TMDIChild::applyPortSettings(const StationPortSettings& port)
{
    ComPort->SetComNumber(port.ComNumber);
    ComPort->SetBaud(port.Baud);
    ComPort->SetDataBits(port.DataBits);
    ComPort->SetStopBits(port.StopBits);
    ComPort->SetParity(port.Parity);
    ComPort->SetWsAddress(port.WsAddress);
    ComPort->SetWsPort(port.WsPort);
    ComPort->SetDeviceLayer(port.DeviceLayer);
}

void TMDIChild::showPortPanel()
{
    setText(TViewItem::B_Com,
        ComPort->DeviceLayer() == TDeviceLayer::dlWinsock ? ComPort->WsAddress()
                                                          : std::to_string(ComPort->ComNumber()));
}

// Raises what the open raises. modem: the port may lead to a modem; with a modem
// initialisation the station then waits for the modem's "CONNECT" before Timer1 polls.
void TMDIChild::openPort(bool modem)
{
    ComPort->SetOpen(true);
    ModemMode = modem && !Settings.ModemInitString.empty();
    if (ModemMode) {
        ComPort->PutString("\r" + Settings.ModemInitString + "\r");
        setText(TViewItem::B_Message, "Waiting for Connect");
    } else {
        Timer1->setEnabled(true);
    }
}

void TMDIChild::portOpenFailed()
{
    ComPort->SetOpen(false);
    setText(TViewItem::B_Message, host_.GetText("msg_ComClose", "unnown"));
    SetMode(ComError);
}

std::string TMDIChild::portLogName() const
{
    if (ComPort->DeviceLayer() == TDeviceLayer::dlWinsock)
        return ComPort->WsAddress() + ":" + ComPort->WsPort();
    return "Com" + std::to_string(ComPort->ComNumber());
}

} // namespace talvix
