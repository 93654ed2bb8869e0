#include <gtest/gtest.h>

#include "platform/DateTimeFormat.h"

using namespace talvix;

namespace {

struct FormatCase {
    const char* format;
    const char* expected;
};

class DateTimeFormatTest : public ::testing::TestWithParam<FormatCase> {};

} // namespace

TEST_P(DateTimeFormatTest, FormatsLikeDelphi)
{
    const LocalDateTime t{2024, 3, 8, 14, 5, 9, 42};
    EXPECT_EQ(FormatDateTime(GetParam().format, t), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Specifiers, DateTimeFormatTest,
                         ::testing::Values(FormatCase{"yyyymmdd", "20240308"}, FormatCase{"hhnnss", "140509"},
                                           FormatCase{"ddmmyyhhnnss", "080324140509"},
                                           FormatCase{"hh:mm:ss", "14:05:09"}, // mm after hh: minutes
                                           FormatCase{"mm/dd/yy", "03/08/24"}, FormatCase{"d.m.yyyy", "8.3.2024"},
                                           FormatCase{"h:n:s.zzz", "14:5:9.042"},
                                           FormatCase{"'Tag' dd", "Tag 08"}, FormatCase{"YYYY-MM-DD", "2024-03-08"},
                                           FormatCase{"abc_", "abc_"}, FormatCase{"", ""}));

TEST(LocalDateTime, WeekdaysAndEpochRoundTrip)
{
    const LocalDateTime monday{2024, 3, 18, 14, 30, 0, 0};
    EXPECT_EQ(monday.dayOfWeek(), 1);
    EXPECT_EQ(LocalDateTime::fromEpochMillis(monday.toEpochMillis()), monday);
    const LocalDateTime leap{2024, 2, 29, 0, 0, 0, 0};
    EXPECT_EQ(leap.plus(std::chrono::hours(24)), (LocalDateTime{2024, 3, 1, 0, 0, 0, 0}));
    EXPECT_EQ((LocalDateTime{2024, 3, 1}.dayNumber() - LocalDateTime{2024, 1, 31}.dayNumber()), 30);
}
