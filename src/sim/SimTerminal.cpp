#include "sim/SimTerminal.h"

#include <algorithm>
#include <cctype>

#include "sim/SimAnswers.h"
#include "sim/SimRecords.h"

namespace talvix::sim {

const std::string SimTerminal::errorLogName = "ERROR.LOG";

namespace {

// Byte n (counted from 1 over the terminal's whole output) is inverted or lost when n is a
// multiple of the fault's period.
std::string throughLineNoise(const std::string& bytes, const LineNoise& noise, std::uint64_t& sentCount)
{
    if (noise.corruptEvery <= 0 && noise.dropEvery <= 0) {
        sentCount += bytes.size();
        return bytes;
    }
    std::string out;
    out.reserve(bytes.size());
    for (char byte : bytes) {
        ++sentCount;
        if (noise.dropEvery > 0 && sentCount % static_cast<std::uint64_t>(noise.dropEvery) == 0)
            continue;
        if (noise.corruptEvery > 0 && sentCount % static_cast<std::uint64_t>(noise.corruptEvery) == 0)
            byte = static_cast<char>(~byte);
        out.push_back(byte);
    }
    return out;
}

} // namespace

SimTerminal::SimTerminal(EventLoop& loop, SimTerminalConfig config)
    : loop_(loop)
    , config_(std::move(config))
    , outputTimer_(loop.createTimer([this] { sendDue(); }))
{
    outputTimer_->setSingleShot(true);
}

SimTerminal::~SimTerminal() = default;

void SimTerminal::setSend(SendFn send)
{
    send_ = std::move(send);
}

void SimTerminal::lineLost()
{
    send_ = {};
    onDrop_ = {};
    output_.clear();
    if (transferRunning()) {
        sender_.reset();
        if (onTransferEnd_)
            onTransferEnd_(TransferResult::Cancelled);
    }
}

void SimTerminal::setOnCommand(CommandFn onCommand)
{
    onCommand_ = std::move(onCommand);
}

void SimTerminal::setData(std::string file)
{
    data_ = std::move(file);
    recordCount_ = countRecords(data_);
}

void SimTerminal::setOnTransferEnd(std::function<void(TransferResult)> onTransferEnd)
{
    onTransferEnd_ = std::move(onTransferEnd);
}

void SimTerminal::setOnDropConnection(std::function<void()> onDrop)
{
    onDrop_ = std::move(onDrop);
}

void SimTerminal::addRecords(int count)
{
    if (count <= 0)
        return;
    if (dataTransmitted(config_.lock)) {
        data_.clear();
        config_.lock = transferInhibited(config_.lock) ? LockFlag::T2 : LockFlag::T0;
    }
    data_ += generateRecordBlock(config_.recordFormat, config_.serialNumber, clock(), nextRecordNumber_, count);
    nextRecordNumber_ += count;
    recordCount_ = countRecords(data_);
}

void SimTerminal::setFile(const std::string& name, std::string bytes)
{
    files_[name] = std::move(bytes);
}

LocalDateTime SimTerminal::clock() const
{
    return loop_.localNow().plus(Millis { clockOffsetMillis_ });
}

void SimTerminal::onBytes(std::string_view bytes)
{
    for (char byte : bytes) {
        if (transferRunning()) {
            sender_->onBytes(std::string_view(&byte, 1));
            continue;
        }
        auto command = reader_.push(byte);
        if (!command)
            continue;
        commands_.push_back(*command);
        if (onCommand_)
            onCommand_(*command);
        if (!config_.silent)
            obey(*command);
    }
}

void SimTerminal::obey(const std::string& command)
{
    if (command == "V") {
        answer(statusAnswer(config_), config_.answerDelay);
    } else if (command == "S") {
        answer(serialLine(config_.serialNumber, recordCount_, config_.lock), config_.answerDelay);
    } else if (config_.bootProgram) {
        // The boot program knows the status poll only.
    } else if (command == "T") {
        answer(clockLine(clock(), config_.generation), config_.answerDelay);
    } else if (command == "T0") {
        config_.lock = LockFlag::T0;
    } else if (command == "T1") {
        config_.lock = transferInhibited(config_.lock) ? LockFlag::T3 : LockFlag::T1;
    } else if (command == "CLRMEM") {
        setData({});
        // Nothing is left that could count as transmitted; an inhibit set on the terminal stays.
        config_.lock = transferInhibited(config_.lock) ? LockFlag::T2 : LockFlag::T0;
    } else if (command.starts_with("S/N:")) {
        if (auto serial = parseSerialNumber(std::string_view(command).substr(4)))
            config_.serialNumber = *serial;
    } else if (command.starts_with("SETTIM:")) {
        if (auto t = parseSetTime(std::string_view(command).substr(7)))
            clockOffsetMillis_ = t->toEpochMillis() - loop_.localNow().toEpochMillis();
    } else if (command == "CLRERR") {
        files_.erase(errorLogName);
    } else if (command == "UA") {
        config_.generation |= 1;
    } else if (command == "BP") {
        config_.bootProgram = true;
    } else if (command == "XD") {
        startTransfer(transferInhibited(config_.lock) ? std::nullopt : std::optional(data_));
    } else if (command.starts_with("XD:")) {
        startTransfer(namedFile(command.substr(3)));
    } else if (command == "XDMPERR") {
        startTransfer(namedFile(errorLogName).value_or(std::string()));
    }
}

std::optional<std::string> SimTerminal::namedFile(const std::string& name) const
{
    const auto sameName = [&name](const std::string& other) {
        return std::equal(name.begin(), name.end(), other.begin(), other.end(), [](char a, char b) {
            return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
        });
    };
    for (const auto& [fileName, bytes] : files_)
        if (sameName(fileName))
            return bytes;
    if (!sameName("DIR.SYS"))
        return std::nullopt;
    std::string listing;
    for (const auto& entry : files_)
        listing += entry.first + "\r\n";
    return listing;
}

void SimTerminal::startTransfer(std::optional<std::string> file)
{
    auto send = [this](std::string bytes) { answer(std::move(bytes), Millis { 0 }); };
    auto finished = [this](TransferResult result) {
        if (result == TransferResult::Dropped)
            queue({ loop_.now(), {}, true });
        if (onTransferEnd_)
            onTransferEnd_(result);
    };
    sender_ = std::make_unique<XModemSender>(loop_, std::move(file), config_.transferFaults, send, finished);
}

void SimTerminal::answer(std::string bytes, Millis delay)
{
    queue({ loop_.now() + std::max(delay, Millis { 0 }), std::move(bytes) });
}

void SimTerminal::queue(Pending item)
{
    // Nothing overtakes what was queued before, even when the delay was shortened meanwhile.
    if (!output_.empty())
        item.due = std::max(item.due, output_.back().due);
    output_.push_back(std::move(item));
    if (output_.size() == 1)
        armOutputTimer();
}

void SimTerminal::armOutputTimer()
{
    // On a real clock the due time may have passed already; a negative interval would never fire.
    outputTimer_->setInterval(std::max(output_.front().due - loop_.now(), Millis { 0 }));
    outputTimer_->start();
}

void SimTerminal::sendDue()
{
    while (!output_.empty() && output_.front().due <= loop_.now()) {
        std::string bytes = std::move(output_.front().bytes);
        const bool drop = output_.front().drop;
        output_.pop_front();
        if (drop) {
            if (onDrop_)
                onDrop_();
            continue;
        }
        bytes = throughLineNoise(bytes, config_.noise, sentCount_);
        if (send_ && !bytes.empty())
            send_(bytes);
    }
    if (!output_.empty())
        armOutputTimer();
}

} // namespace talvix::sim
