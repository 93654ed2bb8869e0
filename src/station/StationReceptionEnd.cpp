// The end of a reception of collected data: the received file is stored into its target (as a
// whole, or block by block with Fg_ReceiveDataSplit), and 500 ms later the terminal is told the
// outcome. Stored: the transfer lock "\rT1\r" or, with the clear-memory setting,
// "\rT1\rCLRMEM\r", and the station repeats it while records remain (Fg_T1Set). Not stored,
// whatever the setting: "T0\r" and an error text for the terminal's display, and the station
// stops in ReceiveFileError; locking the terminal then would report data as transmitted that
// exist only in the temporary file.
//
// Invariant: a received file is deleted only when all of it is in a target file; otherwise it
// stays in the temporary folder. A transfer that failed or brought nothing sends no command: the
// terminal keeps its data as they were.
#include <unistd.h>

#include "platform/ShellPaths.h"
#include "station/FileFunctions.h"
#include "station/ReceivedDataStore.h"
#include "station/TMDIChild.h"

namespace talvix {
namespace {

constexpr Millis LockCommandPause { 500 };
constexpr int FailedTransferTimeout = 60;
// Shown by the terminal (Windows-1252: 0xFC is "ü"); two blanks after "FEHLER".
constexpr const char* NotStoredText = "CM00FEHLER  bei der Daten\xFC"
                                      "bertragung\r";

void hangUp(const StationSettings& settings, InternetDialUp& dialUp)
{
    if (settings.AutoInternetBox && dialUp.IsConnectedToInternet())
        dialUp.InternetDisconnect();
}

} // namespace

void TMDIChild::receptionEnd(int ErrorCode)
{
    SetStatusPanel(Settings.Data_Path, clGray);
    const std::string received = ComPort->FileName();
    if (ErrorCode != 0 || SizeFile(received) == 0) {
        SetTimeout(FailedTransferTimeout);
        SetMode(WaitOfResponse);
        Fg_CancelProtocol = false;
        setText(TViewItem::B_Message, text("msg_TransferCancel"));
        hangUp(Settings, *DialUp);
        return;
    }
    const bool stored = ReceiveDataSave(received);
    if (!stored)
        LogMsg(1, "Error: received data not stored, kept in " + received);
    receptionPause_ = loop_.callLater(LockCommandPause, [this, stored] { sendReceptionCommand(stored); });
}

void TMDIChild::sendReceptionCommand(bool stored)
{
    if (stored) {
        afterReceptionCommand();
        SetMode(DataSaved);
        Fg_T1Set = true;
    } else {
        // Fg_T1Set stays off: a lock or clear command must never follow unstored data.
        ComPort->PutString("T0\r");
        ComPort->PutString(NotStoredText);
        SetMode(ReceiveFileError);
        OldMode = ReceiveFileError;
    }
    hangUp(Settings, *DialUp);
}

bool TMDIChild::ReceiveDataSave(const std::string& RcvFile)
{
    const int BlockCount = CheckMultiData(RcvFile);
    // Lines outside every block would be lost block by block; such a file is stored whole.
    if (!Settings.Fg_ReceiveDataSplit || BlockCount <= 1 || hasLinesOutsideBlocks(RcvFile)) {
        if (!DataListSave(RcvFile))
            return false;
        ::unlink(RcvFile.c_str());
        return true;
    }
    for (int block = 1; block <= BlockCount; ++block) {
        const std::string TempFile = GetNewTempFileName("", "$");
        const bool stored = !TempFile.empty() && BlockCopy(RcvFile, TempFile, block) && DataListSave(TempFile);
        if (!TempFile.empty())
            ::unlink(TempFile.c_str());
        if (!stored)
            return false;
    }
    ::unlink(RcvFile.c_str());
    return true;
}

bool TMDIChild::DataListSave(const std::string& RcvFile)
{
    ReceivedDataStore store(Naming, Settings, loop_, host_.CtrlFilesEnable(),
        [this](int Level, const std::string& Msg) { LogMsg(Level, Msg); });
    const DataListSaveResult result = store.DataListSave(RcvFile);
    if (result.Stored)
        host_.FileStored(*this, result.Target);
    if (result.FileExists)
        stopAtTakenFileNumber(*result.FileExists);
    return result.Stored;
}

} // namespace talvix
