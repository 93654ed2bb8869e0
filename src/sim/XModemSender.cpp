#include "sim/XModemSender.h"

namespace talvix::sim {

using namespace xmodem;

const char* toString(TransferResult result)
{
    switch (result) {
    case TransferResult::Completed:
        return "completed";
    case TransferResult::Cancelled:
        return "cancelled by the receiver";
    case TransferResult::TooManyErrors:
        return "given up after too many errors";
    case TransferResult::NoHandshake:
        return "no handshake from the receiver";
    case TransferResult::Refused:
        return "refused";
    case TransferResult::Dropped:
        return "connection dropped";
    }
    return "?";
}

XModemSender::XModemSender(
    EventLoop& loop, std::optional<std::string> file, TransferFaults faults, SendFn send, FinishFn finish)
    : file_(std::move(file))
    , faults_(faults)
    , send_(std::move(send))
    , finish_(std::move(finish))
    , replyTimer_(loop.createTimer([this] {
        if (state_ == State::Handshake)
            this->finish(TransferResult::NoHandshake, false);
        else
            onRepeatRequest();
    }))
{
    blocks_ = file_ ? blockCount(file_->size()) : 0;
    replyTimer_->setSingleShot(true);
    replyTimer_->setInterval(handshakeWait);
    replyTimer_->start();
}

XModemSender::~XModemSender() = default;

void XModemSender::onBytes(std::string_view bytes)
{
    for (char byte : bytes)
        if (running())
            onByte(byte);
}

void XModemSender::onByte(char byte)
{
    const bool cancelled = byte == CAN && lastWasCan_;
    lastWasCan_ = byte == CAN;
    if (cancelled) {
        finish(TransferResult::Cancelled, false);
        return;
    }
    switch (state_) {
    case State::Handshake:
        if (byte != CRC_REQUEST && byte != NAK)
            return;
        if (!file_) {
            finish(TransferResult::Refused, true);
            return;
        }
        check_ = byte == CRC_REQUEST ? BlockCheck::Crc16 : BlockCheck::Checksum;
        state_ = blocks_ == 0 ? State::EotReply : State::BlockReply;
        if (!faultDue())
            sendCurrent();
        return;
    case State::BlockReply:
    case State::EotReply:
        if (byte == ACK)
            onAck();
        else if (byte == NAK || (byte == CRC_REQUEST && state_ == State::BlockReply && current_ == 0))
            onRepeatRequest();
        return;
    case State::Stalled:
    case State::Finished:
        return;
    }
}

void XModemSender::onAck()
{
    if (state_ == State::EotReply) {
        finish(TransferResult::Completed, false);
        return;
    }
    ++acknowledged_;
    errors_ = 0;
    ++current_;
    if (current_ == blocks_)
        state_ = State::EotReply;
    if (!faultDue())
        sendCurrent();
}

bool XModemSender::faultDue()
{
    const auto reached
        = [this](int blocks) { return blocks >= 0 && acknowledged_ >= static_cast<std::size_t>(blocks); };
    if (reached(faults_.dropAfterBlocks)) {
        finish(TransferResult::Dropped, false);
        return true;
    }
    if (reached(faults_.stallAfterBlocks)) {
        state_ = State::Stalled;
        replyTimer_->stop();
        return true;
    }
    return false;
}

void XModemSender::onRepeatRequest()
{
    if (++errors_ > maxErrors) {
        finish(TransferResult::TooManyErrors, true);
        return;
    }
    sendCurrent();
}

void XModemSender::sendCurrent()
{
    send_(state_ == State::EotReply ? std::string(1, EOT) : frameBlock(*file_, current_, check_));
    replyTimer_->setInterval(replyWait);
    replyTimer_->start();
}

void XModemSender::finish(TransferResult result, bool sendCancel)
{
    state_ = State::Finished;
    replyTimer_->stop();
    if (sendCancel)
        send_(std::string(3, CAN));
    if (finish_)
        finish_(result);
}

} // namespace talvix::sim
