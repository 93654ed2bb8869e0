#pragma once
// What the port object needs of a USB port (tUSBxp with its own XModem, or a stand-in).
//
// Unlike the serial/network port, nothing here raises: an open that finds no device leaves the
// port closed, and members called while closed do nothing and read 0 / false.

#include <cstdint>
#include <string>

#include "port/PortTypes.h"

namespace talvix {

class UsbPortBackend {
public:
    virtual ~UsbPortBackend() = default;

    // The device identification the next open addresses.
    virtual void SetUSBId(const std::string& id) = 0;
    virtual bool Open() const = 0;
    virtual void SetOpen(bool open) = 0;

    virtual int Baud() const = 0;
    virtual void SetBaud(int baud) = 0;
    virtual std::uint16_t DataBits() const = 0;
    virtual void SetDataBits(std::uint16_t bits) = 0;
    virtual std::uint16_t StopBits() const = 0;
    virtual void SetStopBits(std::uint16_t bits) = 0;
    virtual TParity Parity() const = 0;
    virtual void SetParity(TParity parity) = 0;

    virtual void SetOnUSBDataAvail(TriggerAvailEvent handler) = 0;
    virtual const TriggerAvailEvent& OnUSBDataAvail() const = 0;
    virtual void SetOnTriggerOutbuffUsed(NotifyEvent handler) = 0;
    virtual const NotifyEvent& OnTriggerOutbuffUsed() const = 0;
    virtual void SetOnUSBAddLog(AddLogEvent handler) = 0;
    virtual const AddLogEvent& OnUSBAddLog() const = 0;
    virtual void SetOnTransFinish(ProtocolFinishEvent handler) = 0;
    virtual const ProtocolFinishEvent& OnTransFinish() const = 0;
    virtual void SetOnTransStatus(ProtocolStatusEvent handler) = 0;
    virtual const ProtocolStatusEvent& OnTransStatus() const = 0;

    virtual void WriteStr(const std::string& s) = 0;
    // Character 0 when nothing is buffered.
    virtual char GetRcvChar() = 0;
    // Bytes the send thread still holds.
    virtual std::uint16_t OutBuffUsed() const = 0;
    virtual void FlushOutBuffer() = 0;
    virtual void SetOutbuffTrigger(std::uint16_t Level, bool Activate) = 0;

    // One file name for receiving and for sending.
    virtual std::string Filename() const = 0;
    virtual void SetFilename(const std::string& name) = 0;
    virtual void StartReceive() = 0;
    virtual void StartTransmit() = 0;
    virtual void CancelProtocol() = 0;
    virtual bool InProgress() const = 0;
    virtual int BytesTransferred() const = 0;
    virtual int RecordsTransferred() const = 0;
};

} // namespace talvix
