// The station's state machine: SetMode, the tick of Timer1 by mode, the wait for an answer after
// a command and the watchdog of running transfers.
//
// Invariants: Mode changes only here (SetMode); SetMode(mReset) changes no mode but re-applies
// the current one; no tick acts during a pause of a reception; the watchdog cancels a stalled
// transfer once, and Fg_CancelProtocol keeps it from cancelling again until the next transfer
// clears the flag.
#include <stdexcept>

#include "station/TMDIChild.h"

namespace talvix {
namespace {

// Re-enables Timer1 when the tick ends, however it ends: a tick that waits in a dialog box is
// never entered twice.
class TickGuard {
public:
    explicit TickGuard(Timer& timer)
        : timer_(timer)
    {
        timer_.setEnabled(false);
    }
    ~TickGuard() { timer_.setEnabled(true); }
    TickGuard(const TickGuard&) = delete;
    TickGuard& operator=(const TickGuard&) = delete;

private:
    Timer& timer_;
};

} // namespace

void TMDIChild::SetMode(TMode NewMode)
{
    OldMode = Mode;
    if (NewMode != mReset)
        Mode = NewMode;
    if (NewMode == OffLine)
        Fg_T1Set = false;
    showModeMessage();
    logMode();
    if (host_.IsActiveChild(*this) && modeInfo(Mode).functionGroup)
        EnableDisableFunc(*modeInfo(Mode).functionGroup);
    if (Mode != OldMode)
        host_.ModeChanged(*this);
}

void TMDIChild::showModeMessage()
{
    const ModeInfo& info = modeInfo(Mode);
    switch (info.message.kind) {
    case ModeMessage::Unchanged:
        break;
    case ModeMessage::Literal:
        setText(TViewItem::B_Message, std::string(info.message.text));
        break;
    case ModeMessage::CatalogueKey:
        setText(
            TViewItem::B_Message, host_.GetText(std::string(info.message.text), std::string(info.message.defaultText)));
        break;
    }
    if (info.clearsSNr)
        SNr.clear();
    if (info.clearsRec)
        Rec.clear();
    if (info.clearsChildStatus)
        Presentation.setChildStatusText("");
}

// The level itself is the message level, so the log's own filter lets the line pass.
void TMDIChild::logMode()
{
    const int level = host_.LogLevel();
    if (Mode == LastLogStatus || level <= 0)
        return;
    LastLogStatus = Mode;
    if (modeChangeLogged(level, Mode))
        LogMsg(level, std::string(modeInfo(Mode).logName));
}

void TMDIChild::ActivateWindow()
{
    showModeMessage();
    if (modeInfo(Mode).functionGroup)
        EnableDisableFunc(*modeInfo(Mode).functionGroup);
}

void TMDIChild::SetTimeout(int tout)
{
    const auto interval = static_cast<int>(Timer1->interval().count());
    TimeOut = tout * (1000 / (interval > 0 ? interval : 1000));
}

void TMDIChild::Timer1Timer()
{
    TickGuard guard(*Timer1);
    // A pause of the reception holds the dialogue: what the tick would do waits until it ends.
    if (!ComPort->Open() || receptionPaused())
        return;
    switch (Mode) {
    case mReset:
        ComPort->PutString(std::string(ResetSequence, 7));
        SetMode(OffLine);
        break;
    case WsDisconnect:
    case DataRecOK:
    case ComError:
    case ReadDir:
    case mError:
        break;
    case OffLine:
        if (Settings.AutoUpload)
            Fg_AutoUpload = true;
        [[fallthrough]];
    case Status:
    case DataSaved:
    case DataAlready:
    case DataInhibit:
    case DataPageMode:
        if (RcvOK == answer::BootLoader)
            SetMode(BootProg);
        else
            StatusAnzeigen();
        break;
    case CmdPageMode:
        StatusUhrAnzeige();
        break;
    case BootProg:
        evaluateBootLoader();
        break;
    case WaitOfResponse:
        evaluateWait();
        break;
    case StartConfigRead:
        ReadConfig();
        break;
    case StartConfigWrite:
        WriteConfig();
        break;
    case StartErrorDump:
        ReadErrorDump();
        break;
    case ClrErrDump:
        confirmClrErrDump();
        break;
    case ReceiveFileError:
        retryFileNumber();
        break;
    case DataReceive:
    case SWUpDate:
    case LoadTbl:
    case ConfigRead:
    case ConfigWrite:
    case ErrorDump:
        transferWatchdog();
        break;
    }
}

void TMDIChild::evaluateWait()
{
    SetStatusPanel(text("sts_Wait"), clRed);
    if (RcvOK == answer::BootLoader || RcvOK == answer::Complete || RcvOK == answer::WithoutLB
        || RcvOK == answer::WithoutBPLB)
        TimeOut = 0;
    if (TimeOut < 1) {
        SetStatusPanel(Settings.Data_Path, clGray);
        StatusPageBtn1Click();
        SetMode(Status);
    } else {
        --TimeOut;
    }
    // A cancelled transfer may still be running on the terminal's side.
    if (Fg_CancelProtocol)
        ComPort->PutString(CancelSequence);
    RequestStatus();
}

void TMDIChild::transferWatchdog()
{
    SetStatusPanel(text("sts_Wait"), clRed);
    if (RcvOK == answer::Complete || RcvOK == answer::WithoutLB)
        TimeOut = 0;
    if (TimeOut > 0) {
        --TimeOut;
    } else if (!Fg_CancelProtocol) {
        ComPort->CancelProtocol();
        Fg_CancelProtocol = true;
    }
}

void TMDIChild::confirmClrErrDump()
{
    if (host_.CheckPassword()
        && dialogs_.MessageDlg(text("msg_ClrErrDump"), TMsgDlgType::mtWarning, mbOK | mbCancel) == TModalResult::mrOk) {
        ComPort->PutString("CLRERR\r");
        SetMode(WaitOfResponse);
    } else {
        SetMode(Status);
    }
}

void TMDIChild::B_ArtMouseDown(TMouseButton Button, TShiftState Shift)
{
    if (!Shift.Ctrl || (Button != TMouseButton::Left && Button != TMouseButton::Right))
        return;
    if (!host_.CheckPassword())
        return;
    SetMode(Button == TMouseButton::Left ? StartErrorDump : ClrErrDump);
}

} // namespace talvix
