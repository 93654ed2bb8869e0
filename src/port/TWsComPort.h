#pragma once
// The serial/network port component (`ComPort`): a buffered, event-driven byte port over one
// ByteDevice, made at Open for the current DeviceLayer (a serial line or a TCP client).
//
// Invariants: every event is posted to the loop (handlers run one at a time, never inside a
// port call, and may call any port operation); PutString queues all bytes or none; the input
// buffer never holds more than InSize bytes (the device keeps the rest until there is room);
// OnTriggerAvail reports each byte once, and never more than are waiting. A close the port asks
// for itself (connection lost) completes on a later turn of the loop; Open := true meanwhile is
// carried out after it.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/EventLoop.h"
#include "port/ByteDevice.h"
#include "port/ComPortBackend.h"
#include "port/DeferredCalls.h"

namespace talvix {

class SelectPortDialog;
class TWsComPort;

enum THWFlowOption : std::uint8_t { hwfUseDTR = 1, hwfUseRTS = 2, hwfRequireDSR = 4, hwfRequireCTS = 8 };
enum class TSWFlowOptions : std::uint8_t { swfNone, swfReceive, swfTransmit, swfBoth };
enum class TWsMode : std::uint8_t { wsClient, wsServer };

// The devices a port can open.
struct PortDevices {
    // The device for the port's current layer and settings, not yet open; throws PortError.
    std::function<std::unique_ptr<ByteDevice>(const TWsComPort&)> create;
    // The COM port numbers that the "Select Port" list offers.
    std::function<std::vector<std::uint16_t>()> listComPorts;
};

class TWsComPort final : public ComPortBackend {
public:
    static constexpr std::uint16_t outputTriggerType = 4;

    TWsComPort(EventLoop& loop, PortDevices devices);
    ~TWsComPort() override;
    TWsComPort(const TWsComPort&) = delete;
    TWsComPort& operator=(const TWsComPort&) = delete;

    bool Open() const override { return state_ != State::Closed; }
    void SetOpen(bool open) override;

    TDeviceLayer DeviceLayer() const override { return layer_; }
    void SetDeviceLayer(TDeviceLayer layer) override { layer_ = layer; }
    std::uint16_t ComNumber() const override { return comNumber_; }
    void SetComNumber(std::uint16_t number) override { comNumber_ = number; }
    std::string WsAddress() const override { return wsAddress_; }
    void SetWsAddress(const std::string& address) override;
    std::string WsPort() const override { return wsPort_; }
    void SetWsPort(const std::string& port) override;
    // Stored only: the stream always carries raw bytes.
    bool WsTelnet() const override { return wsTelnet_; }
    void SetWsTelnet(bool telnet) override { wsTelnet_ = telnet; }
    TWsMode WsMode() const { return TWsMode::wsClient; }

    int Baud() const override { return line_.baud; }
    void SetBaud(int baud) override;
    std::uint16_t DataBits() const override { return line_.dataBits; }
    void SetDataBits(std::uint16_t bits) override;
    std::uint16_t StopBits() const override { return line_.stopBits; }
    void SetStopBits(std::uint16_t bits) override;
    TParity Parity() const override { return line_.parity; }
    void SetParity(TParity parity) override;
    bool DTR() const override { return dtr_; }
    void SetDTR(bool on) override;
    bool RTS() const override { return rts_; }
    void SetRTS(bool on) override;
    std::uint8_t HWFlowOptions() const { return hwFlow_; }
    void SetHWFlowOptions(std::uint8_t options);
    TSWFlowOptions SWFlowOptions() const { return swFlow_; }
    void SetSWFlowOptions(TSWFlowOptions options);
    const LineSettings& lineSettings() const { return line_; }

    std::uint16_t InSize() const { return inSize_; }
    void SetInSize(std::uint16_t size) { inSize_ = size ? size : 1; }
    std::uint16_t OutSize() const { return outSize_; }
    void SetOutSize(std::uint16_t size) { outSize_ = size; }
    std::uint16_t TriggerLength() const { return triggerLength_; }
    void SetTriggerLength(std::uint16_t length) { triggerLength_ = length ? length : 1; }
    bool PromptForPort() const { return promptForPort_; }
    void SetPromptForPort(bool prompt) { promptForPort_ = prompt; }
    // With AutoOpen, PutString on a closed port opens it.
    bool AutoOpen() const { return autoOpen_; }
    void SetAutoOpen(bool autoOpen) { autoOpen_ = autoOpen; }
    void setSelectPortDialog(SelectPortDialog* dialog) { selectPortDialog_ = dialog; }

