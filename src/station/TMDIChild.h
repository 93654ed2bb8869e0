#pragma once
// One station: the engine behind a station window, talking to one terminal through its port.
//
// Timer1 ticks every 600 ms and acts by Mode: in the polling modes it evaluates the answers the
// terminal gave to the previous poll and sends the next one; in the transfer modes it watches
// for progress; after commands it waits for the terminal to answer. Bytes arrive between ticks
// (ComPortTriggerAvail) and are assembled into lines that fill the status fields and the answer
// bits RcvOK; only the next tick draws conclusions from them. Mode changes only through SetMode,
// which also shows the mode's message, logs the change and hands the function group to the
// window. Everything runs on the loop thread; a tick is never re-entered, since Timer1 is off
// while it runs. What the window shows lives in Presentation.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/EventLoop.h"
#include "platform/MessageDialogs.h"
#include "platform/ProfileFile.h"
#include "port/PortBackendFactory.h"
#include "port/TdmPort.h"
#include "station/InternetDialUp.h"
#include "station/StationHost.h"
#include "station/StationModes.h"
#include "station/StationPresentation.h"
#include "station/StationSettings.h"
#include "station/StationSettingsFile.h"
#include "station/StatusParsers.h"
#include "station/TargetFileNaming.h"

namespace talvix {

// Answer bits of RcvOK and the combinations the evaluations test.
namespace answer {
inline constexpr std::uint16_t DateTime = 1;
inline constexpr std::uint16_t SerialNumber = 4;
inline constexpr std::uint16_t DeviceName = 8;
inline constexpr std::uint16_t BP = 16;
inline constexpr std::uint16_t DS = 32;
inline constexpr std::uint16_t OS = 64;
inline constexpr std::uint16_t AP = 128;
inline constexpr std::uint16_t LB = 256;
inline constexpr std::uint16_t Complete = 508; // all seven status lines
inline constexpr std::uint16_t WithoutLB = 252; // complete as well
inline constexpr std::uint16_t WithoutBPLB = 236; // keeps a station online, shows nothing
inline constexpr std::uint16_t BootLoader = 20; // "BP" and serial number only
inline constexpr std::uint16_t UtilitiesPage = 5; // serial number and date/time
} // namespace answer

inline constexpr Millis Timer1Interval { 600 };
// Closing: each of the two pauses around closing the port (four ticks of the port), and the
// longest wait for a serial line's output to drain before its lines are lowered.
inline constexpr Millis ClosePause { 220 };
inline constexpr Millis CloseDrainLimit { 5000 };
inline constexpr Millis WsReconnectInterval { 10000 };
// A line growing past this without a CR is line noise: it is dropped whole. Parsed lines are
// shorter than 29 characters anyway.
inline constexpr std::size_t MaxHelpBufLength = 256;

inline constexpr const char* ResetSequence = "\xFF\xF0\x00\x00\x4F\xF4\x72";
inline constexpr const char* CancelSequence = "\x18\x18\x18\r";

enum class TMouseButton { Left, Right, Middle };
struct TShiftState {
    bool Shift = false;
    bool Alt = false;
    bool Ctrl = false;
};

class TMDIChild {
public:
    // The creation of a station (FormCreate): mode mReset, both timers off, the port object
    // made with USBId (empty except for USB stations) and its events connected.
    TMDIChild(EventLoop& loop, StationHost& host, MessageDialogs& dialogs, PortBackendFactory& backends,
        std::string USBId = {});
    ~TMDIChild();
    TMDIChild(const TMDIChild&) = delete;
    TMDIChild& operator=(const TMDIChild&) = delete;

    // State machine.
    void SetMode(TMode NewMode);
    // TimeOut in ticks of Timer1.
    void SetTimeout(int tout);
    void Timer1Timer();
    void ComPortWsConnect();
    void ComPortWsDisconnect();
    void ComPortWsError(int ErrCode);
    void WsReconnectTimerTimer();
    // Ctrl + left: read the error log; Ctrl + right: clear it; both behind the password.
    void B_ArtMouseDown(TMouseButton Button, TShiftState Shift);
    // The station's window became the active child: its mode's message and function group are
    // applied again; the mode does not change.
    void ActivateWindow();

    // Terminal dialogue.
    void ComPortTriggerAvail(std::uint16_t Count);
    void RxDataStr();
    void RequestStatus();
    void StatusAnzeigen();
    void StatusUhrAnzeige();
    // The boot-loader evaluation.
    void evaluateBootLoader();

