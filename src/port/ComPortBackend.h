#pragma once
// What the port object needs of a serial/network port component (TWsComPort, or a test double).

#include <cstdint>
#include <string>

#include "port/PortTypes.h"

namespace talvix {

class ComPortBackend {
public:
    virtual ~ComPortBackend() = default;

    virtual bool Open() const = 0;
    // Throws PortError when the port cannot be opened.
    virtual void SetOpen(bool open) = 0;

    virtual TDeviceLayer DeviceLayer() const = 0;
    virtual void SetDeviceLayer(TDeviceLayer layer) = 0;
    virtual std::uint16_t ComNumber() const = 0;
    virtual void SetComNumber(std::uint16_t number) = 0;
    virtual std::string WsAddress() const = 0;
    virtual void SetWsAddress(const std::string& address) = 0;
    virtual std::string WsPort() const = 0;
    virtual void SetWsPort(const std::string& port) = 0;
    virtual bool WsTelnet() const = 0;
    virtual void SetWsTelnet(bool telnet) = 0;
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

    virtual void SetOnTriggerAvail(TriggerAvailEvent handler) = 0;
    virtual const TriggerAvailEvent& OnTriggerAvail() const = 0;
    virtual void SetOnWsConnect(NotifyEvent handler) = 0;
    virtual const NotifyEvent& OnWsConnect() const = 0;
    virtual void SetOnWsDisconnect(NotifyEvent handler) = 0;
    virtual const NotifyEvent& OnWsDisconnect() const = 0;
    virtual void SetOnWsError(WsErrorEvent handler) = 0;
    virtual const WsErrorEvent& OnWsError() const = 0;
    virtual void SetOnTriggerOutbuffUsed(NotifyEvent handler) = 0;
    virtual const NotifyEvent& OnTriggerOutbuffUsed() const = 0;

    // All bytes or none: throws PortError(-3006) when the free output space is too small.
    virtual void PutString(const std::string& s) = 0;
    virtual char GetChar() = 0;
    virtual std::uint16_t OutBuffUsed() const = 0;
    virtual void FlushInBuffer() = 0;
    virtual void FlushOutBuffer() = 0;
    virtual void RemoveAllTriggers() = 0;
    virtual std::uint16_t AddStatusTrigger(std::uint16_t SType) = 0;
    virtual void SetStatusTrigger(std::uint16_t Handle, std::uint16_t Value, bool Activate) = 0;
};

} // namespace talvix
