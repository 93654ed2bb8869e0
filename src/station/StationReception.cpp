// Starting a reception and following its progress.
//
// A reception asks the terminal for its data ("XD\r", or "XD:" + name for one of its files) and
// 200 ms later starts the XModem-CRC receive: the collected data into a new temporary file
// "$....tmp", a named file straight into the data folder. The pause stands for a pause of the
// terminal dialogue, so no tick acts while it runs (StationStateMachine). Every progress report
// re-arms the watchdog; 25 ticks without one cancel the transfer.
#include "platform/ShellPaths.h"
#include "station/FileFunctions.h"
#include "station/TMDIChild.h"

namespace talvix {
namespace {

constexpr Millis ReceiveStartPause { 200 };
constexpr int TransferTimeout = 25;

bool receivingMode(TMode mode)
{
    return mode == DataReceive || mode == ConfigRead || mode == ErrorDump;
}

bool sendingMode(TMode mode)
{
    return mode == SWUpDate || mode == LoadTbl || mode == ConfigWrite;
}

} // namespace

void TMDIChild::Datenempfangen1Click()
{
    DatenEmpfangen("");
}

void TMDIChild::DatenEmpfangen(const std::string& Datei)
{
    // A second start would hand the running transfer's file name to a new temporary file.
    if (ComPort->InProgress() || receptionPaused())
        return;
    if (Mode != ReadDir && (Fg_TransferSperre || numberOrZero(Rec) <= 0))
        return;
    if (Mode != ReadDir)
        CreatePathAndFileName();
    if (!CheckDrive(Naming.DataFolder())) {
        setText(TViewItem::B_Message, text("msg_ErrPath"));
        EnableDisableFunc(1);
        if (Settings.AutoInternetBox && !DialUp->IsConnectedToInternet())
            DialUp->InternetConnect();
        return;
    }
    setText(TViewItem::B_Message, text("msg_ReceiveActiv"));
    DirectDatei = !Datei.empty();
    EnableGauge(numberOrZero(Presentation.text(TViewItem::B_Rec)));
    if (DirectDatei) {
        // The name comes from the terminal: it stays inside the data folder.
        ComPort->SetFileName(Naming.InDataFolder(Datei));
        ComPort->PutString("XD:" + Datei + "\r");
    } else {
        ComPort->SetFileName(GetNewTempFileName("", "$"));
        ComPort->PutString("XD\r");
        SetMode(DataReceive);
    }
    SetTimeout(TransferTimeout);
    H_BytesTransferred = 0;
    Fg_CancelProtocol = false;
    RcvOK = 0;
    receptionPause_ = loop_.callLater(ReceiveStartPause, [this] { startReceive(); });
}

// Setting the type afresh re-initialises the engine: CRC mode again after a checksum fallback.
void TMDIChild::startReceive()
{
    ComPort->SetProtocolType(TProtocolType::ptNoProtocol);
    ComPort->SetProtocolType(TProtocolType::ptXmodemCRC);
    ComPort->StartReceive();
}

void TMDIChild::AbbrechenItemClick()
{
    ComPort->CancelProtocol();
}

// Only growing byte counts are progress: the engine also reports while it waits.
void TMDIChild::ProtocolStatus(std::uint16_t)
{
    if (Fg_CancelProtocol)
        return;
    const bool receiving = receivingMode(Mode);
    if (!receiving && !sendingMode(Mode))
        return;
    const int bytes = ComPort->BytesTransferred();
    if (bytes <= H_BytesTransferred)
        return;
    Presentation.setGaugePosition(receiving ? ComPort->RecordsTransferred() : bytes);
    SetTimeout(TransferTimeout);
    H_BytesTransferred = bytes;
}

} // namespace talvix