    // Presentation operations the engine uses.
    void EnableDisableFunc(int x) { Presentation.applyFunctionGroup(x); }
    void SetStatusPanel(const std::string& Text, TColor Color) { Presentation.setChildStatus(Text, Color); }
    void ShowError(const std::string& Err, const std::string& Param);
    void ClearCaptions();
    // The station line of the log, with the terminal's serial number and record count.
    void LogMsg(int Level, const std::string& Msg);

    // Target file naming: rebuilds path, pattern and file number (true when the data folder is
    // usable; a taken next number stops the station in ReceiveFileError), and the size display.
    bool CreatePathAndFileName();
    void SetTlvDatSize(const std::string& Filename);

    // Data reception. DatenEmpfangen fetches the collected data (Datei empty) into the target
    // file, or the terminal's file Datei straight into the data folder; the end of this and of
    // every other transfer comes through ProtocolFinish, progress through ProtocolStatus.
    void DatenEmpfangen(const std::string& Datei);
    void Datenempfangen1Click();
    void AbbrechenItemClick();
    void ProtocolStatus(std::uint16_t Options);
    void ProtocolFinish(int ErrorCode);
    // Stores a received file, block by block with Fg_ReceiveDataSplit; true when all of it was
    // stored, and only then is RcvFile deleted.
    bool ReceiveDataSave(const std::string& RcvFile);
    // Cleans RcvFile into its target file; a taken next number stops the station.
    bool DataListSave(const std::string& RcvFile);
    void EnableGauge(int Wert) { Presentation.enableGauge(Wert); }
    // The ends of the directory and configuration reads.
    void ShowConfigForm();
    void ViewDirectory(int ErrorCode);

    // Operations of update, upload, configuration transfer and the options pages that the tick
    // and the evaluations call.
    void CheckProgUpdate(bool automatic);
    void StartUpDate();
    void StartAutoUpload();
    void ReadConfig();
    void WriteConfig();
    void ReadErrorDump();
    void StatusPageBtn1Click();

    // Lifecycle: loading and saving the settings section, numbering and title, the port
    // opening, the port dialog, the options pages and closing.
    //
    // A USB station (CreateUSB): USBId := ID, StationsNr := no, Tag := 1, then the creation.
    static std::unique_ptr<TMDIChild> CreateUSB(EventLoop& loop, StationHost& host, MessageDialogs& dialogs,
        PortBackendFactory& backends, int no, const std::string& ID);
    bool IsUSBChild() const { return Tag == 1; }
    // A serial or network station from "STATION" + MyChildNo (or its predecessor's section, or
    // "DEFAULT"); a new one asks for its port in the port dialog, an existing one opens it.
    void ChildLoad(ProfileFile& IFile, int MyChildNo, bool New);
    // A USB station from the shared section "USB"; its port is opened, polling starts OffLine.
    void USBChildLoad(ProfileFile& IFile, int MyChildNo, bool New);
    // A new serial or network station numbered MyChildNo; marked modified. Returns false.
    bool ChildNewInit(ProfileFile& IFile, int MyChildNo);
    // Writes the section that ChildNo and Tag name (MyChildNo is not used) and clears modify.
    // Throws ProfileWriteError when the file refuses.
    void ChildSave(ProfileFile& IFile, int MyChildNo);
    bool ChildModify(ProfileFile& IFile, int MyChildNo) const;
    // Another station numbered DeleteChildNo is removed: a serial or network station above it
    // moves down by one.
    void DecChildNo(int DeleteChildNo);
    // The window's title: "STATION USB-Port", or "STATION #" + number.
    void SetStationTitle(int number);

    // The port dialog, behind the password; Timer1 is off while it is shown. Cancelling the
    // first dialog of a new station closes the station.
    void SioPageItemClick();
    void SioConfiguration();

    // The options pages, behind the password; Timer1 is off while one is shown and the station
    // is in DataPageMode. The controls act at once; OK only saves.
    void DataPageItemClick();
    void DirectoriesItemClick();
    // Refuses a pattern with both "%F" and "#" and an unusable data folder; the page stays.
    void DirectoriesOkBtnClick();
    // Change tracking of the options controls.
    void AutoRecBoxEnter();
    void AutoProgBoxClick();
    void ZielDateiGroupClick();

    // Closing. FormCloseQuery refuses (false) while an options page of a serial or network
    // station is shown, and returns it to its status page instead. Otherwise the station stops
    // for good: Timer1 and the reconnect timer off, the port's events no longer heard, and an
    // open serial or network port is drained, lowers RTS and DTR, pauses, closes and pauses
    // again; CanClose becomes true at the end (at once for anything else). FormClose writes
    // the closing log line.
    bool FormCloseQuery();
    void FormClose();

    // Identity and lifecycle fields.
    int Tag = 0; // 1: a USB station
    int ChildNo = 0;
    int PosIndex = -1;
    bool modify = false;
    bool InitFlag = false;
    bool WindowCascadeItem = false;
    bool WindowTileItem = false;
    bool CanClose = false;

