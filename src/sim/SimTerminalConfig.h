#pragma once
// What a simulated terminal is: its texts, numbers, lock flags and the faults it shows on demand.
// The terminal reads these fields afresh for every answer, so changing them while it runs takes
// effect with the next command.

#include <string>

#include "platform/EventLoop.h"

namespace talvix::sim {

// The terminal's lock flag, reported at columns 22-23 of its "S/N:" line. T1: its data were
// transmitted already; T2: the transfer is inhibited (set on the terminal itself); T3: both.
enum class LockFlag : char { T0 = '0', T1 = '1', T2 = '2', T3 = '3' };

constexpr bool dataTransmitted(LockFlag f)
{
    return f == LockFlag::T1 || f == LockFlag::T3;
}
constexpr bool transferInhibited(LockFlag f)
{
    return f == LockFlag::T2 || f == LockFlag::T3;
}

// Faults of the line out of the terminal, counted over every byte it sends (answers and XModem
// alike), so a run is the same each time. 0 switches a fault off.
struct LineNoise {
    int corruptEvery = 0; // every n-th byte sent is inverted
    int dropEvery = 0; // every n-th byte sent is lost
};

// Faults of the terminal's own XModem sender, counted in data blocks of one transfer.
struct TransferFaults {
    int stallAfterBlocks = -1; // after this many blocks the sender falls silent for good
    int dropAfterBlocks = -1; // after this many blocks the terminal drops the connection
};

// How the records given with SimTerminal::addRecords are framed: each call is one block of the
// data file, opened by a "%%STX" header line (naming headerFileName, when set) and closed by an
// "%%ETX" footer line, as the terminal's application writes them.
struct RecordFormat {
    bool header = true;
    std::string headerFileName;
    bool footer = true;
};

struct SimTerminalConfig {
    // Texts of the status answer, each after its two-letter prefix and ":" ("AP:" + ap). An empty
    // text leaves its line out of the answer (a terminal without "LB" answers 252, not 508).
    // The device name is a line of its own; it must not begin with A, B, D, L, O, S or V, which
    // the station would take for another line.
    std::string deviceName = "MDE TX5 SIM";
    std::string ap = " SCAN1 1.23";
    std::string os = " OSYS1 1.05";
    std::string ds = " DECOD 1.00";
    std::string bp = " BOOT1 1.00";
    std::string lb = " LB001 1.00";
    // The two digits of the "V" line: generation with the update-enabled flag in bit 0
    // (20: generation 20, 21: the same with an update accepted; 30 and up write four-digit years).
    int generation = 20;
    // Six digits; a shorter number is padded with leading zeros.
    std::string serialNumber = "123456";
    LockFlag lock = LockFlag::T0;
    // In its boot program the terminal answers the status poll with its "BP" and "S/N:" lines only.
    bool bootProgram = false;

    Millis answerDelay { 0 };
    // A silent terminal neither answers nor obeys; it still records what it hears.
    bool silent = false;
    LineNoise noise;
    TransferFaults transferFaults;
    RecordFormat recordFormat;
};

} // namespace talvix::sim
