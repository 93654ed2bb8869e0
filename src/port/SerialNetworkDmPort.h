#pragma once
// The port object of a serial or network station: every member goes to the serial/network port
// or to its transfer engine. The port never logs through OnAddLog, so that event is not kept.

#include "port/TdmPort.h"

namespace talvix {

class SerialNetworkDmPort final : public TdmPort {
public:
    explicit SerialNetworkDmPort(PortBackendFactory& backends)
        : TdmPort(backends, "")
    { }

    bool Open() const override { return ComPort().Open(); }
    void SetOpen(bool open) override { ComPort().SetOpen(open); }
    TDeviceLayer DeviceLayer() const override { return ComPort().DeviceLayer(); }
    void SetDeviceLayer(TDeviceLayer layer) override { ComPort().SetDeviceLayer(layer); }
    std::uint16_t ComNumber() const override { return ComPort().ComNumber(); }
    void SetComNumber(std::uint16_t number) override { ComPort().SetComNumber(number); }
    std::string WsAddress() const override { return ComPort().WsAddress(); }
    void SetWsAddress(const std::string& address) override
    {
        ComPort().SetWsAddress(address);
        ComPort().SetWsTelnet(false);
    }
    std::string WsPort() const override { return ComPort().WsPort(); }
    void SetWsPort(const std::string& p) override { ComPort().SetWsPort(p); }
    int Baud() const override { return ComPort().Baud(); }
    void SetBaud(int baud) override { ComPort().SetBaud(baud); }
    std::uint16_t DataBits() const override { return ComPort().DataBits(); }
    void SetDataBits(std::uint16_t bits) override { ComPort().SetDataBits(bits); }
    std::uint16_t StopBits() const override { return ComPort().StopBits(); }
    void SetStopBits(std::uint16_t bits) override { ComPort().SetStopBits(bits); }
    TParity Parity() const override { return ComPort().Parity(); }
    void SetParity(TParity parity) override { ComPort().SetParity(parity); }
    bool DTR() const override { return ComPort().DTR(); }
    void SetDTR(bool on) override { ComPort().SetDTR(on); }
    bool RTS() const override { return ComPort().RTS(); }
    void SetRTS(bool on) override { ComPort().SetRTS(on); }

    TriggerAvailEvent OnTriggerAvail() const override { return ComPort().OnTriggerAvail(); }
    void SetOnTriggerAvail(TriggerAvailEvent h) override { ComPort().SetOnTriggerAvail(std::move(h)); }
    NotifyEvent OnWsConnect() const override { return ComPort().OnWsConnect(); }
    void SetOnWsConnect(NotifyEvent h) override { ComPort().SetOnWsConnect(std::move(h)); }
    NotifyEvent OnWsDisconnect() const override { return ComPort().OnWsDisconnect(); }
    void SetOnWsDisconnect(NotifyEvent h) override { ComPort().SetOnWsDisconnect(std::move(h)); }
    WsErrorEvent OnWsError() const override { return ComPort().OnWsError(); }
    void SetOnWsError(WsErrorEvent h) override { ComPort().SetOnWsError(std::move(h)); }
    NotifyEvent OnTriggerOutBuffUsed() const override { return ComPort().OnTriggerOutbuffUsed(); }
    void SetOnTriggerOutBuffUsed(NotifyEvent h) override { ComPort().SetOnTriggerOutbuffUsed(std::move(h)); }
    AddLogEvent OnAddLog() const override { return {}; }
    void SetOnAddLog(AddLogEvent) override { }
    ProtocolFinishEvent OnProtocolFinish() const override { return Protocol().OnProtocolFinish(); }
    void SetOnProtocolFinish(ProtocolFinishEvent h) override { Protocol().SetOnProtocolFinish(std::move(h)); }
    ProtocolStatusEvent OnProtocolStatus() const override { return Protocol().OnProtocolStatus(); }
    void SetOnProtocolStatus(ProtocolStatusEvent h) override { Protocol().SetOnProtocolStatus(std::move(h)); }

    void PutString(const std::string& s) override { ComPort().PutString(s); }
    char GetChar() override { return ComPort().GetChar(); }
    std::uint16_t OutBuffUsed() const override { return ComPort().OutBuffUsed(); }
    void FlushInBuffer() override { ComPort().FlushInBuffer(); }
    void FlushOutBuffer() override { ComPort().FlushOutBuffer(); }
    void RemoveAllTriggers() override { ComPort().RemoveAllTriggers(); }
    std::uint16_t AddStatusTrigger(std::uint16_t SType) override { return ComPort().AddStatusTrigger(SType); }
    void SetStatusTrigger(std::uint16_t Handle, std::uint16_t Value, bool Activate) override
    {
        ComPort().SetStatusTrigger(Handle, Value, Activate);
    }

    std::string FileName() const override { return Protocol().FileName(); }
    void SetFileName(const std::string& name) override { Protocol().SetFileName(name); }
    std::string FileMask() const override { return Protocol().FileMask(); }
    void SetFileMask(const std::string& mask) override { Protocol().SetFileMask(mask); }
    TProtocolType ProtocolType() const override { return Protocol().ProtocolType(); }
    void SetProtocolType(TProtocolType type) override { Protocol().SetProtocolType(type); }
    void StartReceive() override { Protocol().StartReceive(); }
    void StartTransmit() override { Protocol().StartTransmit(); }
    void CancelProtocol() override { Protocol().CancelProtocol(); }
    bool InProgress() const override { return Protocol().InProgress(); }
    int BytesTransferred() const override { return Protocol().BytesTransferred(); }
    int RecordsTransferred() const override { return Protocol().RecordsTransferred(); }
};

} // namespace talvix
