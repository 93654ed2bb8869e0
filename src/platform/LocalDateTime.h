#pragma once
// Local calendar date and time of day, the unit of every date the program shows, logs or sends
// to a terminal. Arithmetic goes through the proleptic Gregorian day count of <chrono>.

#include <chrono>
#include <cstdint>
#include <string>

namespace talvix {

struct LocalDateTime {
    int year = 2000;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    // 0 = Sunday .. 6 = Saturday
    int dayOfWeek() const;
    // Milliseconds since 1970-01-01 00:00:00 of the same (local) clock.
    std::int64_t toEpochMillis() const;
    static LocalDateTime fromEpochMillis(std::int64_t millis);
    // Days since 1970-01-01 of the date part.
    std::int64_t dayNumber() const;

    LocalDateTime plus(std::chrono::milliseconds delta) const
    {
        return fromEpochMillis(toEpochMillis() + delta.count());
    }
    bool sameDate(const LocalDateTime& other) const
    {
        return year == other.year && month == other.month && day == other.day;
    }
    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// The local time of the system clock.
LocalDateTime systemLocalNow();

} // namespace talvix
