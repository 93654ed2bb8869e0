// Creation of a station and the presentation operations it shares with the other station
// modules.
#include "station/TMDIChild.h"

namespace talvix {

TMDIChild::TMDIChild(
    EventLoop& loop, StationHost& host, MessageDialogs& dialogs, PortBackendFactory& backends, std::string id)
    : USBId(std::move(id))
    , loop_(loop)
    , host_(host)
    , dialogs_(dialogs)
    , Naming(Settings, namingStation_, host.ProgPath())
{
    Timer1 = loop_.createTimer([this] { Timer1Timer(); });
    Timer1->setInterval(Timer1Interval);
    WsReconnectTimer = loop_.createTimer([this] { WsReconnectTimerTimer(); });
    WsReconnectTimer->setInterval(WsReconnectInterval);

    ComPort = TdmPort::NewCreate(backends, USBId);
    ComPort->SetOnTriggerAvail([this](std::uint16_t Count) { ComPortTriggerAvail(Count); });
    ComPort->SetOnWsDisconnect([this] { ComPortWsDisconnect(); });
    ComPort->SetOnWsConnect([this] { ComPortWsConnect(); });
    ComPort->SetOnWsError([this](int ErrCode) { ComPortWsError(ErrCode); });
    ComPort->SetOnAddLog([this](int Level, const std::string& Msg) { LogMsg(Level, Msg); });
    ComPort->SetOnProtocolFinish([this](int ErrorCode) { ProtocolFinish(ErrorCode); });
    ComPort->SetOnProtocolStatus([this](std::uint16_t Options) { ProtocolStatus(Options); });
}

// The timers go first: neither may fire into a half-destroyed station.
TMDIChild::~TMDIChild()
{
    Timer1.reset();
    WsReconnectTimer.reset();
}

void TMDIChild::ShowError(const std::string& Err, const std::string& Param)
{
    dialogs_.ShowMessage(host_.GetText(Err, "unnown") + Param);
}

void TMDIChild::ClearCaptions()
{
    for (TViewItem panel : { TViewItem::B_Art, TViewItem::B_AP, TViewItem::B_OS, TViewItem::B_DS, TViewItem::B_BP,
             TViewItem::B_SNr, TViewItem::B_Rec, TViewItem::B_Datei })
        setText(panel, "");
    setText(TViewItem::B_DateiHint, B_Datei_Hint);
    LowerVersion = DefaultLowerVersion;
}

void TMDIChild::LogMsg(int Level, const std::string& Msg)
{
    host_.LogStationLine(StationsNr, Level, SNr, Rec, Msg);
}

} // namespace talvix
