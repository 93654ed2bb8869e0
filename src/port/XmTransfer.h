#pragma once
// Inside TXmProtocol: one running transfer, receiving or sending. The engine feeds it every
// received byte and tells it when its wait is over; it answers through the helpers below. A
// transfer that calls end() must return at once: the engine retires it after the current step.

#include <string_view>

#include "port/TWsComPort.h"
#include "port/TXmProtocol.h"

namespace talvix {

class TXmProtocol::Transfer {
public:
    explicit Transfer(TXmProtocol& engine)
        : engine_(engine)
    { }
    virtual ~Transfer() = default;
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    virtual void begin() = 0;
    virtual void onByte(char c) = 0;
    virtual void onWaitOver() = 0;

protected:
    TWsComPort& port() const { return engine_.port_; }
    TXmProtocol& engine() const { return engine_; }
    xmodem::BlockCheck check() const { return engine_.check_; }
    void setCheck(xmodem::BlockCheck check) { engine_.check_ = check; }

    void send(std::string_view bytes) { engine_.port_.PutString(std::string(bytes)); }
    void send(char c) { engine_.port_.PutString(std::string(1, c)); }
    void sendCancel() { engine_.sendCancelSequence(); }
    // Replaces the wait running, if any.
    void waitTicks(int count) { engine_.ticksToWait_ = count; }
    void end(int code) { engine_.finish(code); }

private:
    TXmProtocol& engine_;
};

class TXmProtocol::Receiver final : public Transfer {
public:
    using Transfer::Transfer;
    ~Receiver() override;
    void begin() override;
    void onByte(char c) override;
    void onWaitOver() override;

private:
    enum class Phase { Handshake, BlockStart, InBlock, EotQuiet };

    void atBlockStart(char c);
    void judge();
    void answer(char c, int waitTicks);
    bool store(std::string_view data);
    void closeFile();

    int fd_ = -1;
    Phase phase_ = Phase::Handshake;
    Phase beforeEot_ = Phase::Handshake;
    int errors_ = 0;
    int cans_ = 0;
    char lastAnswer_ = 'C';
    int startWait_ = 0; // ticks of the current wait for a block start
    std::string block_;
    std::size_t need_ = 0;
    std::uint8_t expected_ = 1;
};

class TXmProtocol::Sender final : public Transfer {
public:
    using Transfer::Transfer;
    ~Sender() override;
    void begin() override;
    void onByte(char c) override;
    void onWaitOver() override;

private:
    enum class Phase { Handshake, WaitRoom, Drain, Reply, Eot };

    void nextAttempt();
    void nextBlock();
    void sendBlock();
    bool hasRoom() const;
    void checkDrained();
    void sendEot(int waitTicks);
    void failWithTooManyErrors();

    int fd_ = -1;
    Phase phase_ = Phase::Handshake;
    int attempts_ = 0;
    int errors_ = 0;
    int eotNaks_ = 0;
    int waited_ = 0;
    std::string block_;
    std::size_t blockData_ = 0;
    std::uint8_t number_ = 1;
};

} // namespace talvix
