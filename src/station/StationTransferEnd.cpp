// The end of every transfer (ProtocolFinish): what all ends share, then the end by mode. The
// reception end is in StationReceptionEnd.cpp; the ends of the uploads, the configuration read
// and the error log read put the station into WaitOfResponse until the terminal answers again.
//
// At every end DisplayCnt := 2: the station counts as online at once and needs two incomplete
// status answers before it goes offline.
#include "platform/ShellPaths.h"
#include "station/FileFunctions.h"
#include "station/TMDIChild.h"

namespace talvix {
namespace {

constexpr int UploadAnswerTimeout = 5;
constexpr int ReadAnswerTimeout = 60;

} // namespace

void TMDIChild::ProtocolFinish(int ErrorCode)
{
    RcvOK = 0;
    clearHelpBuf();
    EnableGauge(0);
    if (ErrorCode != 0) {
        LogMsg(1, "Protocol Error: " + std::to_string(ErrorCode));
        ComPort->Protocol().CancelProtocol();
    }
    switch (Mode) {
    case DataReceive:
        receptionEnd(ErrorCode);
        break;
    case SWUpDate:
    case LoadTbl:
    case ConfigWrite:
        uploadEnd(ErrorCode);
        break;
    case ConfigRead:
        configReadEnd(ErrorCode);
        break;
    case ErrorDump:
        errorDumpEnd(ErrorCode);
        break;
    case ReadDir:
        CopyXModemFile(ComPort->FileName());
        ViewDirectory(ErrorCode);
        break;
    default:
        break;
    }
    DisplayCnt = 2;
}

void TMDIChild::uploadEnd(int ErrorCode)
{
    SetTimeout(UploadAnswerTimeout);
    SetMode(WaitOfResponse);
    Fg_CancelProtocol = false;
    if (ErrorCode != 0) {
        setText(TViewItem::B_Message, text("msg_TransferCancel"));
        LogMsg(4, "upload cancel");
        return;
    }
    setText(TViewItem::B_Message, text("msg_TransferEnd"));
    if (Fg_AndroidUpdate) {
        LogMsg(4, "software update");
        Fg_AndroidUpdate = false;
    } else {
        LogMsg(4, "table/config loaded");
    }
}

void TMDIChild::configReadEnd(int ErrorCode)
{
    SetTimeout(ReadAnswerTimeout);
    SetMode(WaitOfResponse);
    Fg_CancelProtocol = false;
    if (ErrorCode != 0) {
        dialogs_.ShowMessage(text("msg_TransferCancel"));
        return;
    }
    LogMsg(2, "send config");
    ShowConfigForm();
}

void TMDIChild::errorDumpEnd(int ErrorCode)
{
    SetTimeout(ReadAnswerTimeout);
    SetMode(WaitOfResponse);
    Fg_CancelProtocol = false;
    if (ErrorCode != 0) {
        ComPort->CancelProtocol();
        dialogs_.ShowMessage(text("msg_TransferCancel"));
        return;
    }
    host_.OpenEditor(ExtractLongPathName(host_.ErrorDumpName()));
}

} // namespace talvix
