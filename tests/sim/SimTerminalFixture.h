#pragma once
// A simulated terminal on virtual time, with everything it sends collected, for the dialogue and
// transfer tests.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/VirtualLoop.h"
#include "sim/SimTerminal.h"

namespace talvix::test {

class SimTerminalFixture : public ::testing::Test {
protected:
    SimTerminalFixture()
    {
        loop.setLocalTime(LocalDateTime { 2024, 3, 18, 14, 30, 0 });
        terminal.setSend([this](const std::string& bytes) { received += bytes; });
        terminal.setOnTransferEnd([this](sim::TransferResult r) { transferEnds.push_back(r); });
        terminal.setOnDropConnection([this] { ++drops; });
    }
    // What the terminal sent in answer to bytes, once every answer due has left.
    std::string exchange(std::string_view bytes)
    {
        received.clear();
        terminal.onBytes(bytes);
        loop.advance(Millis { 0 });
        return received;
    }
    std::string statusPoll() { return exchange("V\rS\r\x11"); }
    std::string serialAnswer() { return exchange("S\r"); }
    std::string lockFlag() { return columns(serialAnswer(), 22, 23); }
    // Columns as the station reads them: 1-based, inclusive.
    static std::string columns(const std::string& line, std::size_t from, std::size_t to)
    {
        return line.size() < to ? std::string() : line.substr(from - 1, to - from + 1);
    }

    VirtualLoop loop;
    sim::SimTerminal terminal { loop };
    std::string received;
    std::vector<sim::TransferResult> transferEnds;
    int drops = 0;
};

} // namespace talvix::test
