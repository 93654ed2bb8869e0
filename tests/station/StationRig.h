#pragma once
// A station connected to a simulated terminal under virtual time:
// TMDIChild -> TdmPort -> TWsComPort -> MemoryLink -> SimTerminal.
// The host answers every text lookup with its key, records the log, the saves and the requests
// to remove the station, and answers the password question, the message boxes and the port
// dialogs as the test scripts them.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/VirtualLoop.h"
#include "port/MemoryLink.h"
#include "port/TWsComPort.h"
#include "port/TXmProtocol.h"
#include "sim/SimTerminal.h"
#include "station/ScriptedPortDialogs.h"
#include "station/TMDIChild.h"
#include "support/TempDir.h"

namespace talvix::test {

using namespace std::chrono_literals;

// The transfer engine as far as the station's watchdog sees it.
class WatchedTransfer final : public ProtocolBackend {
public:
    std::string FileName() const override { return fileName; }
    void SetFileName(const std::string& n) override { fileName = n; }
    std::string FileMask() const override { return fileMask; }
    void SetFileMask(const std::string& m) override { fileMask = m; }
    TProtocolType ProtocolType() const override { return type; }
    void SetProtocolType(TProtocolType t) override { type = t; }
    void StartReceive() override { running = true; }
    void StartTransmit() override { running = true; }
    void CancelProtocol() override { ++cancels; }
    bool InProgress() const override { return running; }
    int BytesTransferred() const override { return bytes; }
    int RecordsTransferred() const override { return records; }
    void SetOnProtocolFinish(ProtocolFinishEvent h) override { onFinish = std::move(h); }
    const ProtocolFinishEvent& OnProtocolFinish() const override { return onFinish; }
    void SetOnProtocolStatus(ProtocolStatusEvent h) override { onStatus = std::move(h); }
    const ProtocolStatusEvent& OnProtocolStatus() const override { return onStatus; }

    std::string fileName, fileMask;
    TProtocolType type = TProtocolType::ptNoProtocol;
    bool running = false;
    int cancels = 0;
    int bytes = 0;
    int records = 0;
    ProtocolFinishEvent onFinish;
    ProtocolStatusEvent onStatus;
};

// Which transfer engine the station's port gets: the watched stand-in, or the real XModem.
enum class TransferEngine { Watched, XModem };

// Serial/network ports whose devices are station ends of one in-memory line.
class LinkBackends final : public PortBackendFactory {
public:
    LinkBackends(EventLoop& loop, MemoryLink& link, TransferEngine engine = TransferEngine::Watched)
        : loop_(loop)
        , link_(link)
        , engine_(engine)
    { }
    std::unique_ptr<ComPortBackend> createComPort() override
    {
        return std::make_unique<TWsComPort>(loop_,
            PortDevices { [this](const TWsComPort&) {
                             if (refuseOpen)
                                 throw PortError(9005, "host not found");
                             ++devicesMade;
                             return link_.makeStationEnd();
                         },
                {} });
    }
    std::unique_ptr<ProtocolBackend> createProtocol(ComPortBackend& port) override
    {
        if (engine_ == TransferEngine::XModem)
            return std::make_unique<TXmProtocol>(dynamic_cast<TWsComPort&>(port));
        auto engine = std::make_unique<WatchedTransfer>();
        transfer = engine.get();
        return engine;
    }
    std::unique_ptr<UsbPortBackend> createUsbPort(const std::string&) override { return nullptr; }

