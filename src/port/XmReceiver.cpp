// Receiving: ask with "C" (NAK after four unanswered, in checksum mode), then take blocks until
// EOT. Bytes that start no block are line noise and skipped; only a third CAN in a row stops.
//
// An EOT is acknowledged once the line has stayed quiet for a moment after it: a dropped SOH
// would otherwise let a block numbered 4 pass for an EOT and end a cut-short file as a success.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "port/XmTransfer.h"

namespace talvix {

using namespace xmodem;

namespace {
constexpr int eotQuietTicks = 2;
constexpr int unansweredCrcHandshakes = 4;
constexpr int maxErrors = 5;
} // namespace

TXmProtocol::Receiver::~Receiver()
{
    closeFile();
}

void TXmProtocol::Receiver::closeFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void TXmProtocol::Receiver::begin()
{
    if (engine().fileName_.empty()) {
        end(-6010);
        return;
    }
    fd_ = ::open(engine().fileName_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        end(-errno);
        return;
    }
    phase_ = Phase::Handshake;
    answer(check() == BlockCheck::Crc16 ? 'C' : NAK, engine().handshakeWait_);
}

void TXmProtocol::Receiver::onWaitOver()
{
    ++errors_;
    switch (phase_) {
    case Phase::Handshake:
        if (check() == BlockCheck::Crc16 && errors_ == unansweredCrcHandshakes) {
            setCheck(BlockCheck::Checksum);
            errors_ = 0;
            lastAnswer_ = NAK;
        }
        break;
    case Phase::BlockStart:
        break;
    case Phase::InBlock:
        lastAnswer_ = NAK;
        startWait_ = engine().blockWait_;
        phase_ = Phase::BlockStart;
        break;
    case Phase::EotQuiet:
        send(ACK);
        closeFile();
        end(0);
        return;
    }
    if (errors_ > maxErrors) {
        sendCancel();
        end(-6008);
        return;
    }
    answer(lastAnswer_, startWait_);
}

void TXmProtocol::Receiver::answer(char c, int wait)
{
    lastAnswer_ = c;
    startWait_ = wait;
    send(c);
    waitTicks(wait);
}

void TXmProtocol::Receiver::onByte(char c)
{
    switch (phase_) {
    case Phase::Handshake:
    case Phase::BlockStart:
        atBlockStart(c);
        return;
    case Phase::InBlock:
        block_ += c;
        if (block_.size() == need_)
            judge();
        return;
    case Phase::EotQuiet:
        // More bytes: that was no EOT but a damaged block; look for the next block start.
        phase_ = beforeEot_;
        waitTicks(startWait_);
        atBlockStart(c);
        return;
    }
}

void TXmProtocol::Receiver::atBlockStart(char c)
{
    if (c == CAN) {
        if (++cans_ == 3) {
            sendCancel();
            end(-6005);
        }
        return;
    }
    cans_ = 0;
    if (c == SOH || c == STX) {
        block_.assign(1, c);
        need_ = blockLength(c, check());
        phase_ = Phase::InBlock;
        waitTicks(engine().blockWait_);
    } else if (c == EOT) {
        beforeEot_ = phase_;
        phase_ = Phase::EotQuiet;
        waitTicks(eotQuietTicks);
    }
}

void TXmProtocol::Receiver::judge()
{
    phase_ = Phase::BlockStart;
    switch (judgeBlock(block_, expected_, check())) {
    case BlockVerdict::SequenceError:
        sendCancel();
        end(-6009);
        return;
    case BlockVerdict::BadCheck:
        port().FlushInBuffer();
        ++errors_;
        answer(NAK, engine().handshakeWait_);
        return;
    case BlockVerdict::Repeat:
        answer(ACK, engine().blockWait_);
        return;
    case BlockVerdict::Accept: {
        answer(ACK, engine().blockWait_);
        const std::string_view data = blockData(block_);
        if (!store(data))
            return;
        engine().bytes_ += static_cast<int>(data.size());
        engine().records_ += static_cast<int>(std::count(data.begin(), data.end(), '\r'));
        errors_ = 0;
        ++expected_;
        return;
    }
    }
}

bool TXmProtocol::Receiver::store(std::string_view data)
{
    const ssize_t written = ::write(fd_, data.data(), data.size());
    if (written == static_cast<ssize_t>(data.size()))
        return true;
    const int code = written < 0 ? -errno : -101;
    sendCancel();
    end(code);
    return false;
}

} // namespace talvix
