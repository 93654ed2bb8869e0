#pragma once
// The terminal's XModem sender: a passive engine. It is created with the whole file, waits for
// the receiver's handshake ("C" asks for CRC-16, NAK for the checksum), sends 128-byte blocks and
// EOT, and is driven only by the bytes handed to onBytes() and by its one reply timer.
//
// Rules kept: a block is sent again on NAK or when no reply comes within replyWait, and the
// transfer is given up (CAN CAN CAN) after more than maxErrors such repeats of one block or EOT;
// a "C" or NAK while block 1 waits is a receiver that missed it and counts the same way; two CAN
// in a row cancel at any point, also while stalled; any other byte is line noise and is ignored.
// An empty file sends EOT only. Once finished, the sender ignores everything.
//
// Faults (TransferFaults): after stallAfterBlocks acknowledged blocks the sender falls silent
// (it still hears CAN); after dropAfterBlocks it finishes with Dropped, so that the terminal can
// drop its connection. 0 strikes right after the handshake, before the first block.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/EventLoop.h"
#include "sim/SimTerminalConfig.h"
#include "sim/XModemBlocks.h"

namespace talvix::sim {

enum class TransferResult { Completed, Cancelled, TooManyErrors, NoHandshake, Refused, Dropped };

const char* toString(TransferResult result);

class XModemSender {
public:
    using SendFn = std::function<void(std::string bytes)>;
    using FinishFn = std::function<void(TransferResult result)>;

    // The usual XModem sender's limits.
    static constexpr Millis handshakeWait { 60000 };
    static constexpr Millis replyWait { 10000 };
    static constexpr int maxErrors = 10;

    // Without a file the sender refuses: it answers the receiver's handshake with CAN CAN CAN.
    XModemSender(EventLoop& loop, std::optional<std::string> file, TransferFaults faults, SendFn send, FinishFn finish);
    ~XModemSender();
    XModemSender(const XModemSender&) = delete;
    XModemSender& operator=(const XModemSender&) = delete;

    void onBytes(std::string_view bytes);
    bool running() const { return state_ != State::Finished; }
    // Data blocks acknowledged so far.
    std::size_t blocksAcknowledged() const { return acknowledged_; }

private:
    enum class State { Handshake, BlockReply, EotReply, Stalled, Finished };

    void onByte(char byte);
    void onAck();
    void onRepeatRequest();
    // Applies the fault due at this point of the transfer; true when one was.
    bool faultDue();
    void sendCurrent();
    void finish(TransferResult result, bool sendCancel);

    std::optional<std::string> file_;
    TransferFaults faults_;
    SendFn send_;
    FinishFn finish_;
    std::unique_ptr<Timer> replyTimer_;

    State state_ = State::Handshake;
    xmodem::BlockCheck check_ = xmodem::BlockCheck::Crc16;
    std::size_t blocks_ = 0;
    std::size_t current_ = 0; // index of the block in flight
    std::size_t acknowledged_ = 0;
    int errors_ = 0;
    bool lastWasCan_ = false;
};

} // namespace talvix::sim
