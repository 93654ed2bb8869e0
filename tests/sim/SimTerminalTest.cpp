#include <gtest/gtest.h>

#include "sim/SimAnswers.h"
#include "sim/SimTerminalFixture.h"

using namespace talvix;
using namespace talvix::sim;
using namespace std::chrono_literals;
using SimTerminalTest = talvix::test::SimTerminalFixture;

TEST_F(SimTerminalTest, AnswersTheStatusPollAfterTheOnBytesCallHasReturned)
{
    terminal.setData("a\r\nb\r\n");
    received.clear();
    terminal.onBytes("V\rS\r\x11");
    EXPECT_EQ(received, "") << "no byte may leave from inside onBytes";
    loop.advance(0ms);
    EXPECT_EQ(received, statusAnswer(terminal.config()) + serialLine("123456", 2, LockFlag::T0));
}

TEST_F(SimTerminalTest, AnswerDelayHoldsEveryAnswerAndKeepsTheirOrder)
{
    terminal.config().answerDelay = 300ms;
    terminal.onBytes("V\r");
    terminal.config().answerDelay = 0ms;
    terminal.onBytes("S\r");
    loop.advance(299ms);
    EXPECT_EQ(received, "");
    loop.advance(1ms);
    EXPECT_EQ(received, statusAnswer(terminal.config()) + serialLine("123456", 0, LockFlag::T0));
}

TEST_F(SimTerminalTest, RecordsEveryCommandAsTheStationFramedIt)
{
    const std::string reset = CommandLineReader::resetSequence;
    terminal.onBytes(reset + "V\rS\r\x11V\rS\r\x11");
    terminal.onBytes("\rT1\rCLRMEM\r\r\r");
    terminal.onBytes(std::string(2000, 'x')); // line noise without a CR: dropped whole
    terminal.onBytes("\rSETTIM:MO180324143000\r\x18\x18\x18\r");
    EXPECT_EQ(terminal.commands(),
        (std::vector<std::string> {
            reset, "V", "S", "V", "S", "T1", "CLRMEM", "SETTIM:MO180324143000", "\x18\x18\x18" }));
}

TEST_F(SimTerminalTest, CommandsChangeWhatTheTerminalReports)
{
    struct Step {
        std::string command;
        std::string flag; // lock flag of the following S/N line
        std::string serial; // columns 5-10
        std::string records;
    };
    terminal.setData("1\r\n2\r\n3\r\n");
    const Step steps[] = {
        { "S", "T0", "123456", "00003" },
        { "T1", "T1", "123456", "00003" },
        { "T0", "T0", "123456", "00003" },
        { "T1", "T1", "123456", "00003" },
        { "CLRMEM", "T0", "123456", "00000" },
        { "S/N:42", "T0", "000042", "00000" },
        { "S/N:1234567", "T0", "000042", "00000" },
        { "S/N:", "T0", "000000", "00000" },
    };
    for (const auto& s : steps) {
        exchange(s.command + "\r");
        const std::string line = serialAnswer();
        EXPECT_EQ(columns(line, 22, 23), s.flag) << s.command;
        EXPECT_EQ(columns(line, 5, 10), s.serial) << s.command;
        EXPECT_EQ(columns(line, 16, 20), s.records) << s.command;
    }
}

TEST_F(SimTerminalTest, AnInhibitSetOnTheTerminalSurvivesLockAndClear)
{
    terminal.config().lock = LockFlag::T2;
    exchange("T1\r");
    EXPECT_EQ(lockFlag(), "T3");
    exchange("CLRMEM\r");
    EXPECT_EQ(lockFlag(), "T2");
    exchange("T0\r");
    EXPECT_EQ(lockFlag(), "T0");
}

TEST_F(SimTerminalTest, ClockIsSetBySettimAndRunsOn)
{
    EXPECT_EQ(exchange("T\r"), "MO 18.03.24 14:30:00\r\n");
    exchange("SETTIM:FR010399235958\r"); // 1 March 2099 is a Sunday: the clock knows better
    EXPECT_EQ(exchange("T\r"), "SO 01.03.99 23:59:58\r\n");
    loop.advance(3s);
    EXPECT_EQ(exchange("T\r"), "MO 02.03.99 00:00:01\r\n");
    exchange("SETTIM:MO320324143000\r"); // no 32 March: ignored
    EXPECT_EQ(exchange("T\r"), "MO 02.03.99 00:00:01\r\n");
}

TEST_F(SimTerminalTest, UpdateAcceptanceSetsTheOddGeneration)
{
    terminal.config().generation = 30;
    exchange("UA\r");
    EXPECT_NE(statusPoll().find("V31\r\n"), std::string::npos);
}

TEST_F(SimTerminalTest, BootProgramAnswersOnlyBpAndSerialNumberAndObeysNothingElse)
{
    terminal.setData("1\r\n");
    exchange("T1\rBP\r");
    EXPECT_EQ(statusPoll(), "BP: BOOT1 1.00\r\n" + serialLine("123456", 1, LockFlag::T1));
    EXPECT_EQ(exchange("T\rT0\rCLRMEM\rS/N:777\r"), "");
    EXPECT_EQ(serialAnswer(), serialLine("123456", 1, LockFlag::T1));
}

TEST_F(SimTerminalTest, ErrorLogIsClearedByClrerr)
{
    terminal.setFile(SimTerminal::errorLogName, "E01\r\n");
    terminal.setFile("DIR.SYS", "A\r\n");
    exchange("CLRERR\r");
    EXPECT_EQ(terminal.files().count(SimTerminal::errorLogName), 0u);
    EXPECT_EQ(terminal.files().count("DIR.SYS"), 1u);
}

TEST_F(SimTerminalTest, SilentTerminalHearsButNeitherAnswersNorObeys)
{
    terminal.config().silent = true;
    EXPECT_EQ(statusPoll(), "");
    exchange("T1\r");
    terminal.config().silent = false;
    EXPECT_EQ(lockFlag(), "T0");
    EXPECT_EQ(terminal.commands(), (std::vector<std::string> { "V", "S", "T1", "S" }));
}

TEST_F(SimTerminalTest, LineNoiseCorruptsAndDropsBytesByTheirCountOverTheWholeOutput)
{
    std::string clean = statusPoll();
    clean += statusPoll();
    terminal.config().noise = LineNoise { 5, 0 };
    std::string corrupted = statusPoll();
    corrupted += statusPoll();
    ASSERT_EQ(corrupted.size(), clean.size());
    for (std::size_t i = 0; i < clean.size(); ++i) {
        const bool hit = (clean.size() + i + 1) % 5 == 0;
        EXPECT_EQ(corrupted[i], hit ? static_cast<char>(~clean[i]) : clean[i]) << i;
    }
    terminal.config().noise = LineNoise { 0, 3 };
    const std::string onePoll = clean.substr(0, clean.size() / 2);
    std::size_t count = 2 * clean.size();
    std::string thinned;
    for (char c : onePoll)
        if (++count % 3 != 0)
            thinned += c;
    EXPECT_EQ(statusPoll(), thinned);
}
