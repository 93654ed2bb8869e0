#include "sim/CommandLineReader.h"

namespace talvix::sim {

const std::string CommandLineReader::resetSequence { "\xFF\xF0\x00\x00\x4F\xF4\x72", 7 };

std::optional<std::string> CommandLineReader::push(char byte)
{
    constexpr char dc1 = 0x11;
    constexpr char dc3 = 0x13;
    constexpr char bs = 0x08;
    if (byte == dc1 || byte == dc3)
        return std::nullopt;
    if (byte == bs) {
        if (!pending_.empty())
            pending_.pop_back();
        return std::nullopt;
    }
    if (byte == '\r') {
        std::string command;
        command.swap(pending_);
        const bool dropped = overflowed_;
        overflowed_ = false;
        if (dropped || command.empty())
            return std::nullopt;
        return command;
    }
    if (overflowed_)
        return std::nullopt;
    pending_.push_back(byte);
    if (pending_.ends_with(resetSequence)) {
        pending_.clear();
        return resetSequence;
    }
    if (pending_.size() > maxLength) {
        pending_.clear();
        overflowed_ = true;
    }
    return std::nullopt;
}

} // namespace talvix::sim
