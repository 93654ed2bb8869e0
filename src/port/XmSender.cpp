// Sending: wait for the receiver's "C" or NAK, then send the file block by block, each until it
// is acknowledged, and end with EOT. The file is read one block at a time.
//
// A block is resent on NAK or any wrong byte (counted) and on silence (not counted: a silent
// receiver is for the station's own time-out to end). Whatever else had arrived with a wrong
// answer is dropped, so that one burst of noise counts once.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "port/FileMask.h"
#include "port/XmTransfer.h"

namespace talvix {

using namespace xmodem;

namespace {
constexpr int maxErrors = 5;
constexpr int maxDrainTicks = 1092;
constexpr int eotNaksToGiveUp = 3;
constexpr std::size_t framingBytes = 5; // header, number, complement, two check bytes
} // namespace

TXmProtocol::Sender::~Sender()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void TXmProtocol::Sender::begin()
{
    const MaskMatch file = firstFileMatching(engine().fileMask_);
    if (file.error != 0) {
        end(file.error);
        return;
    }
    fd_ = ::open(file.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        end(-errno);
        return;
    }
    phase_ = Phase::Handshake;
    waitTicks(engine().handshakeWait_);
}

void TXmProtocol::Sender::onByte(char c)
{
    switch (phase_) {
    case Phase::Handshake:
        if (c == 'C' || c == NAK) {
            setCheck(c == 'C' ? BlockCheck::Crc16 : BlockCheck::Checksum);
            nextBlock();
        } else if (c == CAN) {
            end(-6005);
        } else {
            nextAttempt();
        }
        return;
    case Phase::WaitRoom:
        return;
    case Phase::Drain:
    case Phase::Reply:
        if (c == ACK) {
            engine().bytes_ += static_cast<int>(blockData_);
            errors_ = 0;
            ++number_;
            nextBlock();
        } else if (c == CAN) {
            end(-6005);
        } else {
            ++errors_;
            port().FlushInBuffer();
            sendBlock();
        }
        return;
    case Phase::Eot:
        if (c == ACK) {
            end(0);
        } else if (c == NAK ? ++eotNaks_ >= eotNaksToGiveUp : ++errors_ > maxErrors) {
            failWithTooManyErrors();
        } else {
            sendEot(engine().blockWait_);
        }
        return;
    }
}

void TXmProtocol::Sender::onWaitOver()
{
    switch (phase_) {
    case Phase::Handshake:
        nextAttempt();
        return;
    case Phase::WaitRoom:
        if (++waited_ >= engine().transmitTimeout_ && !hasRoom())
            end(-6006);
        else
            sendBlock();
        return;
    case Phase::Drain:
        if (++waited_ >= maxDrainTicks)
            end(-6006);
        else
            checkDrained();
        return;
    case Phase::Reply:
        sendBlock();
        return;
    case Phase::Eot:
        sendEot(engine().blockWait_);
        return;
    }
}

void TXmProtocol::Sender::nextAttempt()
{
    if (++attempts_ >= engine().handshakeRetry_)
        end(-6006);
    else
        waitTicks(engine().handshakeWait_);
}

void TXmProtocol::Sender::nextBlock()
{
    char data[shortBlockData];
    std::size_t filled = 0;
    while (filled < sizeof data) {
        const ssize_t n = ::read(fd_, data + filled, sizeof data - filled);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            sendCancel();
            end(-errno);
            return;
        }
        if (n == 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    if (filled == 0) {
        port().FlushInBuffer();
        sendEot(engine().transmitTimeout_);
        return;
    }
    block_ = makeBlock(number_, std::string_view(data, filled), check());
    blockData_ = filled;
    sendBlock();
}

void TXmProtocol::Sender::sendBlock()
{
    if (errors_ > maxErrors) {
        failWithTooManyErrors();
        return;
    }
    if (!hasRoom()) {
        if (phase_ != Phase::WaitRoom) {
            phase_ = Phase::WaitRoom;
            waited_ = 0;
        }
        waitTicks(1);
        return;
    }
    send(block_);
    phase_ = Phase::Drain;
    waited_ = 0;
    waitTicks(1);
}

// Room for the data and its framing bytes.
bool TXmProtocol::Sender::hasRoom() const
{
    return port().OutBuffFree() >= blockData(block_).size() + framingBytes;
}

// The wait for the reply starts once the block has left the output buffer.
void TXmProtocol::Sender::checkDrained()
{
    if (port().OutBuffUsed() == 0) {
        phase_ = Phase::Reply;
        waitTicks(engine().blockWait_);
    } else {
        waitTicks(1);
    }
}

void TXmProtocol::Sender::sendEot(int wait)
{
    phase_ = Phase::Eot;
    send(EOT);
    waitTicks(wait);
}

void TXmProtocol::Sender::failWithTooManyErrors()
{
    sendCancel();
    end(-6008);
}

} // namespace talvix
