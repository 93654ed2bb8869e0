#pragma once
// Cuts the bytes a station sends into command lines, the way a terminal reads them: a CR ends a
// command, an empty command is nothing (the station opens its lock command with a CR), the flow
// control bytes DC1 and DC3 are no part of any command, a BS erases the byte before it (what is
// left of a cancel sequence CAN CAN CAN BS BS BS after the sender took its CANs erases itself),
// and the seven-byte reset sequence, which carries no CR, is a command of its own. A line that grows past maxLength
// without a CR is noise and is dropped whole, so no input can make it grow without bound.

#include <optional>
#include <string>

namespace talvix::sim {

class CommandLineReader {
public:
    static constexpr std::size_t maxLength = 512;
    static const std::string resetSequence;

    // The completed command, if this byte completes one.
    std::optional<std::string> push(char byte);

private:
    std::string pending_;
    bool overflowed_ = false;
};

} // namespace talvix::sim
