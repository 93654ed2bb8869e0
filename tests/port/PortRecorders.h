#pragma once
// Back ends that only remember: each keeps its settings and writes every call into one shared
// journal ("com:PutString", "usb:WriteStr"), so a test sees which back end a member reached.

#include <memory>
#include <string>
#include <vector>

#include "port/PortBackendFactory.h"

namespace talvix::test {

using Journal = std::vector<std::string>;

class RecordingComPort final : public ComPortBackend {
public:
    explicit RecordingComPort(Journal& journal)
        : journal_(journal)
    { }

    bool Open() const override { return open; }
    void SetOpen(bool o) override { note("SetOpen"), open = o; }
    TDeviceLayer DeviceLayer() const override { return layer; }
    void SetDeviceLayer(TDeviceLayer l) override { note("SetDeviceLayer"), layer = l; }
    std::uint16_t ComNumber() const override { return comNumber; }
    void SetComNumber(std::uint16_t n) override { note("SetComNumber"), comNumber = n; }
    std::string WsAddress() const override { return address; }
    void SetWsAddress(const std::string& a) override { note("SetWsAddress"), address = a; }
    std::string WsPort() const override { return wsPort; }
    void SetWsPort(const std::string& p) override { note("SetWsPort"), wsPort = p; }
    bool WsTelnet() const override { return telnet; }
    void SetWsTelnet(bool t) override { note("SetWsTelnet"), telnet = t; }
    int Baud() const override { return baud; }
    void SetBaud(int b) override { note("SetBaud"), baud = b; }
    std::uint16_t DataBits() const override { return dataBits; }
    void SetDataBits(std::uint16_t b) override { note("SetDataBits"), dataBits = b; }
    std::uint16_t StopBits() const override { return stopBits; }
    void SetStopBits(std::uint16_t b) override { note("SetStopBits"), stopBits = b; }
    TParity Parity() const override { return parity; }
    void SetParity(TParity p) override { note("SetParity"), parity = p; }
    bool DTR() const override { return dtr; }
    void SetDTR(bool on) override { note("SetDTR"), dtr = on; }
    bool RTS() const override { return rts; }
    void SetRTS(bool on) override { note("SetRTS"), rts = on; }

    void SetOnTriggerAvail(TriggerAvailEvent h) override { note("SetOnTriggerAvail"), onAvail = std::move(h); }
    const TriggerAvailEvent& OnTriggerAvail() const override { return onAvail; }
    void SetOnWsConnect(NotifyEvent h) override { note("SetOnWsConnect"), onConnect = std::move(h); }
    const NotifyEvent& OnWsConnect() const override { return onConnect; }
    void SetOnWsDisconnect(NotifyEvent h) override { note("SetOnWsDisconnect"), onDisconnect = std::move(h); }
    const NotifyEvent& OnWsDisconnect() const override { return onDisconnect; }
    void SetOnWsError(WsErrorEvent h) override { note("SetOnWsError"), onError = std::move(h); }
    const WsErrorEvent& OnWsError() const override { return onError; }
    void SetOnTriggerOutbuffUsed(NotifyEvent h) override { note("SetOnTriggerOutbuffUsed"), onDrained = std::move(h); }
    const NotifyEvent& OnTriggerOutbuffUsed() const override { return onDrained; }

    void PutString(const std::string& s) override { note("PutString"), written += s; }
    char GetChar() override { return note("GetChar"), 'c'; }
    std::uint16_t OutBuffUsed() const override { return 11; }
    void FlushInBuffer() override { note("FlushInBuffer"); }
    void FlushOutBuffer() override { note("FlushOutBuffer"); }
    void RemoveAllTriggers() override { note("RemoveAllTriggers"); }
    std::uint16_t AddStatusTrigger(std::uint16_t) override { return note("AddStatusTrigger"), 7; }
    void SetStatusTrigger(std::uint16_t, std::uint16_t, bool) override { note("SetStatusTrigger"); }

    bool open = false;
    TDeviceLayer layer = TDeviceLayer::dlWin32;
    std::uint16_t comNumber = 1;
    std::string address, wsPort;
    bool telnet = true;
    int baud = 19200;
    std::uint16_t dataBits = 8, stopBits = 1;
    TParity parity = TParity::pNone;
    bool dtr = true, rts = true;
    TriggerAvailEvent onAvail;
    NotifyEvent onConnect, onDisconnect, onDrained;
    WsErrorEvent onError;
    std::string written;

private:
    void note(const char* call) const { journal_.push_back(std::string("com:") + call); }
    Journal& journal_;
};

class RecordingProtocol final : public ProtocolBackend {
public:
    explicit RecordingProtocol(Journal& journal)
        : journal_(journal)
    { }

    std::string FileName() const override { return fileName; }
    void SetFileName(const std::string& n) override { note("SetFileName"), fileName = n; }
    std::string FileMask() const override { return fileMask; }
    void SetFileMask(const std::string& m) override { note("SetFileMask"), fileMask = m; }
    TProtocolType ProtocolType() const override { return type; }
    void SetProtocolType(TProtocolType t) override { note("SetProtocolType"), type = t; }
    void StartReceive() override { note("StartReceive"); }
    void StartTransmit() override { note("StartTransmit"); }
    void CancelProtocol() override { note("CancelProtocol"); }
    bool InProgress() const override { return true; }
    int BytesTransferred() const override { return 1280; }
    int RecordsTransferred() const override { return 10; }
    void SetOnProtocolFinish(ProtocolFinishEvent h) override { note("SetOnProtocolFinish"), onFinish = std::move(h); }
    const ProtocolFinishEvent& OnProtocolFinish() const override { return onFinish; }
    void SetOnProtocolStatus(ProtocolStatusEvent h) override { note("SetOnProtocolStatus"), onStatus = std::move(h); }
    const ProtocolStatusEvent& OnProtocolStatus() const override { return onStatus; }

