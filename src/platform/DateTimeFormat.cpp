#include "platform/DateTimeFormat.h"

#include <cctype>
#include <cstdio>

namespace talvix {

namespace {

std::string number(int value, int digits)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", digits, value);
    return buf;
}

} // namespace

std::string FormatDateTime(const std::string& format, const LocalDateTime& t)
{
    std::string out;
    char lastSpecifier = 0;
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c == '\'' || c == '"') {
            const std::size_t close = format.find(c, i + 1);
            const std::size_t end = close == std::string::npos ? format.size() : close;
            out.append(format, i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::size_t run = 1;
        while (i + run < format.size()
               && std::tolower(static_cast<unsigned char>(format[i + run])) == static_cast<unsigned char>(lower))
            ++run;
        const int width = run >= 2 ? 2 : 1;
        switch (lower) {
        case 'y':
            out += run >= 3 ? number(t.year, 4) : number(t.year % 100, 2);
            break;
        case 'm':
            out += number(lastSpecifier == 'h' ? t.minute : t.month, width);
            break;
        case 'd':
            out += number(t.day, width);
            break;
        case 'h':
            out += number(t.hour, width);
            break;
        case 'n':
            out += number(t.minute, width);
            break;
        case 's':
            out += number(t.second, width);
            break;
        case 'z':
            out += number(t.millisecond, run >= 2 ? 3 : 1);
            break;
        default:
            out.append(format, i, run);
            i += run;
            continue;
        }
        lastSpecifier = lower;
        i += run;
    }
    return out;
}

} // namespace talvix
