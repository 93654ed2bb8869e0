// The terminal dialogue: received bytes become lines, lines fill the status fields and the
// answer bits RcvOK, and the poll asks for the next answer.
//
// Bytes up to 0x14 never reach a line (the LF after each CR, the DC1 echo); a CR ends the line.
// A bit for a version or serial-number line is set only when the value equals the one of the
// previous poll, so a bit means "answered, and unchanged". HelpBuf never holds more than
// MaxHelpBufLength bytes: a longer line is dropped whole, however long the noise runs.
#include <exception>

#include "station/TMDIChild.h"

namespace talvix {
namespace {

bool transferMode(TMode mode)
{
    return mode == SWUpDate || mode == ConfigWrite || mode == DataReceive || mode == ConfigRead;
}

bool statusLineMode(TMode mode)
{
    switch (mode) {
    case mReset:
    case WsDisconnect:
    case OffLine:
    case Status:
    case DataSaved:
    case DataAlready:
    case DataInhibit:
    case SWUpDate:
    case BootProg:
    case LoadTbl:
    case DataPageMode:
    case WaitOfResponse:
        return true;
    default:
        return false;
    }
}

} // namespace

// While a transfer runs the bytes belong to the transfer engine.
void TMDIChild::ComPortTriggerAvail(std::uint16_t Count)
{
    if (ComPort->InProgress() || transferMode(Mode))
        return;
    for (std::uint16_t i = 0; i < Count; ++i) {
        try {
            const char byte = ComPort->GetChar();
            if (static_cast<unsigned char>(byte) > 0x14)
                appendToHelpBuf(byte);
            if (byte == '\r')
                RxDataStr();
        } catch (const std::exception&) {
            clearHelpBuf();
            ComPort->FlushInBuffer();
        }
    }
}

void TMDIChild::appendToHelpBuf(char byte)
{
    if (dropLine_)
        return;
    if (HelpBuf.size() >= MaxHelpBufLength) {
        HelpBuf.clear();
        dropLine_ = true;
        return;
    }
    HelpBuf.push_back(byte);
}

void TMDIChild::clearHelpBuf()
{
    HelpBuf.clear();
    dropLine_ = false;
}

void TMDIChild::RxDataStr()
{
    const std::string line = HelpBuf;
    clearHelpBuf();
    if (line.empty())
        return;
    if (Mode == CmdPageMode)
        ReceiveStatusTime(line);
    else if (statusLineMode(Mode))
        ReceiveStatus(line);
}

void TMDIChild::ReceiveStatus(const std::string& line)
{
    if (ModemMode) {
        if (line.find("CONNECT") != std::string::npos) {
            Timer1->setEnabled(true);
            setText(TViewItem::B_Message, "Connecting");
        }
        if (line.find("NO CARRIER") != std::string::npos) {
            Timer1->setEnabled(false);
            SetMode(mReset);
        }
    }
    std::visit(
        [this](const auto& parsed) {
            using Line = std::decay_t<decltype(parsed)>;
            if constexpr (std::is_same_v<Line, VersionTextLine>)
                takeVersionText(parsed);
            else if constexpr (std::is_same_v<Line, VersionNumberLine>)
                takeVersionNumber(parsed);
            else if constexpr (std::is_same_v<Line, SerialNumberLine>)
                SelectStatus(parsed);
            else if constexpr (std::is_same_v<Line, DeviceNameLine>)
                takeDeviceName(parsed);
        },
        parseStatusLine(line));
}

void TMDIChild::takeVersionText(const VersionTextLine& line)
{
    struct Target {
        std::string& field;
        std::uint16_t bit;
    };
    const Target target = [&]() -> Target {
        switch (line.which) {
        case TVersionText::AP:
            return { AP, answer::AP };
        case TVersionText::OS:
            return { OS, answer::OS };
        case TVersionText::DS:
            return { DS, answer::DS };
        case TVersionText::BP:
            return { BP, answer::BP };
        case TVersionText::LB:
            break;
        }
        return { LB, answer::LB };
    }();
    if (line.value == target.field)
        RcvOK |= target.bit;
    target.field = line.value;
}

// The number's lowest bit tells that the terminal accepts an update; the rest is its
// generation. From generation 30 on a terminal has no decoder of its own.
void TMDIChild::takeVersionNumber(const VersionNumberLine& line)
{
    setText(TViewItem::B_LowerVersion, std::to_string(line.number));
    Fg_UpdateEnabled = line.number % 2 != 0;
    LowerVersion = line.number & ~1;
    if (LowerVersion >= 30)
        Presentation.setDSVisible(false);
}

void TMDIChild::takeDeviceName(const DeviceNameLine& line)
{
    if (line.name == Art)
        RcvOK |= answer::DeviceName;
    Art = line.name;
}

void TMDIChild::SelectStatus(const SerialNumberLine& line)
{
    if (line.SNr == SNr)
        RcvOK |= answer::SerialNumber;
    SNr = line.SNr;
    Rec = line.Rec;
    if ((Fg_DatenSperre && !line.datenSperre) || (Fg_TransferSperre && !line.transferSperre))
        SetMode(Status);
    Fg_DatenSperre = line.datenSperre;
    Fg_TransferSperre = line.transferSperre;
    // A lock the terminal reports has taken: repeating it later would lock records that came
    // after it unread, once the terminal drops its flag for them.
    if (Fg_TransferSperre || Fg_DatenSperre)
        Fg_T1Set = false;
}

void TMDIChild::ReceiveStatusTime(const std::string& line)
{
    const TimePageLine parsed = parseTimePageLine(line);
    if (const auto* serial = std::get_if<SerialNumberLine>(&parsed)) {
        SelectStatus(*serial);
    } else if (const auto* dateTime = std::get_if<DateTimeLine>(&parsed)) {
        RcvOK |= answer::DateTime;
        TimeDate = dateTime->text;
    }
}

// With bytes still waiting to go out, the terminal could not answer this tick's poll anyway.
void TMDIChild::RequestStatus()
{
    RcvOK = 0;
    clearHelpBuf();
    if (Mode != mReset && Mode != WsDisconnect && ComPort->OutBuffUsed() == 0)
        sendStatusPoll();
}

void TMDIChild::sendStatusPoll()
{
    ComPort->PutString("V\r");
    ComPort->PutString("S\r\x11");
}

} // namespace talvix