    // Settings of the station (loaded from its settings section).
    StationSettings Settings;
    int StationsNr = 0;
    std::string USBId;
    std::string B_Datei_Hint;

    // State machine fields.
    bool ModemMode = false;
    TMode Mode = mReset;
    TMode OldMode = mReset;
    TMode LastLogStatus = mReset;
    bool Fg_CancelProtocol = false;
    bool Fg_AutoUpload = false;
    int TimeOut = 0;
    bool Fg_StartUpDate = false;
    bool Fg_T1Set = false;
    bool Fg_AndroidUpdate = false;
    std::unique_ptr<TdmPort> ComPort;
    std::unique_ptr<Timer> Timer1;
    std::unique_ptr<Timer> WsReconnectTimer;

    // Dialogue fields.
    int LowerVersion = DefaultLowerVersion;
    std::string Art, AP, OS, DS, BP, LB;
    std::string SNr, Rec;
    bool Fg_DatenSperre = false;
    bool Fg_TransferSperre = false;
    bool Fg_UpdateEnabled = false;
    bool Fg_FirstMsgNoData = false;
    bool Fg_WaitOfUpdateEnable = false;
    std::string TimeDate;
    std::uint16_t RcvOK = 0;
    std::string HelpBuf;
    bool AutoSetTime = false;
    int DisplayCnt = 0;

    // Reception fields.
    bool DirectDatei = false;
    int H_BytesTransferred = 0;
    // The dial-up connection of AutoInternetBox.
    InternetDialUp* DialUp = &systemDialUp();

    StationPresentation Presentation;

private:
    // What the naming reads of the station.
    class NamingStation final : public TargetFileStation {
    public:
        explicit NamingStation(const TMDIChild& child)
            : child_(child)
        { }
        int StationsNr() const override { return child_.StationsNr; }
        std::string SerialNumberShown() const override { return child_.Presentation.text(TViewItem::B_SNr); }
        LocalDateTime localNow() const override { return child_.loop_.localNow(); }
        std::string GetText(const std::string& Ident, const std::string& Default) const override
        {
            return child_.host_.GetText(Ident, Default);
        }

    private:
        const TMDIChild& child_;
    };

    EventLoop& loop_;
    StationHost& host_;
    MessageDialogs& dialogs_;
    NamingStation namingStation_ { *this };

public:
    TargetFileNaming Naming;

private:
    std::string text(const std::string& key) const { return host_.GetText(key, ""); }
    void setText(TViewItem item, const std::string& value) { Presentation.setText(item, value); }
    void showModeMessage();
    void logMode();
    void transferWatchdog();
    void evaluateWait();
    void confirmClrErrDump();
    void appendToHelpBuf(char byte);
    void clearHelpBuf();
    void ReceiveStatus(const std::string& line);
    void ReceiveStatusTime(const std::string& line);
    void SelectStatus(const SerialNumberLine& line);
    void takeVersionText(const VersionTextLine& line);
    void takeVersionNumber(const VersionNumberLine& line);
    void takeDeviceName(const DeviceNameLine& line);
    void showTerminal();
    void onlineModeLogic();
    void afterReceptionCommand();
    void goOffline();
    void sendStatusPoll();
    void stopAtTakenFileNumber(const FileExistsStop& stop);
    void showDataFileName();
    void retryFileNumber();
    StationPathDefaults pathDefaults() const;
    StationPortSettings portSettings() const;
    void applyPortSettings(const StationPortSettings& port);
    void showPortPanel();
    void openPort(bool modem);
    void portOpenFailed();
    std::string portLogName() const;
    void portDialog();
    void usbPortDialog();
    void openOptionsPage(TBookPage page);
    void closeWhenDrained(Millis waited);
    void closePortAfterPause();
    void finishClosing();

    // A line grew too long: its bytes are dropped up to its CR.
    bool dropLine_ = false;
    bool closing_ = false;
    // The pending step of closing; destroyed before the port it acts on.
    std::unique_ptr<Timer> closeStep_;

    void startReceive();
    void receptionEnd(int ErrorCode);
    void sendReceptionCommand(bool stored);
    void uploadEnd(int ErrorCode);
    void configReadEnd(int ErrorCode);
    void errorDumpEnd(int ErrorCode);
    bool receptionPaused() const { return receptionPause_ && receptionPause_->isActive(); }
    // The pauses of 200 ms before a receive starts and of 500 ms before the lock or clear
    // command. Declared last: it goes first, before anything its continuation uses.
    std::unique_ptr<Timer> receptionPause_;
};

} // namespace talvix