    std::string fileName, fileMask;
    TProtocolType type = TProtocolType::ptXmodemCRC;
    ProtocolFinishEvent onFinish;
    ProtocolStatusEvent onStatus;

private:
    void note(const char* call) const { journal_.push_back(std::string("xm:") + call); }
    Journal& journal_;
};

// The USB back end as far as the port object sees it: the device it was opened for, and what
// it was given.
class RecordingUsbPort final : public UsbPortBackend {
public:
    explicit RecordingUsbPort(Journal& journal)
        : journal_(journal)
    { }

    void SetUSBId(const std::string& id) override { note("SetUSBId"), usbId = id; }
    bool Open() const override { return open; }
    void SetOpen(bool o) override
    {
        note(o ? "Open" : "Close");
        open = o;
        if (o) {
            openedId = usbId;
            baudAtOpen = baud;
        }
    }
    int Baud() const override { return baud; }
    void SetBaud(int b) override { note("SetBaud"), baud = b; }
    std::uint16_t DataBits() const override { return dataBits; }
    void SetDataBits(std::uint16_t b) override { note("SetDataBits"), dataBits = b; }
    std::uint16_t StopBits() const override { return stopBits; }
    void SetStopBits(std::uint16_t b) override { note("SetStopBits"), stopBits = b; }
    TParity Parity() const override { return parity; }
    void SetParity(TParity p) override { note("SetParity"), parity = p; }

    void SetOnUSBDataAvail(TriggerAvailEvent h) override { note("SetOnUSBDataAvail"), onAvail = std::move(h); }
    const TriggerAvailEvent& OnUSBDataAvail() const override { return onAvail; }
    void SetOnTriggerOutbuffUsed(NotifyEvent h) override { note("SetOnTriggerOutbuffUsed"), onDrained = std::move(h); }
    const NotifyEvent& OnTriggerOutbuffUsed() const override { return onDrained; }
    void SetOnUSBAddLog(AddLogEvent h) override { note("SetOnUSBAddLog"), onLog = std::move(h); }
    const AddLogEvent& OnUSBAddLog() const override { return onLog; }
    void SetOnTransFinish(ProtocolFinishEvent h) override { note("SetOnTransFinish"), onFinish = std::move(h); }
    const ProtocolFinishEvent& OnTransFinish() const override { return onFinish; }
    void SetOnTransStatus(ProtocolStatusEvent h) override { note("SetOnTransStatus"), onStatus = std::move(h); }
    const ProtocolStatusEvent& OnTransStatus() const override { return onStatus; }

    void WriteStr(const std::string& s) override { note("WriteStr"), written += s; }
    char GetRcvChar() override { return note("GetRcvChar"), 'u'; }
    std::uint16_t OutBuffUsed() const override { return 22; }
    void FlushOutBuffer() override { note("FlushOutBuffer"); }
    void SetOutbuffTrigger(std::uint16_t level, bool activate) override
    {
        note("SetOutbuffTrigger");
        triggerLevel = level;
        triggerArmed = activate;
    }
    std::string Filename() const override { return filename; }
    void SetFilename(const std::string& n) override { note("SetFilename"), filename = n; }
    void StartReceive() override { note("StartReceive"); }
    void StartTransmit() override { note("StartTransmit"); }
    void CancelProtocol() override { note("CancelProtocol"); }
    bool InProgress() const override { return false; }
    int BytesTransferred() const override { return 256; }
    int RecordsTransferred() const override { return 2; }

    std::string usbId, openedId;
    bool open = false;
    int baud = 9600, baudAtOpen = 0;
    std::uint16_t dataBits = 8, stopBits = 0;
    TParity parity = TParity::pNone;
    TriggerAvailEvent onAvail;
    NotifyEvent onDrained;
    AddLogEvent onLog;
    ProtocolFinishEvent onFinish;
    ProtocolStatusEvent onStatus;
    std::string written, filename;
    std::uint16_t triggerLevel = 0;
    bool triggerArmed = false;

private:
    void note(const char* call) const { journal_.push_back(std::string("usb:") + call); }
    Journal& journal_;
};

// Hands out recorders and keeps a pointer to each for the test to inspect.
class RecordingBackends final : public PortBackendFactory {
public:
    std::unique_ptr<ComPortBackend> createComPort() override
    {
        auto port = std::make_unique<RecordingComPort>(journal);
        com = port.get();
        return port;
    }
    std::unique_ptr<ProtocolBackend> createProtocol(ComPortBackend&) override
    {
        auto engine = std::make_unique<RecordingProtocol>(journal);
        protocol = engine.get();
        return engine;
    }
    std::unique_ptr<UsbPortBackend> createUsbPort(const std::string& id) override
    {
        auto port = std::make_unique<RecordingUsbPort>(journal);
        port->usbId = id;
        usb = port.get();
        return port;
    }

    Journal journal;
    RecordingComPort* com = nullptr;
    RecordingProtocol* protocol = nullptr;
    RecordingUsbPort* usb = nullptr;
};

} // namespace talvix::test
