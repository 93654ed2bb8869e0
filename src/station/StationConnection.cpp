// The network connection of a station: a drop or an error cancels any transfer and brings the
// station to WsDisconnect; WsReconnectTimer opens the port again 10 s later, and the connect
// event returns the station to OffLine, from where polling finds the terminal again. A serial
// port whose device went away takes the same way. A software update keeps its mode through a
// drop, so that its own end handling still runs.
#include "station/TMDIChild.h"

namespace talvix {

// The answers evaluated so far, lock flags included, came over the line that was lost: the
// terminal now on the line must answer its own polls before it shows online.
void TMDIChild::ComPortWsConnect()
{
    RcvOK = 0;
    DisplayCnt = 0;
    Fg_DatenSperre = false;
    Fg_TransferSperre = false;
    SetMode(OffLine);
}

void TMDIChild::ComPortWsDisconnect()
{
    ComPort->CancelProtocol();
    if (Mode != SWUpDate)
        SetMode(WsDisconnect);
    WsReconnectTimer->setEnabled(true);
}

void TMDIChild::ComPortWsError(int)
{
    ComPort->CancelProtocol();
    SetMode(WsDisconnect);
    WsReconnectTimer->setEnabled(true);
}

// An open that raises (a server name that cannot be resolved) must not escape the event loop;
// it is logged and tried again at the same pace.
void TMDIChild::WsReconnectTimerTimer()
{
    WsReconnectTimer->setEnabled(false);
    try {
        ComPort->SetOpen(true);
    } catch (const PortError& error) {
        LogMsg(1, std::string("reconnect: ") + error.what());
        WsReconnectTimer->setEnabled(true);
        return;
    }
    // A serial line has no connect event: a serial port open again (the adapter plugged back
    // in) is the connection, or the station would never leave WsDisconnect and poll again.
    if (ComPort->DeviceLayer() == TDeviceLayer::dlWin32 && ComPort->Open())
        ComPortWsConnect();
}

} // namespace talvix
