#pragma once
// The port object of a USB station: every member goes to the USB port, whose own XModem always
// runs XModem-CRC. The serial/network parts exist but stay closed and idle. Members without a
// USB meaning read fixed values (layer dlUSB, port number 0, no network address, no protocol
// type) and ignore writes; the network events are never raised.

#include <memory>

#include "port/TdmPort.h"
#include "port/UsbPortBackend.h"

namespace talvix {

class UsbDmPort final : public TdmPort {
public:
    UsbDmPort(PortBackendFactory& backends, const std::string& id);
    ~UsbDmPort() override;

    UsbPortBackend& USBxp() { return *USBxp_; }
    const UsbPortBackend& USBxp() const { return *USBxp_; }

    bool Open() const override { return USBxp().Open(); }
    // The identification is handed over on every open, so a reopen addresses the same device.
    void SetOpen(bool open) override;
    TDeviceLayer DeviceLayer() const override { return TDeviceLayer::dlUSB; }
    void SetDeviceLayer(TDeviceLayer) override { }
    std::uint16_t ComNumber() const override { return 0; }
    void SetComNumber(std::uint16_t) override { }
    std::string WsAddress() const override { return {}; }
    void SetWsAddress(const std::string&) override { }
    std::string WsPort() const override { return {}; }
    void SetWsPort(const std::string&) override { }
    int Baud() const override { return USBxp().Baud(); }
    void SetBaud(int baud) override { USBxp().SetBaud(baud); }
    std::uint16_t DataBits() const override { return USBxp().DataBits(); }
    void SetDataBits(std::uint16_t bits) override { USBxp().SetDataBits(bits); }
    std::uint16_t StopBits() const override { return USBxp().StopBits(); }
    void SetStopBits(std::uint16_t bits) override { USBxp().SetStopBits(bits); }
    TParity Parity() const override { return USBxp().Parity(); }
    void SetParity(TParity parity) override { USBxp().SetParity(parity); }
    bool DTR() const override { return false; }
    void SetDTR(bool) override { }
    bool RTS() const override { return false; }
    void SetRTS(bool) override { }

    TriggerAvailEvent OnTriggerAvail() const override { return USBxp().OnUSBDataAvail(); }
    void SetOnTriggerAvail(TriggerAvailEvent h) override { USBxp().SetOnUSBDataAvail(std::move(h)); }
    NotifyEvent OnWsConnect() const override { return {}; }
    void SetOnWsConnect(NotifyEvent) override { }
    NotifyEvent OnWsDisconnect() const override { return {}; }
    void SetOnWsDisconnect(NotifyEvent) override { }
    WsErrorEvent OnWsError() const override { return {}; }
    void SetOnWsError(WsErrorEvent) override { }
    NotifyEvent OnTriggerOutBuffUsed() const override { return USBxp().OnTriggerOutbuffUsed(); }
    void SetOnTriggerOutBuffUsed(NotifyEvent h) override { USBxp().SetOnTriggerOutbuffUsed(std::move(h)); }
    AddLogEvent OnAddLog() const override { return USBxp().OnUSBAddLog(); }
    void SetOnAddLog(AddLogEvent h) override { USBxp().SetOnUSBAddLog(std::move(h)); }
    ProtocolFinishEvent OnProtocolFinish() const override { return USBxp().OnTransFinish(); }
    void SetOnProtocolFinish(ProtocolFinishEvent h) override { USBxp().SetOnTransFinish(std::move(h)); }
    ProtocolStatusEvent OnProtocolStatus() const override { return USBxp().OnTransStatus(); }
    void SetOnProtocolStatus(ProtocolStatusEvent h) override { USBxp().SetOnTransStatus(std::move(h)); }

    void PutString(const std::string& s) override { USBxp().WriteStr(s); }
    char GetChar() override { return USBxp().GetRcvChar(); }
    std::uint16_t OutBuffUsed() const override { return USBxp().OutBuffUsed(); }
    void FlushInBuffer() override { }
    void FlushOutBuffer() override { USBxp().FlushOutBuffer(); }
    void RemoveAllTriggers() override { }
    std::uint16_t AddStatusTrigger(std::uint16_t) override { return 0; }
    // The USB port has one output trigger, so the handle is not needed.
    void SetStatusTrigger(std::uint16_t, std::uint16_t Value, bool Activate) override
    {
        USBxp().SetOutbuffTrigger(Value, Activate);
    }

    std::string FileName() const override { return USBxp().Filename(); }
    void SetFileName(const std::string& name) override { USBxp().SetFilename(name); }
    std::string FileMask() const override { return USBxp().Filename(); }
    void SetFileMask(const std::string& mask) override { USBxp().SetFilename(mask); }
    TProtocolType ProtocolType() const override { return TProtocolType::ptNoProtocol; }
    void SetProtocolType(TProtocolType) override { }
    void StartReceive() override { USBxp().StartReceive(); }
    void StartTransmit() override { USBxp().StartTransmit(); }
    void CancelProtocol() override { USBxp().CancelProtocol(); }
    bool InProgress() const override { return USBxp().InProgress(); }
    int BytesTransferred() const override { return USBxp().BytesTransferred(); }
    int RecordsTransferred() const override { return USBxp().RecordsTransferred(); }

private:
    std::unique_ptr<UsbPortBackend> USBxp_;
};

} // namespace talvix
