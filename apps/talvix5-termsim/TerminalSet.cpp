#include "TerminalSet.h"

#include <cstdio>

#include "sim/SimAnswers.h"

namespace talvix::termsim {

namespace {

// Commands carry control bytes (the reset sequence, CAN); show those as \xNN.
std::string printable(const std::string& bytes)
{
    std::string out;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out.push_back(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        }
    }
    return out;
}

} // namespace

void printLine(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

TerminalSet::TerminalSet(EventLoop& loop, TerminalSettings settings, std::string recordsFileContents)
    : loop_(loop)
    , settings_(std::move(settings))
    , recordsFileContents_(std::move(recordsFileContents))
{ }

sim::SimTerminal& TerminalSet::create(const std::string& label)
{
    sim::SimTerminalConfig config = settings_.config;
    config.serialNumber
        = sim::sixDigitSerial(std::to_string((settings_.serialBase + static_cast<long>(entries_.size())) % 1000000));
    auto terminal = std::make_unique<sim::SimTerminal>(loop_, config);
    if (!settings_.recordsFile.empty())
        terminal->setData(recordsFileContents_);
    else
        terminal->addRecords(settings_.records);

    const std::string prefix
        = "[" + label + " #" + std::to_string(entries_.size() + 1) + " S/N " + config.serialNumber + "]";
    if (!settings_.quiet)
        terminal->setOnCommand([prefix](const std::string& command) { printLine(prefix + " " + printable(command)); });
    terminal->setOnTransferEnd(
        [prefix](sim::TransferResult result) { printLine(prefix + " transfer " + sim::toString(result)); });
    entries_.push_back({ std::move(terminal), prefix });
    return *entries_.back().terminal;
}

std::string TerminalSet::prefix(const sim::SimTerminal& terminal) const
{
    for (const auto& entry : entries_)
        if (entry.terminal.get() == &terminal)
            return entry.prefix;
    return {};
}

void TerminalSet::addRecords(int count)
{
    for (auto& entry : entries_) {
        entry.terminal->addRecords(count);
        printLine(entry.prefix + " " + std::to_string(count) + " new records, "
            + std::to_string(entry.terminal->recordCount()) + " in memory");
    }
}

} // namespace talvix::termsim
