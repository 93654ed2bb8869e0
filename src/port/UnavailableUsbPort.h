#pragma once
// The USB port of a build without USB support: closed for good. Opening raises PortError, so a
// USB station reports its port as not openable instead of waiting silently for a device; every
// other member does nothing and reads 0, as a closed USB port does.

#include "port/UsbPortBackend.h"

namespace talvix {

class UnavailableUsbPort final : public UsbPortBackend {
public:
    // A code of its own beside the serial layer's open failures (-2001, -2008, -2011).
    static constexpr int ErrorCode = -2012;

    void SetUSBId(const std::string&) override { }
    bool Open() const override { return false; }
    void SetOpen(bool open) override
    {
        if (open)
            throw PortError(ErrorCode, "USB ports are not available in this build");
    }

    int Baud() const override { return baud_; }
    void SetBaud(int baud) override { baud_ = baud; }
    std::uint16_t DataBits() const override { return dataBits_; }
    void SetDataBits(std::uint16_t bits) override { dataBits_ = bits; }
    std::uint16_t StopBits() const override { return stopBits_; }
    void SetStopBits(std::uint16_t bits) override { stopBits_ = bits; }
    TParity Parity() const override { return parity_; }
    void SetParity(TParity parity) override { parity_ = parity; }

    void SetOnUSBDataAvail(TriggerAvailEvent handler) override { onDataAvail_ = std::move(handler); }
    const TriggerAvailEvent& OnUSBDataAvail() const override { return onDataAvail_; }
    void SetOnTriggerOutbuffUsed(NotifyEvent handler) override { onOutbuffUsed_ = std::move(handler); }
    const NotifyEvent& OnTriggerOutbuffUsed() const override { return onOutbuffUsed_; }
    void SetOnUSBAddLog(AddLogEvent handler) override { onAddLog_ = std::move(handler); }
    const AddLogEvent& OnUSBAddLog() const override { return onAddLog_; }
    void SetOnTransFinish(ProtocolFinishEvent handler) override { onFinish_ = std::move(handler); }
    const ProtocolFinishEvent& OnTransFinish() const override { return onFinish_; }
    void SetOnTransStatus(ProtocolStatusEvent handler) override { onStatus_ = std::move(handler); }
    const ProtocolStatusEvent& OnTransStatus() const override { return onStatus_; }

    void WriteStr(const std::string&) override { }
    char GetRcvChar() override { return 0; }
    std::uint16_t OutBuffUsed() const override { return 0; }
    void FlushOutBuffer() override { }
    void SetOutbuffTrigger(std::uint16_t, bool) override { }

    std::string Filename() const override { return filename_; }
    void SetFilename(const std::string& name) override { filename_ = name; }
    void StartReceive() override { }
    void StartTransmit() override { }
    void CancelProtocol() override { }
    bool InProgress() const override { return false; }
    int BytesTransferred() const override { return 0; }
    int RecordsTransferred() const override { return 0; }

private:
    int baud_ = 19200;
    std::uint16_t dataBits_ = 8;
    std::uint16_t stopBits_ = 1;
    TParity parity_ = TParity::pNone;
    std::string filename_;
    TriggerAvailEvent onDataAvail_;
    NotifyEvent onOutbuffUsed_;
    AddLogEvent onAddLog_;
    ProtocolFinishEvent onFinish_;
    ProtocolStatusEvent onStatus_;
};

} // namespace talvix
