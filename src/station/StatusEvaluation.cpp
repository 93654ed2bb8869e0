// The evaluations of the answers, once per tick: the status evaluation of the polling modes, the
// utilities evaluation of the clock page and the boot-loader evaluation.
//
// DisplayCnt debounces: it rises with each complete answer and falls with each other one, within
// 0..2. So a terminal shows online at the third poll with identical answers (the first fills the
// fields, the second sets the bits) and goes offline at the second poll without a complete one;
// changed values count as incomplete. The offline step re-arms AutoSetTime from cbAutoSetTime,
// which makes the automatic clock setting once per connection.
#include <algorithm>
#include <exception>

#include "platform/DateTimeFormat.h"
#include "station/TMDIChild.h"

namespace talvix {
namespace {

void debounce(int& DisplayCnt, bool up)
{
    DisplayCnt = up ? std::min(DisplayCnt + 1, 2) : std::max(DisplayCnt - 1, 0);
}

} // namespace

// An error inside the evaluation must not end the tick: the next tick starts afresh.
void TMDIChild::StatusAnzeigen()
{
    try {
        const bool complete = RcvOK == answer::Complete || RcvOK == answer::WithoutLB;
        debounce(DisplayCnt, complete || RcvOK == answer::WithoutBPLB);
        if (complete && DisplayCnt == 2)
            showTerminal();
        if (!complete && DisplayCnt == 0)
            goOffline();
        if (Mode != DataReceive)
            RequestStatus();
    } catch (const std::exception&) { }
}

void TMDIChild::showTerminal()
{
    setText(TViewItem::B_Art, Art);
    setText(TViewItem::B_AP, AP);
    setText(TViewItem::B_OS, OS);
    setText(TViewItem::B_DS, DS);
    setText(TViewItem::B_BP, BP);
    setText(TViewItem::B_SNr, SNr);
    setText(TViewItem::B_Rec, Rec);
    Presentation.setSNrEnabled(true);
    if (Mode == OffLine) {
        SetMode(Status);
        SetTlvDatSize("");
        Fg_StartUpDate = false;
    }
    showDataFileName();
    if (Mode == Status || Mode == DataInhibit) {
        onlineModeLogic();
    } else if (Mode == DataSaved) {
        // The lock did not take: back to Status, where the command is repeated.
        if (!Fg_DatenSperre && numberOrZero(Rec) > 0)
            SetMode(Status);
        if (Settings.AutoProgBox)
            CheckProgUpdate(true);
    }
}

void TMDIChild::onlineModeLogic()
{
    const int records = numberOrZero(Rec);
    if (AutoSetTime) {
        AutoSetTime = false;
        const std::string command = setTimeCommand(loop_.localNow());
        ComPort->PutString(command);
        LogMsg(2, "set date/time: " + command.substr(9, 12));
    } else if (Fg_DatenSperre) {
        SetMode(DataAlready);
    } else if (Fg_TransferSperre) {
        SetMode(DataInhibit);
        StartAutoUpload();
    } else if (Fg_T1Set) {
        if (records <= 0)
            Fg_T1Set = false;
        else
            afterReceptionCommand();
    } else if (Settings.AutoRecBox && records > 0) {
        Datenempfangen1Click();
    } else if (records <= 0) {
        setText(TViewItem::B_Message, text("msg_NoData"));
        StartAutoUpload();
    } else {
        setText(TViewItem::B_Message, text("msg_DataReady"));
    }
    if (records == 0) {
        if (!Fg_FirstMsgNoData) {
            Fg_FirstMsgNoData = true;
            if (Settings.AutoProgBox)
                CheckProgUpdate(true);
        }
        if (Fg_WaitOfUpdateEnable && Fg_UpdateEnabled)
            CheckProgUpdate(true);
    }
}

// The lock or clear command after a reception, repeated while the terminal still reports
// records without its lock flag.
void TMDIChild::afterReceptionCommand()
{
    if (Settings.NachReceiveGroup == 0) {
        ComPort->PutString("\rT1\r");
        LogMsg(2, "set transfer lock");
    } else if (Settings.NachReceiveGroup == 1) {
        ComPort->PutString("\rT1\rCLRMEM\r");
        LogMsg(2, "delete data");
    }
}

void TMDIChild::goOffline()
{
    if (Mode != OffLine)
        SetMode(OffLine);
    ClearCaptions();
    AutoSetTime = Settings.cbAutoSetTime;
    setText(TViewItem::B_Message, text("msg_free"));
    SetStatusPanel(Settings.Data_Path, clGray);
    Fg_FirstMsgNoData = false;
    Fg_WaitOfUpdateEnable = false;
    Fg_AndroidUpdate = false;
}

void TMDIChild::StatusUhrAnzeige()
{
    const LocalDateTime now = loop_.localNow();
    const std::string time = FormatDateTime("hh:nn:ss", now);
    if (Presentation.text(TViewItem::B_SysTime) != time) {
        setText(TViewItem::B_SysTime, time);
        setText(TViewItem::B_SysDate, FormatDateTime("dd.mm.yyyy", now));
    }
    if (TimeOut != 0) {
        // A serial number is being programmed. The answer is judged before the countdown, so an
        // answer in the last tick is not taken for a time-out.
        if (RcvOK == answer::UtilitiesPage) {
            TimeOut = 0;
            SetStatusPanel(Settings.Data_Path, clGray);
            if (Presentation.text(TViewItem::SNrEdit) != SNr)
                ShowError("msg_ErrProg", "");
        } else if (--TimeOut == 0) {
            ShowError("msg_ErrProg", "");
            setText(TViewItem::SNrEdit, Presentation.text(TViewItem::B_SNr));
        }
    } else {
        debounce(DisplayCnt, RcvOK == answer::UtilitiesPage);
        if (RcvOK == answer::UtilitiesPage && DisplayCnt == 2) {
            setText(TViewItem::B_SNr, SNr);
            const TerminalDateTime terminal = splitTerminalDateTime(TimeDate);
            if (terminal.time != Presentation.text(TViewItem::B_DevTime)) {
                setText(TViewItem::B_DevDate, terminal.date);
                setText(TViewItem::B_DevTime, terminal.time);
            }
        }
        if (RcvOK != answer::UtilitiesPage && DisplayCnt == 0) {
            SetMode(Status);
            Presentation.setBook(TBookPage::StatusPage);
        }
    }
    RcvOK = 0;
    clearHelpBuf();
    ComPort->PutString("T\r");
    ComPort->PutString("S\r\x11");
}

void TMDIChild::evaluateBootLoader()
{
    debounce(DisplayCnt, RcvOK == answer::BootLoader);
    if (RcvOK == answer::BootLoader && DisplayCnt == 2) {
        ClearCaptions();
        setText(TViewItem::B_BP, BP);
        setText(TViewItem::B_Message, text("msg_ReadyUpDate"));
    }
    if (RcvOK != answer::BootLoader && DisplayCnt == 0)
        SetMode(OffLine);
    RcvOK = 0;
    clearHelpBuf();
    if (Fg_StartUpDate)
        StartUpDate();
    else
        sendStatusPoll();
}

} // namespace talvix
