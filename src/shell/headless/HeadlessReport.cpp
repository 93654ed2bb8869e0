#include "shell/headless/HeadlessReport.h"

#include <cstdio>

#include "platform/Windows1252.h"

namespace talvix {

namespace {

// Bytes at or below limit, and DEL, become [hh]; everything else is kept.
std::string escapeBelow(const std::string& text, unsigned char limit)
{
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= limit || byte == 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "[%02X]", byte);
            escaped += hex;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// One word: nothing that would split the line's fields.
std::string word(const std::string& text)
{
    return text.empty() ? "-" : escapeBelow(text, ' ');
}

} // namespace

void StreamHeadlessReport::onModeChange(
    int StationsNr, const std::string& modeName, const std::string& snr, const std::string& rec)
{
    LastState& state = last_[StationsNr];
    state = { word(modeName), word(ToUtf8(snr)), word(ToUtf8(rec)) };
    writeState(StationsNr, state);
    out_ << std::endl;
}

void StreamHeadlessReport::onFileStored(int StationsNr, const std::string& path)
{
    const auto found = last_.find(StationsNr);
    writeState(StationsNr, found != last_.end() ? found->second : LastState { "-", "-", "-" });
    out_ << " file " << escapeBelow(path, ' ' - 1) << std::endl;
}

void StreamHeadlessReport::writeState(int StationsNr, const LastState& state)
{
    out_ << "station " << StationsNr << " mode " << state.mode << " snr " << state.snr << " rec " << state.rec;
}

} // namespace talvix
