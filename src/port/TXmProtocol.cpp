#include "port/TXmProtocol.h"

#include "port/PortTick.h"
#include "port/TWsComPort.h"
#include "port/XmTransfer.h"

namespace talvix {

TXmProtocol::TXmProtocol(TWsComPort& port)
    : port_(port)
    , calls_(port.loop())
    , tickTimer_(port.loop().createTimer([this] { onTick(); }))
{
    tickTimer_->setInterval(portTick);
    port_.setProtocolTap([this] { onBytesArrived(); });
}

TXmProtocol::~TXmProtocol()
{
    port_.setProtocolTap({});
}

void TXmProtocol::SetProtocolType(TProtocolType type)
{
    if (type == type_)
        return;
    type_ = type;
    if (!transfer_)
        check_ = type == TProtocolType::ptXmodem ? xmodem::BlockCheck::Checksum : xmodem::BlockCheck::Crc16;
}

void TXmProtocol::StartReceive()
{
    if (!inProgress_ && type_ != TProtocolType::ptNoProtocol)
        start(std::make_unique<Receiver>(*this));
}

void TXmProtocol::StartTransmit()
{
    if (!inProgress_ && type_ != TProtocolType::ptNoProtocol)
        start(std::make_unique<Sender>(*this));
}

void TXmProtocol::start(std::unique_ptr<Transfer> transfer)
{
    inProgress_ = true;
    bytes_ = 0;
    records_ = 0;
    check_ = type_ == TProtocolType::ptXmodem ? xmodem::BlockCheck::Checksum : xmodem::BlockCheck::Crc16;
    transfer_ = std::move(transfer);
    postStatus(firstCall);
    ticksToWait_ = 0;
    ticksToStatus_ = statusInterval_;
    tickTimer_->start();
    guarded([this] {
        if (type_ != TProtocolType::ptXmodem && type_ != TProtocolType::ptXmodemCRC)
            finish(-6016);
        else
            transfer_->begin();
    });
}

void TXmProtocol::CancelProtocol()
{
    guarded([this] {
        if (!transfer_)
            return;
        sendCancelSequence();
        finish(-6005);
    });
}

// What was still queued is of no use to a peer that is told to stop.
void TXmProtocol::sendCancelSequence()
{
    port_.FlushOutBuffer();
    port_.PutString(std::string(xmodem::cancelSequence));
}

void TXmProtocol::finish(int code)
{
    tickTimer_->stop();
    retired_ = std::move(transfer_);
    postStatus(lastCall);
    calls_.post([this, code] {
        inProgress_ = false;
        if (onFinish_)
            onFinish_(code);
    });
}

void TXmProtocol::postStatus(std::uint16_t options)
{
    calls_.post([this, options] {
        if (onStatus_)
            onStatus_(options);
    });
}

// A port that fails under a running transfer (closed, its line gone) ends it as a lost carrier.
template <typename Step> void TXmProtocol::guarded(Step step)
{
    try {
        step();
    } catch (const PortError&) {
        if (transfer_)
            finish(-6014);
    }
    retired_.reset();
}

void TXmProtocol::onBytesArrived()
{
    guarded([this] {
        while (transfer_ && port_.InBuffUsed() > 0)
            transfer_->onByte(port_.GetChar());
    });
}

// One clock for all waits, as a tick counter: a wait of n ticks started between two ticks ends
// on the n-th tick after it. No timer is restarted for each block.
void TXmProtocol::onTick()
{
    if (statusInterval_ > 0 && --ticksToStatus_ <= 0) {
        ticksToStatus_ = statusInterval_;
        postStatus(0);
    }
    if (ticksToWait_ > 0 && --ticksToWait_ == 0) {
        guarded([this] {
            if (transfer_)
                transfer_->onWaitOver();
        });
    }
}

} // namespace talvix
