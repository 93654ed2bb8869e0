#pragma once
// Every simulated terminal of the tool, made alike from the command line's settings: terminal n
// (counted from 0 in the order they are made) gets the serial number base + n, the configured
// records and the faults, and prints one line per command and per transfer. The terminals live as
// long as the tool, so that a station reconnecting finds its terminal as it left it.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/EventLoop.h"
#include "sim/SimTerminal.h"

namespace talvix::termsim {

struct TerminalSettings {
    sim::SimTerminalConfig config;
    long serialBase = 123456;
    int records = 0; // generated records at the start, with header and footer
    std::string recordsFile; // or the contents of this file
    bool quiet = false; // no line per command
};

// One line on standard output, whole.
void printLine(const std::string& line);

class TerminalSet {
public:
    TerminalSet(EventLoop& loop, TerminalSettings settings, std::string recordsFileContents);

    // A new terminal; label names its line (for example "tcp 10001") in every line printed.
    sim::SimTerminal& create(const std::string& label);
    // The prefix of the lines printed for this terminal.
    std::string prefix(const sim::SimTerminal& terminal) const;
    // New records for every terminal.
    void addRecords(int count);

private:
    struct Entry {
        std::unique_ptr<sim::SimTerminal> terminal;
        std::string prefix;
    };

    EventLoop& loop_;
    TerminalSettings settings_;
    std::string recordsFileContents_;
    std::vector<Entry> entries_;
};

} // namespace talvix::termsim
