#include "platform/LocalDateTime.h"

#include <ctime>

namespace talvix {

using namespace std::chrono;

std::int64_t LocalDateTime::dayNumber() const
{
    const sys_days days{std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)}
                        / std::chrono::day{static_cast<unsigned>(day)}};
    return days.time_since_epoch().count();
}

int LocalDateTime::dayOfWeek() const
{
    const sys_days days{std::chrono::days{dayNumber()}};
    return static_cast<int>(weekday{days}.c_encoding());
}

std::int64_t LocalDateTime::toEpochMillis() const
{
    return ((dayNumber() * 24 + hour) * 60 + minute) * 60000LL + second * 1000LL + millisecond;
}

LocalDateTime LocalDateTime::fromEpochMillis(std::int64_t millis)
{
    const auto msPerDay = 86400000LL;
    std::int64_t dayCount = millis / msPerDay;
    std::int64_t rest = millis % msPerDay;
    if (rest < 0) {
        rest += msPerDay;
        --dayCount;
    }
    const year_month_day ymd{sys_days{std::chrono::days{dayCount}}};
    LocalDateTime t;
    t.year = static_cast<int>(ymd.year());
    t.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    t.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    t.hour = static_cast<int>(rest / 3600000);
    t.minute = static_cast<int>(rest / 60000 % 60);
    t.second = static_cast<int>(rest / 1000 % 60);
    t.millisecond = static_cast<int>(rest % 1000);
    return t;
}

LocalDateTime systemLocalNow()
{
    const auto nowPoint = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(nowPoint);
    std::tm local{};
    localtime_r(&seconds, &local);
    LocalDateTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    t.millisecond = static_cast<int>(duration_cast<milliseconds>(nowPoint.time_since_epoch()).count() % 1000);
    return t;
}

} // namespace talvix
