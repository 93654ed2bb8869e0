#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "station/StatusParsers.h"

using namespace talvix;

namespace {

std::string describe(const StatusLine& line)
{
    struct Describe {
        std::string operator()(std::monostate) const { return "ignored"; }
        std::string operator()(const VersionTextLine& v) const
        {
            static const char* names[] = { "AP", "OS", "DS", "BP", "LB" };
            return std::string(names[static_cast<int>(v.which)]) + "=" + v.value;
        }
        std::string operator()(const VersionNumberLine& v) const { return "V=" + std::to_string(v.number); }
        std::string operator()(const SerialNumberLine& s) const
        {
            return "SNr=" + s.SNr + " Rec=" + s.Rec + (s.datenSperre ? " D" : "") + (s.transferSperre ? " T" : "");
        }
        std::string operator()(const DeviceNameLine& d) const { return "Art=" + d.name; }
    };
    return std::visit(Describe {}, line);
}

} // namespace

TEST(StatusLineParser, ReadsEveryKindOfLineAndIgnoresTheRest)
{
    struct Case {
        std::string line;
        std::string parsed;
    };
    const std::vector<Case> cases = {
        { "AP:KV 2.31", "AP=KV 2.31" },
        { "OS:3.10", "OS=3.10" },
        { "DS:1.2", "DS=1.2" },
        { "BP:0.99", "BP=0.99" },
        { "LB:x", "LB=x" },
        { "AP", "AP=" },
        { "APX", "AP=" }, // the separator is not examined
        { "AX:1.0", "ignored" }, // a version letter followed by another character
        { "A", "ignored" },
        { "L", "ignored" },
        { "V31", "V=31" },
        { "V20", "V=20" },
        { "V3", "V=3" },
        { "Vxy", "V=20" },
        { "V", "V=20" },
        { "V 7", "V=7" },
        { "S/N:123456     00042 T1", "SNr=123456 Rec=00042 D" },
        { "S/N:123456     00042 T2", "SNr=123456 Rec=00042 T" },
        { "S/N:123456     00042 T3", "SNr=123456 Rec=00042 D T" },
        { "S/N:123456     00042 T0", "SNr=123456 Rec=00042" },
        { "S/N:12", "SNr=12 Rec=" },
        { "SX:123456", "ignored" },
        { "S", "ignored" },
        { "KT 300 Terminal", "Art=KT 300 Terminal" },
        { "M\xFC"
          "ller",
            "Art=M\xFC"
            "ller" },
        { std::string(28, 'K'), "Art=" + std::string(25, 'K') }, // cut to the field
        { std::string(29, 'K'), "ignored" },
        { "AP:" + std::string(26, '1'), "ignored" },
        { "", "ignored" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(describe(parseStatusLine(c.line)), c.parsed);
    }
}

TEST(TimePageLineParser, TakesDateTimeLinesAndSerialNumbers)
{
    struct Case {
        std::string line;
        std::string kind; // "time", "serial" or "ignored"
    };
    const std::vector<Case> cases = {
        { "MO 18.03.24 14:30:00", "time" }, { "MO 18.03.2024 14:30:00", "time" },
        { "MO 18.03.24  14:30:00", "ignored" }, // ':' at 16
        { "MO18.03.24 14:30:00", "ignored" }, // '.' at 5
        { "S/N:123456     00000 T0", "serial" }, { "S/X:123456", "ignored" }, { "AP:1.0", "ignored" },
        { "MO 18.03.2024 14:30:00.1234567", "ignored" }, // 29 characters and more
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const TimePageLine parsed = parseTimePageLine(c.line);
        const std::string kind = std::holds_alternative<DateTimeLine>(parsed) ? "time"
            : std::holds_alternative<SerialNumberLine>(parsed)                ? "serial"
                                                                              : "ignored";
        EXPECT_EQ(kind, c.kind);
    }
}

TEST(TerminalDateTime, ATwoDigitYearGetsItsCentury)
{
    const TerminalDateTime shortYear = splitTerminalDateTime("MO 18.03.24 14:30:00");
    EXPECT_EQ(shortYear.date, "18.03.2024");
    EXPECT_EQ(shortYear.time, "14:30:00");
    const TerminalDateTime longYear = splitTerminalDateTime("MO 18.03.2024 14:30:05");
    EXPECT_EQ(longYear.date, "18.03.2024");
    EXPECT_EQ(longYear.time, "14:30:05");
    const TerminalDateTime cut = splitTerminalDateTime("MO 18.0");
    EXPECT_EQ(cut.date, "18.0");
    EXPECT_EQ(cut.time, "");
}

TEST(RecordCount, NonNumbersCountAsZero)
{
    EXPECT_EQ(numberOrZero("00042"), 42);
    EXPECT_EQ(numberOrZero("   42"), 42);
    EXPECT_EQ(numberOrZero("00000"), 0);
    EXPECT_EQ(numberOrZero("4 2"), 0);
    EXPECT_EQ(numberOrZero("-0001"), -1);
    EXPECT_EQ(numberOrZero(""), 0);
    EXPECT_EQ(numberOrZero("99999999999"), 0);
}

TEST(SetTimeCommand, CarriesTheGermanWeekdayAndTwelveDigits)
{
    EXPECT_EQ(setTimeCommand({ 2024, 3, 18, 14, 30, 0 }), "SETTIM:MO180324143000\r");
    EXPECT_EQ(setTimeCommand({ 2024, 3, 17, 23, 59, 59 }), "SETTIM:SO170324235959\r");
    EXPECT_EQ(setTimeCommand({ 2024, 3, 23, 0, 0, 1 }), "SETTIM:SA230324000001\r");
    const std::vector<std::string> codes = { "SO", "MO", "DI", "MI", "DO", "FR", "SA" };
    for (int day = 0; day < 7; ++day)
        EXPECT_EQ(weekdayCode(day), codes[static_cast<std::size_t>(day)]);
}
