#include "sim/SimTerminal.h"

#include <algorithm>

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

void SimTerminal::setOnCommand(CommandFn onCommand)
{
    onCommand_ = std::move(onCommand);
}

void SimTerminal::setData(std::string file)
{
    data_ = std::move(file);
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
        answer(statusAnswer(config_));
    } else if (command == "S") {
        answer(serialLine(config_.serialNumber, recordCount_, config_.lock));
    } else if (config_.bootProgram) {
        // The boot program knows the status poll only.
    } else if (command == "T") {
        answer(clockLine(clock(), config_.generation));
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
    }
}

void SimTerminal::answer(std::string bytes)
{
    // A later answer never overtakes an earlier one, even when the delay was shortened meanwhile.
    Millis due = loop_.now() + std::max(config_.answerDelay, Millis { 0 });
    if (!output_.empty())
        due = std::max(due, output_.back().due);
    output_.push_back({ due, std::move(bytes) });
    if (output_.size() == 1) {
        outputTimer_->setInterval(due - loop_.now());
        outputTimer_->start();
    }
}

void SimTerminal::sendDue()
{
    while (!output_.empty() && output_.front().due <= loop_.now()) {
        std::string bytes = std::move(output_.front().bytes);
        output_.pop_front();
        bytes = throughLineNoise(bytes, config_.noise, sentCount_);
        if (send_ && !bytes.empty())
            send_(bytes);
    }
    if (!output_.empty()) {
        outputTimer_->setInterval(output_.front().due - loop_.now());
        outputTimer_->start();
    }
}

} // namespace talvix::sim
