#pragma once
// A simulated handheld terminal: the station's peer in tests, in the demo and in talvix5-termsim.
//
// Passive and push-driven: the transport hands every byte from the station to onBytes(); the
// terminal cuts them into commands (CommandLineReader), records each one, obeys it and queues its
// answer, which leaves through the send callback after the configured answer delay. Output never
// leaves from inside onBytes(): it is always a loop timer continuation, so a station that writes
// and reads in one call chain is never re-entered. Answers keep their order whatever the delay.
//
// Commands: "V" and "S" (status poll: status lines, "S/N:" line), "T" (clock line), "T0"/"T1"
// (lock flag), "CLRMEM" (data memory cleared), "S/N:" + digits, "SETTIM:" + weekday + ddmmyyhhnnss,
// "CLRERR" (error log cleared), "UA" (update accepted: bit 0 of the generation set), "BP" (boot
// program), the reset sequence (recorded only). In the boot program only "V" and "S" are answered.
// Everything else is recorded and otherwise ignored.
//
// Transfers: "XD" sends the data memory, "XD:" + name one of the terminal's files (names match
// without regard to case; "DIR.SYS", unless set, lists the files), "XDMPERR" the error log, each
// by XModem (XModemSender), whose bytes leave at once, without the answer delay, but through
// the same line noise. While a transfer runs every byte goes to it, none is a command. A
// transfer the terminal cannot make (its lock flag inhibits it, or the file does not exist) is
// refused with CAN on the receiver's handshake. The terminal keeps its data after a transfer: only
// "T1" marks them transmitted and "CLRMEM" clears them.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/EventLoop.h"
#include "sim/CommandLineReader.h"
#include "sim/SimTerminalConfig.h"
#include "sim/XModemSender.h"

namespace talvix::sim {

class SimTerminal {
public:
    using SendFn = std::function<void(const std::string& bytes)>;
    using CommandFn = std::function<void(const std::string& command)>;

    // Name of the error log among the terminal's files.
    static const std::string errorLogName;

    explicit SimTerminal(EventLoop& loop, SimTerminalConfig config = {});
    ~SimTerminal();
    SimTerminal(const SimTerminal&) = delete;
    SimTerminal& operator=(const SimTerminal&) = delete;

    // Where the terminal's bytes go (Windows-1252 bytes, answers and transfers alike).
    void setSend(SendFn send);
    // Told of each command as it is received, before it is obeyed (for printing).
    void setOnCommand(CommandFn onCommand);
    // Told when a transfer ends, and how.
    void setOnTransferEnd(std::function<void(TransferResult)> onTransferEnd);
    // Called, after every byte sent before it has left, when the terminal drops its connection
    // (TransferFaults::dropAfterBlocks); the transport closes the line.
    void setOnDropConnection(std::function<void()> onDrop);

    // Bytes from the station.
    void onBytes(std::string_view bytes);
    // The line to the station is gone (its connection closed): a transfer in progress gives up
    // at once (Cancelled) instead of waiting out its time-outs, so the next connection finds the
    // terminal answering; what was still to be sent is dropped. The terminal then talks to
    // nobody until setSend gives it a line again.
    void lineLost();

    // The live configuration: serial number, lock flag, generation and boot program change with
    // the commands; any field may be changed from outside at any time.
    SimTerminalConfig& config() { return config_; }
    const SimTerminalConfig& config() const { return config_; }

    // Every command received, in order, without its CR (the reset sequence as its seven bytes).
    const std::vector<std::string>& commands() const { return commands_; }
    void clearCommands() { commands_.clear(); }

    // The data memory: the file "XD" sends; its records are counted for the "S/N:" line.
    void setData(std::string file);
    // New records scanned: one block of count generated records in config().recordFormat, numbered
    // on from the last. Records already marked transmitted (T1) are replaced, and the mark goes.
    void addRecords(int count);
    const std::string& data() const { return data_; }
    long long recordCount() const { return recordCount_; }

    // Other files of the terminal ("XD:" + name), the error log among them.
    void setFile(const std::string& name, std::string bytes);
    const std::map<std::string, std::string>& files() const { return files_; }

    // The terminal's own clock (set by "SETTIM:"; runs on with the loop's wall clock).
    LocalDateTime clock() const;

    bool transferRunning() const { return sender_ && sender_->running(); }

private:
    void obey(const std::string& command);
    void startTransfer(std::optional<std::string> file);
    std::optional<std::string> namedFile(const std::string& name) const;
    void answer(std::string bytes, Millis delay);
    struct Pending;
    void queue(Pending item);
    void armOutputTimer();
    void sendDue();

    EventLoop& loop_;
    SimTerminalConfig config_;
    CommandLineReader reader_;
    std::vector<std::string> commands_;
    SendFn send_;
    CommandFn onCommand_;
    std::function<void(TransferResult)> onTransferEnd_;
    std::function<void()> onDrop_;
    std::unique_ptr<XModemSender> sender_;

    std::string data_;
    long long recordCount_ = 0;
    long long nextRecordNumber_ = 1;
    std::map<std::string, std::string> files_;
    std::int64_t clockOffsetMillis_ = 0;

    struct Pending {
        Millis due;
        std::string bytes;
        bool drop = false; // drop the connection once the bytes before have left
    };
    std::deque<Pending> output_;
    std::uint64_t sentCount_ = 0;
    std::unique_ptr<Timer> outputTimer_;
};

} // namespace talvix::sim