    // Copies the settings a port dialog edits, the line and buffer settings and OnTriggerAvail;
    // not the network events, OnTriggerOutbuffUsed, WsAddress, WsPort or WsTelnet. Leaves this
    // port closed.
    void Assign(const TWsComPort& source);

    void SetOnTriggerAvail(TriggerAvailEvent handler) override { onTriggerAvail_ = std::move(handler); }
    const TriggerAvailEvent& OnTriggerAvail() const override { return onTriggerAvail_; }
    void SetOnWsConnect(NotifyEvent handler) override { onWsConnect_ = std::move(handler); }
    const NotifyEvent& OnWsConnect() const override { return onWsConnect_; }
    void SetOnWsDisconnect(NotifyEvent handler) override { onWsDisconnect_ = std::move(handler); }
    const NotifyEvent& OnWsDisconnect() const override { return onWsDisconnect_; }
    void SetOnWsError(WsErrorEvent handler) override { onWsError_ = std::move(handler); }
    const WsErrorEvent& OnWsError() const override { return onWsError_; }
    void SetOnTriggerOutbuffUsed(NotifyEvent handler) override { onTriggerOutbuffUsed_ = std::move(handler); }
    const NotifyEvent& OnTriggerOutbuffUsed() const override { return onTriggerOutbuffUsed_; }

    void PutString(const std::string& s) override;
    // Character 0 when nothing is waiting.
    char GetChar() override;
    std::uint16_t OutBuffUsed() const override;
    std::uint16_t OutBuffFree() const;
    std::uint16_t InBuffUsed() const { return static_cast<std::uint16_t>(in_.size()); }
    void FlushInBuffer() override;
    void FlushOutBuffer() override;
    void RemoveAllTriggers() override;
    // Only type 4 (output buffer used) exists; any other type gives handle 0 and no trigger.
    std::uint16_t AddStatusTrigger(std::uint16_t SType) override;
    void SetStatusTrigger(std::uint16_t Handle, std::uint16_t Value, bool Activate) override;

    // For the transfer engine bound to this port: called at once (not posted) whenever bytes
    // have been added to the input buffer, before OnTriggerAvail is delivered.
    void setProtocolTap(std::function<void()> onBytesArrived) { protocolTap_ = std::move(onBytesArrived); }
    EventLoop& loop() const { return calls_.loop(); }

private:
    enum class State { Closed, Open, Closing };
    struct OutputTrigger {
        std::uint16_t handle;
        std::uint16_t value;
        bool armed;
    };

    void openDevice();
    void choosePortNumber();
    void closeDevice();
    void requestClose();
    void finishRequestedClose();
    void readInput();
    void writeOutput();
    void checkOutputTriggers();
    void updateTriggerPolling();
    void deliverTriggerAvail();
    void raiseWsError(int code);
    void raiseWsDisconnect();
    void applyLineSettings();
    void applyModemLines();
    void checkAddressChange(const std::string& current, const std::string& wanted) const;

    DeferredCalls calls_;
    PortDevices devices_;
    std::unique_ptr<ByteDevice> device_;
    State state_ = State::Closed;
    bool connected_ = false;
    bool reopenAfterClose_ = false;
    bool opening_ = false;

    TDeviceLayer layer_ = TDeviceLayer::dlWin32;
    std::uint16_t comNumber_ = 0;
    std::string wsAddress_;
    std::string wsPort_ = "telnet";
    bool wsTelnet_ = true;
    LineSettings line_;
    bool dtr_ = true;
    bool rts_ = true;
    std::uint8_t hwFlow_ = 0;
    TSWFlowOptions swFlow_ = TSWFlowOptions::swfNone;
    std::uint16_t inSize_ = 4096;
    std::uint16_t outSize_ = 4096;
    std::uint16_t triggerLength_ = 1;
    bool promptForPort_ = true;
    bool autoOpen_ = false;
    SelectPortDialog* selectPortDialog_ = nullptr;

    std::deque<char> in_;
    std::string out_;
    std::size_t unreported_ = 0;
    bool availPosted_ = false;
    bool readingPaused_ = false;
    std::vector<OutputTrigger> triggers_;
    std::uint16_t nextTriggerHandle_ = 1;
    std::unique_ptr<Timer> triggerPoll_;

    TriggerAvailEvent onTriggerAvail_;
    NotifyEvent onWsConnect_;
    NotifyEvent onWsDisconnect_;
    WsErrorEvent onWsError_;
    NotifyEvent onTriggerOutbuffUsed_;
    std::function<void()> protocolTap_;
};

} // namespace talvix
