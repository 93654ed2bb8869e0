#include <gtest/gtest.h>

#include "platform/Windows1252.h"

using namespace talvix;

TEST(Windows1252, RoundTripsTheTerminalTexts)
{
    const std::string terminal = "Daten\xFC" "bertragung \x80 \x96";
    const std::string utf8 = Windows1252ToUtf8(terminal);
    EXPECT_EQ(utf8, "Daten\xC3\xBC" "bertragung \xE2\x82\xAC \xE2\x80\x93");
    EXPECT_EQ(Utf8ToWindows1252(utf8), terminal);
}

TEST(Windows1252, DetectsUtf8AndFallsBack)
{
    EXPECT_TRUE(IsValidUtf8("Stra\xC3\x9F" "e"));
    EXPECT_FALSE(IsValidUtf8("Stra\xDF" "e"));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF")); // overlong
    EXPECT_FALSE(IsValidUtf8("\xE2\x82")); // cut short
    EXPECT_EQ(ToUtf8("Stra\xDF" "e"), "Stra\xC3\x9F" "e");
    EXPECT_EQ(ToUtf8("Stra\xC3\x9F" "e"), "Stra\xC3\x9F" "e");
    EXPECT_EQ(Utf8ToWindows1252("\xE4\xB8\xAD"), "?"); // not in the code page
}
