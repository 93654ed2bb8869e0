#include "sim/SimRecords.h"

#include <cstdio>

#include "sim/SimAnswers.h"

namespace talvix::sim {

namespace {

bool isFrameLine(std::string_view line)
{
    return line.find("%%STX") != std::string_view::npos || line.find("%%ETX") != std::string_view::npos;
}

// An EAN-13 of the German prefix 400 whose item part is the record number, with its check digit.
std::string ean13(long long number)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "400%09lld", number % 1000000000LL);
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (digits[i] - '0') * (i % 2 == 0 ? 1 : 3);
    digits[12] = static_cast<char>('0' + (10 - sum % 10) % 10);
    digits[13] = '\0';
    return digits;
}

} // namespace

long long countRecords(std::string_view file)
{
    long long count = 0;
    while (!file.empty()) {
        const std::size_t end = file.find_first_of("\r\n");
        const std::string_view line = file.substr(0, end);
        if (!line.empty() && !isFrameLine(line))
            ++count;
        if (end == std::string_view::npos)
            break;
        file.remove_prefix(end + 1);
    }
    return count;
}

std::string generateRecordBlock(const RecordFormat& format, std::string_view serialNumber, const LocalDateTime& at,
    long long firstNumber, int count)
{
    std::string block;
    char line[64];
    if (format.header) {
        std::snprintf(line, sizeof line, "%%%%STX/%s/%02d%02d%02d/%02d%02d%02d", sixDigitSerial(serialNumber).c_str(),
            at.day, at.month, at.year % 100, at.hour, at.minute, at.second);
        block += line;
        if (!format.headerFileName.empty())
            block += "/" + format.headerFileName;
        block += "\r\n";
    }
    for (int i = 0; i < count; ++i) {
        const long long number = firstNumber + i;
        std::snprintf(line, sizeof line, "%06lld;%s;1\r\n", number % 1000000LL, ean13(number).c_str());
        block += line;
    }
    if (format.footer) {
        std::snprintf(line, sizeof line, "%%%%ETX %05d\r\n", count % 100000);
        block += line;
    }
    return block;
}

} // namespace talvix::sim
