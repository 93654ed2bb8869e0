// Closing a station: it stops for good, lets a serial line drain, lowers RTS and DTR so the
// terminal sees the line go down, and closes the port between two short pauses.
//
// The pauses and the drain are timer continuations (closeStep_), so the loop goes on serving
// the other stations meanwhile. From the first step on the station no longer listens to its
// port's data and network events and both of its timers stay off, so nothing is sent or opened
// again after the close began. The drain is bounded: a line held up by flow control must not
// keep the program from ending.
#include "platform/ShellPaths.h"
#include "port/PortTick.h"
#include "station/TMDIChild.h"

namespace talvix {

// A full output buffer of 4096 bytes drains at 9600 baud in well under the limit.
static_assert(ClosePause == ticks(4) && CloseDrainLimit > Millis { 4096 * 1000 / 960 });

bool TMDIChild::FormCloseQuery()
{
    if (!IsUSBChild() && Presentation.book() != TBookPage::StatusPage) {
        StatusPageBtn1Click();
        return false;
    }
    if (closing_)
        return true;
    closing_ = true;
    if (Settings.AutoInternetBox && IsConnectedToInternet())
        InternetDisconnect();
    Timer1->setEnabled(false);
    WsReconnectTimer->setEnabled(false);
    ComPort->SetOnTriggerAvail({});
    ComPort->SetOnWsConnect({});
    ComPort->SetOnWsDisconnect({});
    ComPort->SetOnWsError({});
    SetMode(WsDisconnect);
    if (!IsUSBChild() && ComPort->Open())
        closeWhenDrained(Millis { 0 });
    else
        finishClosing();
    return true;
}

void TMDIChild::closeWhenDrained(Millis waited)
{
    if (ComPort->DeviceLayer() == TDeviceLayer::dlWin32 && ComPort->OutBuffUsed() > 0 && waited < CloseDrainLimit) {
        closeStep_ = loop_.callLater(portTick, [this, waited] { closeWhenDrained(waited + portTick); });
        return;
    }
    ComPort->SetRTS(false);
    ComPort->SetDTR(false);
    ComPort->RemoveAllTriggers();
    closeStep_ = loop_.callLater(ClosePause, [this] { closePortAfterPause(); });
}

void TMDIChild::closePortAfterPause()
{
    ComPort->SetOpen(false);
    closeStep_ = loop_.callLater(ClosePause, [this] { finishClosing(); });
}

void TMDIChild::finishClosing()
{
    CanClose = true;
    SetMode(OffLine);
}

void TMDIChild::FormClose()
{
    const bool network = ComPort->DeviceLayer() == TDeviceLayer::dlWinsock;
    LogMsg(2,
        !network && StationsNr < 0 ? "close usb station" + std::to_string(StationsNr)
                                   : "close station: " + portLogName());
}

} // namespace talvix
