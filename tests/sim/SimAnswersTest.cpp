#include <gtest/gtest.h>

#include <sstream>

#include "sim/SimAnswers.h"
#include "sim/SimRecords.h"

using namespace talvix;
using namespace talvix::sim;

namespace {

// Columns as the station reads them: 1-based, inclusive.
std::string columns(const std::string& line, std::size_t from, std::size_t to)
{
    return line.substr(from - 1, to - from + 1);
}

std::vector<std::string> linesOf(const std::string& answer)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = answer.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(answer.substr(start, end - start));
    EXPECT_EQ(start, answer.size()) << "answer does not end with CR LF";
    return lines;
}

} // namespace

TEST(SimAnswers, SerialLineCarriesItsFieldsAtTheColumnsTheStationReads)
{
    struct Case {
        std::string serial;
        long long records;
        LockFlag lock;
        std::string sn, rec, flag;
    };
    const Case cases[] = {
        { "123456", 42, LockFlag::T0, "123456", "00042", "T0" },
        { "42", 0, LockFlag::T1, "000042", "00000", "T1" },
        { "", 99999, LockFlag::T2, "000000", "99999", "T2" },
        { "1234567", 123456, LockFlag::T3, "123456", "99999", "T3" },
    };
    for (const auto& c : cases) {
        const auto lines = linesOf(serialLine(c.serial, c.records, c.lock));
        ASSERT_EQ(lines.size(), 1u);
        const std::string& line = lines[0];
        EXPECT_EQ(line.substr(0, 4), "S/N:");
        EXPECT_EQ(columns(line, 5, 10), c.sn);
        EXPECT_EQ(columns(line, 16, 20), c.rec);
        EXPECT_EQ(columns(line, 22, 23), c.flag);
        EXPECT_LT(line.size(), 29u);
    }
}

TEST(SimAnswers, ClockLineHasItsSeparatorsWhereTheUtilitiesPageLooksForThem)
{
    const LocalDateTime monday { 2024, 3, 18, 14, 30, 5 };
    const LocalDateTime sunday { 2024, 3, 17, 9, 5, 0 };
    struct Case {
        LocalDateTime t;
        int generation;
        std::string line;
        std::size_t colon;
    };
    const Case cases[] = {
        { monday, 20, "MO 18.03.24 14:30:05", 15 },
        { monday, 31, "MO 18.03.2024 14:30:05", 17 },
        { sunday, 28, "SO 17.03.24 09:05:00", 15 },
    };
    for (const auto& c : cases) {
        const auto lines = linesOf(clockLine(c.t, c.generation));
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], c.line);
        EXPECT_EQ(lines[0].find('.') + 1, 6u);
        EXPECT_EQ(lines[0].find(':') + 1, c.colon);
    }
}

TEST(SimAnswers, StatusAnswerHasOneLineForEachTextSetAndOnlyBpInTheBootProgram)
{
    SimTerminalConfig config;
    EXPECT_EQ(linesOf(statusAnswer(config)),
        (std::vector<std::string> { "MDE TX5 SIM", "AP: SCAN1 1.23", "OS: OSYS1 1.05", "DS: DECOD 1.00",
            "BP: BOOT1 1.00", "LB: LB001 1.00", "V20" }));
    config.lb.clear();
    config.generation = 31;
    EXPECT_EQ(linesOf(statusAnswer(config)).back(), "V31");
    EXPECT_EQ(linesOf(statusAnswer(config)).size(), 6u);
    config.bootProgram = true;
    EXPECT_EQ(linesOf(statusAnswer(config)), (std::vector<std::string> { "BP: BOOT1 1.00" }));
}

TEST(SimAnswers, CommandArguments)
{
    struct SerialCase {
        std::string argument;
        std::optional<std::string> serial;
    };
    const SerialCase serials[] = { { "654321", "654321" }, { "7", "000007" }, { "", "000000" },
        { "1234567", std::nullopt }, { "12a", std::nullopt } };
    for (const auto& c : serials)
        EXPECT_EQ(parseSerialNumber(c.argument), c.serial) << c.argument;

    struct TimeCase {
        std::string argument;
        bool valid;
    };
    const TimeCase times[] = {
        { "MO180324143000", true },
        { "SA290224235959", true },
        { "XX180324143000", false },
        { "MO290223120000", false },
        { "MO180324240000", false },
        { "MO18032414300", false },
        { "MO1803241430a0", false },
    };
    for (const auto& c : times)
        EXPECT_EQ(parseSetTime(c.argument).has_value(), c.valid) << c.argument;
    EXPECT_EQ(*parseSetTime("MO180324143000"), (LocalDateTime { 2024, 3, 18, 14, 30, 0 }));
}

TEST(SimRecords, GeneratedBlocksAreFramedAndCounted)
{
    const LocalDateTime at { 2024, 3, 18, 14, 30, 0 };
    RecordFormat named { true, "sub\\list.txt", true };
    const std::string block = generateRecordBlock(named, "123456", at, 1, 3);
    const auto lines = linesOf(block);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "%%STX/123456/180324/143000/sub\\list.txt");
    EXPECT_EQ(lines[1], "000001;4000000000013;1");
    EXPECT_EQ(lines[4], "%%ETX 00003");
    EXPECT_EQ(countRecords(block), 3);

    const std::string bare = generateRecordBlock(RecordFormat { false, "", false }, "1", at, 10, 2);
    EXPECT_EQ(linesOf(bare), (std::vector<std::string> { "000010;4000000000105;1", "000011;4000000000112;1" }));
    EXPECT_EQ(generateRecordBlock(RecordFormat {}, "1", at, 1, 1).substr(0, 26), "%%STX/000001/180324/143000");

    struct CountCase {
        std::string file;
        long long records;
    };
    const CountCase counts[] = { { "", 0 }, { "a\r\nb\r\n", 2 }, { "a\r\n\r\n\r\nb", 2 },
        { "%%STX/x\r\na\r\n%%ETX\r\n%%STX\r\nb\r\n", 2 }, { "a\nb\rc", 3 } };
    for (const auto& c : counts)
        EXPECT_EQ(countRecords(c.file), c.records) << c.file;
}