    WatchedTransfer* transfer = nullptr; // null with the real XModem
    int devicesMade = 0;
    bool refuseOpen = false; // opening raises, as an unknown server name does

private:
    EventLoop& loop_;
    MemoryLink& link_;
    TransferEngine engine_;
};

struct LogLine {
    int level;
    std::string msg;
    friend bool operator==(const LogLine&, const LogLine&) = default;
};

class ScriptedHost final : public StationHost {
public:
    explicit ScriptedHost(std::string programFolder)
        : progPath(std::move(programFolder))
    { }
    std::string GetText(const std::string& Ident, const std::string&) const override { return Ident; }
    std::string ProgPath() const override { return progPath; }
    int LogLevel() const override { return logLevel; }
    void LogStationLine(int, int Level, const std::string&, const std::string&, const std::string& Msg) override
    {
        log.push_back({ Level, Msg });
    }
    bool CheckPassword() override
    {
        ++passwordQuestions;
        return passwordGiven;
    }
    bool IsActiveChild(const TMDIChild&) const override { return active; }
    std::string DefaultDataPath() const override { return progPath + "/data/"; }
    std::string UpdateProgPath() const override { return progPath + "/update/"; }
    // Saves into settingsFile when the test gave one.
    bool SaveSingleChild(TMDIChild& Child) override
    {
        ++saves;
        if (settingsFile)
            Child.ChildSave(*settingsFile, Child.ChildNo);
        return true;
    }
    // As the main window does: the station is asked to close.
    void CloseStation(TMDIChild& Child) override
    {
        ++closeRequests;
        Child.FormCloseQuery();
    }
    PortDialogs& portDialogs() override { return portDialogsScript; }
    bool CtrlFilesEnable() const override { return ctrlFiles; }
    std::string ErrorDumpName() const override { return progPath + "/ErrDmp.tmp"; }
    void OpenEditor(const std::string& FileName) override { edited.push_back(FileName); }

    std::string progPath;
    bool ctrlFiles = false;
    std::vector<std::string> edited;
    int logLevel = 0;
    std::vector<LogLine> log;
    bool passwordGiven = true;
    int passwordQuestions = 0;
    bool active = true;
    ProfileFile* settingsFile = nullptr;
    int saves = 0;
    int closeRequests = 0;
    ScriptedPortDialogs portDialogsScript;
};

class ScriptedDialogs final : public MessageDialogs {
public:
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    TModalResult MessageDlg(const std::string& text, TMsgDlgType, unsigned) override
    {
        shown.push_back(text);
        if (whileAsking)
            whileAsking();
        return answer;
    }
    std::vector<std::string> shown;
    TModalResult answer = TModalResult::mrOk;
    std::function<void()> whileAsking;
};

class StationRig {
public:
    explicit StationRig(std::uint32_t bytesPerSecond = 0, TransferEngine engine = TransferEngine::Watched)
        : link(loop, bytesPerSecond)
        , backends(loop, link, engine)
    {
        loop.setLocalTime({ 2024, 3, 18, 14, 30, 0 });
        link.setReceiver([this](std::string_view bytes) { terminal.onBytes(bytes); });
        terminal.setSend([this](const std::string& bytes) { link.write(bytes); });
    }

    // A serial station on an open port with its timer running, in the given mode.
    void start(TMode mode)
    {
        station.ComPort->SetComNumber(1);
        station.ComPort->SetOpen(true);
        station.SetMode(mode);
        station.Timer1->setEnabled(true);
        loop.runPending();
    }
    // A network station, connecting.
    void startNetwork()
    {
        station.ComPort->SetWsAddress("terminal-server");
        station.ComPort->SetWsPort("10001");
        station.ComPort->SetDeviceLayer(TDeviceLayer::dlWinsock);
        station.SetMode(WsDisconnect);
        station.ComPort->SetOpen(true);
        station.Timer1->setEnabled(true);
        loop.runPending();
    }
    void tick(int ticks = 1) { loop.advance(Timer1Interval * ticks); }
    // Ticks until the terminal shows online (at most 10).
    void tickUntilOnline()
    {
        for (int i = 0; i < 10 && station.Mode != Status; ++i)
            tick();
    }
    // Commands the terminal received that begin with prefix.
    int received(const std::string& prefix) const
    {
        int count = 0;
        for (const std::string& command : terminal.commands())
            count += command.starts_with(prefix) ? 1 : 0;
        return count;
    }
    std::string shown(TViewItem item) const { return station.Presentation.text(item); }

    // The program folder and, unless a test says otherwise, the data folder.
    TempDir folder;
    VirtualLoop loop;
    MemoryLink link;
    sim::SimTerminal terminal { loop };
    ScriptedHost host { folder.path() };
    ScriptedDialogs dialogs;
    LinkBackends backends;
    TMDIChild station { loop, host, dialogs, backends };
};

} // namespace talvix::test
