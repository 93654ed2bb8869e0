// The port dialog of a station ("Schnittstelle"): the port is closed while the dialog is shown,
// and Timer1 is off; afterwards the port is opened again, with the confirmed settings or the old
// ones. A new station has no port caption until a dialog has been confirmed, so a cancelled
// first dialog closes the station.
#include <exception>

#include "station/TMDIChild.h"

namespace talvix {

void TMDIChild::SioPageItemClick()
{
    if (host_.CheckPassword())
        SioConfiguration();
}

void TMDIChild::SioConfiguration()
{
    if (IsUSBChild())
        usbPortDialog();
    else
        portDialog();
}

void TMDIChild::usbPortDialog()
{
    Timer1->setEnabled(false);
    const int baud = ComPort->Baud();
    ComPort->SetOpen(false);
    if (const std::optional<int> chosen = host_.portDialogs().ExecuteUsbPortDialog(baud)) {
        modify = true;
        ComPort->SetBaud(*chosen);
        setText(TViewItem::B_Message, "");
    }
    ComPort->SetOpen(true);
    Timer1->setEnabled(true);
}

void TMDIChild::portDialog()
{
    Timer1->setEnabled(false);
    const StationPortSettings current = portSettings();
    ComPort->SetOpen(false);
    try {
        const std::optional<StationPortSettings> chosen = host_.portDialogs().ExecutePortDialog(current);
        if (chosen) {
            // A reconnect that fell due while the dialog was shown may have opened the old
            // connection again; the dialog decides what is opened now.
            WsReconnectTimer->setEnabled(false);
            ComPort->SetOpen(false);
            applyPortSettings(*chosen);
            showPortPanel();
            SetMode(ComPort->DeviceLayer() == TDeviceLayer::dlWin32 ? Status : WsDisconnect);
            // Here a network station may lead to a modem as well.
            openPort(true);
            modify = true;
            setText(TViewItem::B_Message, "");
        } else {
            ComPort->SetOpen(true);
            Timer1->setEnabled(true);
        }
    } catch (const std::exception&) {
        ClearCaptions();
        portOpenFailed();
    }
    if (Presentation.text(TViewItem::B_Com).empty())
        host_.CloseStation(*this);
}

} // namespace talvix
