#pragma once
// A simulated terminal on a pseudo-terminal, for a serial station: the station opens the slave
// side through the symbolic link the tool makes at the path given, the terminal sits on the
// master side. The tool keeps the slave open itself, so the line survives a station closing and
// reopening it; bytes the terminal sends while nobody reads are lost once the line's buffer is
// full, as on a serial line with no one at the other end. The link is removed when the tool ends.

#include <memory>
#include <string>

#include "TerminalSet.h"
#include "platform/EventLoop.h"

namespace talvix::termsim {

class PtyTerminal {
public:
    PtyTerminal(EventLoop& loop, TerminalSet& terminals, std::string linkPath);
    ~PtyTerminal();
    PtyTerminal(const PtyTerminal&) = delete;
    PtyTerminal& operator=(const PtyTerminal&) = delete;

    // False, with the reason printed, when the pseudo-terminal or its link could not be made.
    bool ready() const { return watch_ != nullptr; }

private:
    void readMaster();

    std::string linkPath_;
    int master_ = -1;
    int slave_ = -1;
    bool linked_ = false;
    sim::SimTerminal* terminal_ = nullptr;
    std::unique_ptr<FdWatch> watch_;
};

} // namespace talvix::termsim
