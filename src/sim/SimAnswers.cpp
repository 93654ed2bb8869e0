#include "sim/SimAnswers.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace talvix::sim {

namespace {

constexpr std::array<std::string_view, 7> weekdayCodes { "SO", "MO", "DI", "MI", "DO", "FR", "SA" };
constexpr std::string_view lineEnd = "\r\n";

void addLine(std::string& answer, std::string_view prefix, const std::string& text)
{
    if (text.empty())
        return;
    answer.append(prefix).append(text).append(lineEnd);
}

bool allDigits(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int twoDigits(std::string_view s, std::size_t at)
{
    return (s[at] - '0') * 10 + (s[at + 1] - '0');
}

bool validDate(int year, int month, int day)
{
    if (month < 1 || month > 12 || day < 1)
        return false;
    static constexpr std::array<int, 12> days { 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return day <= (month == 2 && !leap ? 28 : days[static_cast<std::size_t>(month - 1)]);
}

} // namespace

std::string statusAnswer(const SimTerminalConfig& config)
{
    std::string answer;
    if (config.bootProgram) {
        addLine(answer, "BP:", config.bp);
        return answer;
    }
    addLine(answer, "", config.deviceName);
    addLine(answer, "AP:", config.ap);
    addLine(answer, "OS:", config.os);
    addLine(answer, "DS:", config.ds);
    addLine(answer, "BP:", config.bp);
    addLine(answer, "LB:", config.lb);
    char version[8];
    std::snprintf(version, sizeof version, "V%02d", std::clamp(config.generation, 0, 99));
    addLine(answer, "", version);
    return answer;
}

std::string sixDigitSerial(std::string_view digits)
{
    if (digits.size() >= 6)
        return std::string(digits.substr(0, 6));
    return std::string(6 - digits.size(), '0') + std::string(digits);
}

std::string serialLine(std::string_view serialNumber, long long records, LockFlag lock)
{
    char line[40];
    std::snprintf(line, sizeof line, "S/N:%s REC:%05lld T%c", sixDigitSerial(serialNumber).c_str(),
        std::clamp(records, 0LL, 99999LL), static_cast<char>(lock));
    return std::string(line) + std::string(lineEnd);
}

std::string clockLine(const LocalDateTime& t, int generation)
{
    const auto code = weekdayCodes[static_cast<std::size_t>(t.dayOfWeek())];
    char line[40];
    if (generation >= 30)
        std::snprintf(line, sizeof line, "%.2s %02d.%02d.%04d %02d:%02d:%02d", code.data(), t.day, t.month, t.year,
            t.hour, t.minute, t.second);
    else
        std::snprintf(line, sizeof line, "%.2s %02d.%02d.%02d %02d:%02d:%02d", code.data(), t.day, t.month,
            t.year % 100, t.hour, t.minute, t.second);
    return std::string(line) + std::string(lineEnd);
}

std::optional<std::string> parseSerialNumber(std::string_view argument)
{
    if (argument.size() > 6 || !allDigits(argument))
        return std::nullopt;
    return sixDigitSerial(argument);
}

std::optional<LocalDateTime> parseSetTime(std::string_view argument)
{
    if (argument.size() != 14 || !allDigits(argument.substr(2)))
        return std::nullopt;
    if (std::find(weekdayCodes.begin(), weekdayCodes.end(), argument.substr(0, 2)) == weekdayCodes.end())
        return std::nullopt;
    const std::string_view digits = argument.substr(2);
    LocalDateTime t;
    t.day = twoDigits(digits, 0);
    t.month = twoDigits(digits, 2);
    t.year = 2000 + twoDigits(digits, 4);
    t.hour = twoDigits(digits, 6);
    t.minute = twoDigits(digits, 8);
    t.second = twoDigits(digits, 10);
    if (!validDate(t.year, t.month, t.day) || t.hour > 23 || t.minute > 59 || t.second > 59)
        return std::nullopt;
    return t;
}

} // namespace talvix::sim
