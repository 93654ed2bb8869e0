#include "station/StatusParsers.h"

#include <array>
#include <charconv>

#include "platform/DateTimeFormat.h"

namespace talvix {
namespace {

// Delphi's Copy: the characters from 1-based position pos, as many as there are up to count.
std::string_view copy(std::string_view s, std::size_t pos, std::size_t count = std::string_view::npos)
{
    if (pos < 1 || pos > s.size())
        return {};
    return s.substr(pos - 1, count);
}

std::string field(std::string_view s)
{
    return std::string(s.substr(0, StatusFieldLength));
}

// 1-based position of the first c, 0 when there is none.
std::size_t position(std::string_view s, char c)
{
    const std::size_t at = s.find(c);
    return at == std::string_view::npos ? 0 : at + 1;
}

std::optional<TVersionText> versionTextKind(char first, char second)
{
    switch (first) {
    case 'A':
        return second == 'P' ? std::optional(TVersionText::AP) : std::nullopt;
    case 'O':
        return second == 'S' ? std::optional(TVersionText::OS) : std::nullopt;
    case 'D':
        return second == 'S' ? std::optional(TVersionText::DS) : std::nullopt;
    case 'B':
        return second == 'P' ? std::optional(TVersionText::BP) : std::nullopt;
    case 'L':
        return second == 'B' ? std::optional(TVersionText::LB) : std::nullopt;
    default:
        return std::nullopt;
    }
}

bool startsVersionText(char first)
{
    return first == 'A' || first == 'O' || first == 'D' || first == 'B' || first == 'L';
}

// A decimal number as the terminals' numbers are read: leading blanks and a sign allowed,
// nothing after the digits.
std::optional<int> decimal(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc {} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

std::optional<SerialNumberLine> parseSerialNumberLine(std::string_view line)
{
    if (line.size() < 2 || line[1] != '/')
        return std::nullopt;
    const std::string_view flag = copy(line, 22, 2);
    return SerialNumberLine {
        .SNr = field(copy(line, 5, 6)),
        .Rec = field(copy(line, 16, 5)),
        .datenSperre = flag == "T1" || flag == "T3",
        .transferSperre = flag == "T2" || flag == "T3",
    };
}

StatusLine parseStatusLine(std::string_view line)
{
    if (line.empty() || line.size() > MaxParsedLineLength)
        return {};
    const char first = line[0];
    if (startsVersionText(first)) {
        const auto kind = versionTextKind(first, line.size() > 1 ? line[1] : '\0');
        if (!kind)
            return {};
        return VersionTextLine { *kind, field(copy(line, 4)) };
    }
    if (first == 'S') {
        if (auto serial = parseSerialNumberLine(line))
            return *serial;
        return {};
    }
    if (first == 'V')
        return VersionNumberLine { decimal(copy(line, 2, 2)).value_or(DefaultLowerVersion) };
    return DeviceNameLine { field(line) };
}

TimePageLine parseTimePageLine(std::string_view line)
{
    if (line.size() > MaxParsedLineLength)
        return {};
    if (line.starts_with("S/N")) {
        if (auto serial = parseSerialNumberLine(line))
            return *serial;
        return {};
    }
    const std::size_t colon = position(line, ':');
    if (position(line, '.') == 6 && (colon == 15 || colon == 17))
        return DateTimeLine { field(line) };
    return {};
}

TerminalDateTime splitTerminalDateTime(std::string_view TimeDate)
{
    if (position(TimeDate, ':') == 15) {
        std::string date(copy(TimeDate, 4, 8));
        if (date.size() >= 6)
            date.insert(6, "20");
        return { date, std::string(copy(TimeDate, 13, 8)) };
    }
    return { std::string(copy(TimeDate, 4, 10)), std::string(copy(TimeDate, 15, 8)) };
}

int numberOrZero(std::string_view text)
{
    return decimal(text).value_or(0);
}

std::string_view weekdayCode(int dayOfWeek)
{
    static constexpr std::array<std::string_view, 7> codes = { "SO", "MO", "DI", "MI", "DO", "FR", "SA" };
    return codes.at(static_cast<std::size_t>(dayOfWeek));
}

std::string setTimeCommand(const LocalDateTime& t)
{
    return "SETTIM:" + std::string(weekdayCode(t.dayOfWeek())) + FormatDateTime("ddmmyyhhnnss", t) + "\r";
}

} // namespace talvix
