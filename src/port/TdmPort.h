#pragma once
// The station's port object: one fixed set of properties, operations and events, whichever
// device layer carries the bytes.
//
// It always holds a serial/network port (ComPort) with its transfer engine (Protocol); a port
// object created for a USB device also holds a USB port and forwards every member there instead.
// The choice is made once, in NewCreate, by whether a USB identification is given, and never
// changes: each back end is one subclass in a file of its own. Members a back end does not
// support are silent no-ops with fixed results; nothing here adds failures of its own.

#include <cstdint>
#include <memory>
#include <string>

#include "port/ComPortBackend.h"
#include "port/PortBackendFactory.h"
#include "port/PortTypes.h"
#include "port/ProtocolBackend.h"

namespace talvix {

class TdmPort {
public:
    // Both serial/network parts are made closed; a non-empty USBId also makes the USB port.
    static std::unique_ptr<TdmPort> NewCreate(PortBackendFactory& backends, const std::string& USBId);
    virtual ~TdmPort();
    TdmPort(const TdmPort&) = delete;
    TdmPort& operator=(const TdmPort&) = delete;

    ComPortBackend& ComPort() { return *ComPort_; }
    const ComPortBackend& ComPort() const { return *ComPort_; }
    ProtocolBackend& Protocol() { return *Protocol_; }
    const ProtocolBackend& Protocol() const { return *Protocol_; }
    // True when created for a USB device.
    bool USBPort() const { return USBPort_; }
    // The USB identification, handed to the USB port on every open; the station writes it once
    // more before the first open.
    std::string USBId;

    // Serial/network: raises PortError when the port cannot be opened. USB: never raises; a
    // missing device leaves the port closed.
    virtual bool Open() const = 0;
    virtual void SetOpen(bool open) = 0;
    virtual TDeviceLayer DeviceLayer() const = 0;
    virtual void SetDeviceLayer(TDeviceLayer layer) = 0;
    virtual std::uint16_t ComNumber() const = 0;
    virtual void SetComNumber(std::uint16_t number) = 0;
    virtual std::string WsAddress() const = 0;
    // The connection carries raw bytes: setting the address also switches Telnet processing off.
    virtual void SetWsAddress(const std::string& address) = 0;
    virtual std::string WsPort() const = 0;
    virtual void SetWsPort(const std::string& port) = 0;
    virtual int Baud() const = 0;
    virtual void SetBaud(int baud) = 0;
    virtual std::uint16_t DataBits() const = 0;
    virtual void SetDataBits(std::uint16_t bits) = 0;
    virtual std::uint16_t StopBits() const = 0;
    virtual void SetStopBits(std::uint16_t bits) = 0;
    virtual TParity Parity() const = 0;
    virtual void SetParity(TParity parity) = 0;
    virtual bool DTR() const = 0;
    virtual void SetDTR(bool on) = 0;
    virtual bool RTS() const = 0;
    virtual void SetRTS(bool on) = 0;

    // Events; each read accessor returns the handler the back end in use holds (an empty one
    // for events that back end does not store).
    virtual TriggerAvailEvent OnTriggerAvail() const = 0;
    virtual void SetOnTriggerAvail(TriggerAvailEvent handler) = 0;
    virtual NotifyEvent OnWsConnect() const = 0;
    virtual void SetOnWsConnect(NotifyEvent handler) = 0;
    virtual NotifyEvent OnWsDisconnect() const = 0;
    virtual void SetOnWsDisconnect(NotifyEvent handler) = 0;
    virtual WsErrorEvent OnWsError() const = 0;
    virtual void SetOnWsError(WsErrorEvent handler) = 0;
    virtual NotifyEvent OnTriggerOutBuffUsed() const = 0;
    virtual void SetOnTriggerOutBuffUsed(NotifyEvent handler) = 0;
    virtual AddLogEvent OnAddLog() const = 0;
    virtual void SetOnAddLog(AddLogEvent handler) = 0;
    virtual ProtocolFinishEvent OnProtocolFinish() const = 0;
    virtual void SetOnProtocolFinish(ProtocolFinishEvent handler) = 0;
    virtual ProtocolStatusEvent OnProtocolStatus() const = 0;
    virtual void SetOnProtocolStatus(ProtocolStatusEvent handler) = 0;

    virtual void PutString(const std::string& s) = 0;
    virtual char GetChar() = 0;
    virtual std::uint16_t OutBuffUsed() const = 0;
    virtual void FlushInBuffer() = 0;
    virtual void FlushOutBuffer() = 0;
    virtual void RemoveAllTriggers() = 0;
    virtual std::uint16_t AddStatusTrigger(std::uint16_t SType) = 0;
    virtual void SetStatusTrigger(std::uint16_t Handle, std::uint16_t Value, bool Activate) = 0;

    virtual std::string FileName() const = 0;
    virtual void SetFileName(const std::string& name) = 0;
    virtual std::string FileMask() const = 0;
    virtual void SetFileMask(const std::string& mask) = 0;
    virtual TProtocolType ProtocolType() const = 0;
    virtual void SetProtocolType(TProtocolType type) = 0;
    virtual void StartReceive() = 0;
    virtual void StartTransmit() = 0;
    virtual void CancelProtocol() = 0;
    virtual bool InProgress() const = 0;
    virtual int BytesTransferred() const = 0;
    virtual int RecordsTransferred() const = 0;

protected:
    TdmPort(PortBackendFactory& backends, const std::string& USBId);

private:
    std::unique_ptr<ComPortBackend> ComPort_;
    std::unique_ptr<ProtocolBackend> Protocol_;
    bool USBPort_;
};

} // namespace talvix
