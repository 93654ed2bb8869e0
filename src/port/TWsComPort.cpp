#include "port/TWsComPort.h"

#include <algorithm>
#include <array>

#include "port/PortTick.h"
#include "port/SelectPortDialog.h"

namespace talvix {

namespace {

std::string trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

// Socket errors after which the connection is gone: network reset, aborted, reset, refused.
bool closesConnection(int code)
{
    return code == 10052 || code == 10053 || code == 10054 || code == 10061;
}

} // namespace

TWsComPort::TWsComPort(EventLoop& loop, PortDevices devices)
    : calls_(loop)
    , devices_(std::move(devices))
    , triggerPoll_(loop.createTimer([this] { checkOutputTriggers(); }))
{
    triggerPoll_->setInterval(portTick);
}

TWsComPort::~TWsComPort()
{
    calls_.cancelAll();
    closeDevice();
}

void TWsComPort::SetOpen(bool open)
{
    // A host-name lookup serves the loop inside the open; calls made meanwhile wait for it.
    if (opening_)
        return;
    if (open) {
        if (state_ == State::Closing)
            reopenAfterClose_ = true;
        else if (state_ == State::Closed)
            openDevice();
        return;
    }
    reopenAfterClose_ = false;
    if (state_ == State::Closed)
        return;
    closeDevice();
    raiseWsDisconnect();
}

void TWsComPort::choosePortNumber()
{
    if (!promptForPort_ || !selectPortDialog_)
        throw PortError(-2011, "The ComNumber property of the port has not been set");
    const auto ports = devices_.listComPorts ? devices_.listComPorts() : std::vector<std::uint16_t> {};
    const auto chosen = selectPortDialog_->selectPort(ports);
    if (!chosen || *chosen == 0)
        throw PortError(-2011, "The ComNumber property of the port has not been set");
    comNumber_ = *chosen;
}

void TWsComPort::openDevice()
{
    if (layer_ == TDeviceLayer::dlWin32 && comNumber_ == 0)
        choosePortNumber();
    auto device = devices_.create(*this);
    opening_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done { opening_ };
    device->setEvents({
        .readable = [this] { readInput(); },
        .writable = [this] { writeOutput(); },
        .connected =
            [this] {
                if (layer_ != TDeviceLayer::dlWinsock)
                    return;
                connected_ = true;
                calls_.post([this] {
                    if (onWsConnect_)
                        onWsConnect_();
                });
                writeOutput();
            },
        .error =
            [this](int code) {
                raiseWsError(code);
                if (closesConnection(code))
                    requestClose();
            },
        .lost =
            [this](int code) {
                if (code != 0)
                    raiseWsError(code);
                requestClose();
            },
    });
    device->open();
    device_ = std::move(device);
    state_ = State::Open;
    connected_ = false;
    readingPaused_ = false;
    if (layer_ == TDeviceLayer::dlWin32)
        applyModemLines();
}

void TWsComPort::closeDevice()
{
    if (device_) {
        device_->close();
        device_.reset();
    }
    state_ = State::Closed;
    in_.clear();
    out_.clear();
    unreported_ = 0;
    updateTriggerPolling();
}

void TWsComPort::requestClose()
{
    if (state_ != State::Open)
        return;
    state_ = State::Closing;
    calls_.post([this] { finishRequestedClose(); });
}

void TWsComPort::finishRequestedClose()
{
    if (state_ != State::Closing)
        return;
    closeDevice();
    raiseWsDisconnect();
    if (!reopenAfterClose_)
        return;
    reopenAfterClose_ = false;
    try {
        openDevice();
    } catch (const PortError& e) {
        raiseWsError(e.code());
    }
}

void TWsComPort::raiseWsError(int code)
{
    calls_.post([this, code] {
        if (onWsError_)
            onWsError_(code);
    });
}

void TWsComPort::raiseWsDisconnect()
{
    if (!connected_)
        return;
    connected_ = false;
    calls_.post([this] {
        if (onWsDisconnect_)
            onWsDisconnect_();
    });
}

void TWsComPort::checkAddressChange(const std::string& current, const std::string& wanted) const
{
    if (wanted != current && state_ != State::Closed && layer_ == TDeviceLayer::dlWinsock)
        throw PortError(9006, "Cannot change parameter while socket is connected");
}

void TWsComPort::SetWsAddress(const std::string& address)
{
    const std::string value = trimmed(address);
    checkAddressChange(wsAddress_, value);
    wsAddress_ = value;
}

void TWsComPort::SetWsPort(const std::string& port)
{
    const std::string value = trimmed(port);
    checkAddressChange(wsPort_, value);
    wsPort_ = value;
}

void TWsComPort::applyLineSettings()
{
    if (device_ && layer_ == TDeviceLayer::dlWin32)
        device_->setLineSettings(line_);
}

void TWsComPort::applyModemLines()
{
    if (device_ && layer_ == TDeviceLayer::dlWin32)
        device_->setModemLines(dtr_, rts_);
}

void TWsComPort::SetBaud(int baud)
{
    line_.baud = baud;
    applyLineSettings();
}

void TWsComPort::SetDataBits(std::uint16_t bits)
{
    line_.dataBits = bits;
    applyLineSettings();
}

void TWsComPort::SetStopBits(std::uint16_t bits)
{
    line_.stopBits = bits;
    applyLineSettings();
}

void TWsComPort::SetParity(TParity parity)
{
    line_.parity = parity;
    applyLineSettings();
}

void TWsComPort::SetHWFlowOptions(std::uint8_t options)
{
    hwFlow_ = options;
    line_.hardwareFlow = (options & (hwfUseRTS | hwfRequireCTS)) != 0;
    applyLineSettings();
}

void TWsComPort::SetSWFlowOptions(TSWFlowOptions options)
{
    swFlow_ = options;
    line_.softwareFlow = options != TSWFlowOptions::swfNone;
    applyLineSettings();
}

void TWsComPort::SetDTR(bool on)
{
    dtr_ = on;
    applyModemLines();
}

void TWsComPort::SetRTS(bool on)
{
    rts_ = on;
    applyModemLines();
}

void TWsComPort::Assign(const TWsComPort& source)
{
    SetOpen(false);
    layer_ = source.layer_;
    comNumber_ = source.comNumber_;
    line_ = source.line_;
    hwFlow_ = source.hwFlow_;
    swFlow_ = source.swFlow_;
    inSize_ = source.inSize_;
    outSize_ = source.outSize_;
    autoOpen_ = source.autoOpen_;
    promptForPort_ = source.promptForPort_;
    dtr_ = source.dtr_;
    rts_ = source.rts_;
    triggerLength_ = source.triggerLength_;
    onTriggerAvail_ = source.onTriggerAvail_;
}

void TWsComPort::PutString(const std::string& s)
{
    if (state_ == State::Closed && autoOpen_)
        SetOpen(true);
    if (state_ != State::Open)
        throw PortError(-3004, "The port is not open");
    if (s.size() > OutBuffFree())
        throw PortError(-3006, "Output buffer too small for block");
    out_ += s;
    writeOutput();
}

void TWsComPort::writeOutput()
{
    if (!device_ || out_.empty())
        return;
    const std::size_t written = device_->write(out_);
    out_.erase(0, written);
    checkOutputTriggers();
}

char TWsComPort::GetChar()
{
    if (in_.empty())
        return '\0';
    const char c = in_.front();
    in_.pop_front();
    unreported_ = std::min(unreported_, in_.size());
    if (readingPaused_ && device_) {
        readingPaused_ = false;
        device_->setReading(true);
    }
    return c;
}

void TWsComPort::readInput()
{
    if (!device_)
        return;
    std::array<char, 4096> chunk;
    std::size_t added = 0;
    while (in_.size() < inSize_) {
        const std::size_t room = std::min<std::size_t>(chunk.size(), inSize_ - in_.size());
        const std::size_t n = device_->read(chunk.data(), room);
        in_.insert(in_.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
        added += n;
        if (n < room) // all there was
            break;
    }
    if (in_.size() >= inSize_ && !readingPaused_) {
        readingPaused_ = true;
        device_->setReading(false);
    }
    if (added == 0)
        return;
    unreported_ += added;
    if (protocolTap_)
        protocolTap_();
    // What a transfer engine took at once is no news for anybody else.
    if (!availPosted_ && !in_.empty()) {
        availPosted_ = true;
        calls_.post([this] { deliverTriggerAvail(); });
    }
}

void TWsComPort::deliverTriggerAvail()
{
    availPosted_ = false;
    const std::size_t count = std::min(unreported_, in_.size());
    if (count == 0 || count < triggerLength_)
        return;
    unreported_ = 0;
    if (onTriggerAvail_)
        onTriggerAvail_(static_cast<std::uint16_t>(count));
}

std::uint16_t TWsComPort::OutBuffUsed() const
{
    const std::size_t used = out_.size() + (device_ ? device_->pendingOutput() : 0);
    return static_cast<std::uint16_t>(std::min<std::size_t>(used, 0xFFFF));
}

std::uint16_t TWsComPort::OutBuffFree() const
{
    const std::uint16_t used = OutBuffUsed();
    return used >= outSize_ ? 0 : static_cast<std::uint16_t>(outSize_ - used);
}

void TWsComPort::FlushInBuffer()
{
    in_.clear();
    unreported_ = 0;
    if (readingPaused_ && device_) {
        readingPaused_ = false;
        device_->setReading(true);
    }
}

void TWsComPort::FlushOutBuffer()
{
    out_.clear();
    if (device_)
        device_->discardOutput();
    checkOutputTriggers();
}

void TWsComPort::RemoveAllTriggers()
{
    triggers_.clear();
    updateTriggerPolling();
}

std::uint16_t TWsComPort::AddStatusTrigger(std::uint16_t SType)
{
    if (SType != outputTriggerType)
        return 0;
    const std::uint16_t handle = nextTriggerHandle_++;
    triggers_.push_back({ handle, 0, false });
    return handle;
}

void TWsComPort::SetStatusTrigger(std::uint16_t Handle, std::uint16_t Value, bool Activate)
{
    for (OutputTrigger& t : triggers_) {
        if (t.handle == Handle) {
            t.value = Value;
            t.armed = Activate;
        }
    }
    checkOutputTriggers();
}

void TWsComPort::checkOutputTriggers()
{
    if (std::none_of(triggers_.begin(), triggers_.end(), [](const auto& t) { return t.armed; })) {
        triggerPoll_->stop();
        return;
    }
    const std::uint16_t used = OutBuffUsed();
    for (OutputTrigger& t : triggers_) {
        if (t.armed && used <= t.value) {
            t.armed = false;
            calls_.post([this] {
                if (onTriggerOutbuffUsed_)
                    onTriggerOutbuffUsed_();
            });
        }
    }
    updateTriggerPolling();
}

// Bytes inside the device drain without telling anyone, so an armed trigger looks every tick.
void TWsComPort::updateTriggerPolling()
{
    const bool anyArmed = std::any_of(triggers_.begin(), triggers_.end(), [](const auto& t) { return t.armed; });
    triggerPoll_->setEnabled(anyArmed);
}

} // namespace talvix
