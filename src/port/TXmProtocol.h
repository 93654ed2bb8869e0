#pragma once
// The XModem engine (`Protocol`) of a serial/network port: XModem with 128-byte blocks, asking
// for CRC-16 and falling back to the checksum, one file at a time in either direction.
//
// It is passive and push-driven: the port calls it at once for every arrival (it then takes all
// waiting bytes itself), and one timer ticking every 55 ms while a transfer runs counts down its
// waits and status interval; nothing blocks.
// The file is streamed block by block, never held whole. Status and finish events are posted
// to the loop in order (the last status before the one finish); InProgress turns false just
// before OnProtocolFinish runs, so its handler may start the next transfer.

#include <cstdint>
#include <memory>
#include <string>

#include "port/DeferredCalls.h"
#include "port/ProtocolBackend.h"
#include "port/XmBlock.h"

namespace talvix {

class TWsComPort;

class TXmProtocol final : public ProtocolBackend {
public:
    // Options of OnProtocolStatus.
    static constexpr std::uint16_t firstCall = 1;
    static constexpr std::uint16_t lastCall = 2;

    explicit TXmProtocol(TWsComPort& port);
    ~TXmProtocol() override;
    TXmProtocol(const TXmProtocol&) = delete;
    TXmProtocol& operator=(const TXmProtocol&) = delete;

    // Opened exactly as given: nothing is upper-cased on a case-sensitive file system.
    std::string FileName() const override { return fileName_; }
    void SetFileName(const std::string& name) override { fileName_ = name; }
    std::string FileMask() const override { return fileMask_; }
    void SetFileMask(const std::string& mask) override { fileMask_ = mask; }
    TProtocolType ProtocolType() const override { return type_; }
    // ptXmodemCRC starts in CRC mode, ptXmodem in checksum mode; others are not carried.
    void SetProtocolType(TProtocolType type) override;

    // Waits in ticks.
    int HandshakeWait() const { return handshakeWait_; }
    void SetHandshakeWait(int ticks) { handshakeWait_ = ticks; }
    int HandshakeRetry() const { return handshakeRetry_; }
    void SetHandshakeRetry(int attempts) { handshakeRetry_ = attempts; }
    int XYmodemBlockWait() const { return blockWait_; }
    void SetXYmodemBlockWait(int ticks) { blockWait_ = ticks; }
    int TransmitTimeout() const { return transmitTimeout_; }
    void SetTransmitTimeout(int ticks) { transmitTimeout_ = ticks; }
    int StatusInterval() const { return statusInterval_; }
    void SetStatusInterval(int ticks) { statusInterval_ = ticks; }
    // The check in use: CRC-16 until a receive falls back to the checksum.
    xmodem::BlockCheck BlockCheckMethod() const { return check_; }

    void StartReceive() override;
    void StartTransmit() override;
    void CancelProtocol() override;
    bool InProgress() const override { return inProgress_; }
    int BytesTransferred() const override { return bytes_; }
    int RecordsTransferred() const override { return records_; }

    void SetOnProtocolFinish(ProtocolFinishEvent handler) override { onFinish_ = std::move(handler); }
    const ProtocolFinishEvent& OnProtocolFinish() const override { return onFinish_; }
    void SetOnProtocolStatus(ProtocolStatusEvent handler) override { onStatus_ = std::move(handler); }
    const ProtocolStatusEvent& OnProtocolStatus() const override { return onStatus_; }

private:
    class Transfer;
    class Receiver;
    class Sender;

    void start(std::unique_ptr<Transfer> transfer);
    void sendCancelSequence();
    void finish(int code);
    void postStatus(std::uint16_t options);
    void onBytesArrived();
    void onTick();
    template <typename Step> void guarded(Step step);

    TWsComPort& port_;
    DeferredCalls calls_;
    std::unique_ptr<Timer> tickTimer_;
    int ticksToWait_ = 0; // 0: no wait running
    int ticksToStatus_ = 0;
    std::unique_ptr<Transfer> transfer_;
    std::unique_ptr<Transfer> retired_; // ended during the current step, destroyed after it

    std::string fileName_;
    std::string fileMask_ = "*.*";
    TProtocolType type_ = TProtocolType::ptXmodemCRC;
    xmodem::BlockCheck check_ = xmodem::BlockCheck::Crc16;
    int handshakeWait_ = 18;
    int handshakeRetry_ = 10;
    int blockWait_ = 220;
    int transmitTimeout_ = 10;
    int statusInterval_ = 10;

    bool inProgress_ = false;
    int bytes_ = 0;
    int records_ = 0;
    ProtocolFinishEvent onFinish_;
    ProtocolStatusEvent onStatus_;
};

} // namespace talvix
