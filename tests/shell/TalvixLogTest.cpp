#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/VirtualLoop.h"
#include "shell/TalvixLog.h"
#include "support/TempDir.h"

using namespace talvix;
using namespace std::chrono_literals;
using talvix::test::FileExists;
using talvix::test::ReadFile;
using talvix::test::TempDir;
using talvix::test::WriteFile;

namespace {

// A log on a driven clock, started on 5 March 2024 at 14:03:07 unless a test says otherwise.
class LogTest : public ::testing::Test {
protected:
    LogTest() { std::filesystem::create_directory(folder()); }

    std::string folder() const { return dir / "log"; }
    std::string file(const std::string& name) const { return folder() + "/" + name; }
    std::string start(int level, int delimiter = 32, int validity = 30,
                      const LocalDateTime& at = LocalDateTime{2024, 3, 5, 14, 3, 7})
    {
        loop.setLocalTime(at);
        return log.start(LogSettings{level, delimiter, folder(), validity});
    }
    std::string written(const std::string& name = "2024-03-05.log")
    {
        log.waitUntilWritten();
        return ReadFile(file(name));
    }
    // The test's own station lines at each level of the scheme.
    void stationLinesAtEveryLevel()
    {
        for (int level : {1, 2, 4, 5, 9})
            log.StationLine(3, level, "123456", "00042", "level " + std::to_string(level));
    }

    TempDir dir;
    VirtualLoop loop;
    TalvixLog log{loop};
};

} // namespace

TEST_F(LogTest, LinesHaveSixFieldsWithReplacedShortNumbers)
{
    EXPECT_EQ(start(1), "");
    loop.advance(5s);
    log.AddMsg2Log(7, 1, "12345", "1234", "five and four");
    log.AddMsg2Log(-2, 1, "123456", "00042", "usb");
    log.AddMsg2Log(0, 12, "1234567", "123456", "long");
    EXPECT_EQ(written(), "14:03:07 0 00 000000 00000 start Talvix\r\n"
                         "14:03:12 7 01 000000 00000 five and four\r\n"
                         "14:03:12 -2 01 123456 00042 usb\r\n"
                         "14:03:12 0 12 1234567 123456 long\r\n");
}

TEST_F(LogTest, TheDelimiterIsACharacterCode)
{
    start(2, 59);
    log.MainWindowLine("USB-Device Removed:X");
    EXPECT_EQ(written(), "14:03:07;0;00;000000;00000;start Talvix\r\n14:03:07;0;00;000000;00000;USB-Device Removed:X\r\n");
}

TEST_F(LogTest, ADelimiterThatWouldBreakTheLineIsABlank)
{
    start(1, 10);
    EXPECT_EQ(written(), "14:03:07 0 00 000000 00000 start Talvix\r\n");
}

namespace {

struct LevelCase {
    int logLevel;
    std::vector<int> stationLevelsWritten;
    bool mainWindowLines;
};

class LogLevelTest : public LogTest, public ::testing::WithParamInterface<LevelCase> {};

} // namespace

TEST_P(LogLevelTest, StationLinesPassTheThresholdAndMainWindowLinesOnlyAtOneAndTwo)
{
    start(GetParam().logLevel);
    log.MainWindowLine("USB-Device Connected:X Index:-1");
    stationLinesAtEveryLevel();
    std::string expected;
    if (GetParam().mainWindowLines)
        expected += "14:03:07 0 00 000000 00000 start Talvix\r\n14:03:07 0 00 000000 00000 USB-Device Connected:X Index:-1\r\n";
    for (int level : GetParam().stationLevelsWritten)
        expected += "14:03:07 3 01 123456 00042 level " + std::to_string(level) + "\r\n";
    EXPECT_EQ(written(), expected);
}

INSTANTIATE_TEST_SUITE_P(Levels, LogLevelTest,
                         ::testing::Values(LevelCase{1, {1, 2, 4, 5, 9}, true}, LevelCase{2, {2, 4, 5, 9}, true},
                                           LevelCase{3, {4, 5, 9}, false}, LevelCase{5, {5, 9}, false},
                                           LevelCase{9, {9}, false}));

TEST_F(LogTest, LevelZeroWritesNothingAndNeedsNoFolder)
{
    std::filesystem::remove(folder());
    EXPECT_EQ(start(0), "");
    log.MainWindowLine("start Talvix");
    log.AddMsg2Log(0, 0, "", "", "x");
    stationLinesAtEveryLevel();
    log.shutdown();
    EXPECT_FALSE(std::filesystem::exists(folder()));
    EXPECT_EQ(log.LogLevel(), 0);
}

TEST_F(LogTest, AMissingFolderSwitchesLoggingOffForTheRun)
{
    std::filesystem::remove(folder());
    EXPECT_EQ(start(1), "Cannot create log file!");
    EXPECT_EQ(log.LogLevel(), 0);
    stationLinesAtEveryLevel();
    log.shutdown();
    EXPECT_FALSE(std::filesystem::exists(folder())); // never created by the program
}

TEST_F(LogTest, StationMessagesArePrintable)
{
    start(3);
    log.StationLine(1, 5, "123456", "00001", "create file: a\r\nb \xFC\x7F~");
    EXPECT_EQ(written(), "14:03:07 1 01 123456 00001 create file: a[0D][0A]b [FC]\x7F~\r\n");
}

TEST_F(LogTest, ExpiredFilesGoByTheDateInTheirName)
{
    // Today is 2024-03-05: 40, 31, 30 and 0 days back.
    const std::vector<std::string> gone = {"2024-01-25.log", "2024-02-03.log"};
    const std::vector<std::string> kept = {"2024-02-04.log", "2024-03-05.log", "2024-03-20.log", "notes.log",
                                           "2023-13-01.log", "2023-02-30.log", "x2023-01-01.log", "2023-01-01.txt",
                                           "2023_01_01.log"};
    for (const auto& name : gone)
        WriteFile(file(name), "old\r\n");
    for (const auto& name : kept)
        WriteFile(file(name), "old\r\n");
    WriteFile(file("2024-01-01.LOG"), "old\r\n");
    std::filesystem::create_directory(file("2024-01-02.log")); // a folder is no log file
    start(9);
    log.waitUntilWritten();
    for (const auto& name : gone)
        EXPECT_FALSE(FileExists(file(name))) << name;
    for (const auto& name : kept)
        EXPECT_TRUE(FileExists(file(name))) << name;
    EXPECT_FALSE(FileExists(file("2024-01-01.LOG")));
    EXPECT_TRUE(std::filesystem::is_directory(file("2024-01-02.log")));
    EXPECT_EQ(written(), "old\r\n"); // today's file is appended to
}

TEST(LogExpiry, TableOfDates)
{
    const LocalDateTime today{2024, 3, 5};
    struct Case {
        const char* name;
        int validity;
        bool expired;
    };
    for (const Case& c : {Case{"2024-01-25.log", 30, true}, Case{"2024-02-03.log", 30, true},
                          Case{"2024-02-04.log", 30, false}, Case{"2024-03-05.log", 30, false},
                          Case{"2024-03-04.log", 0, true}, Case{"2024-03-05.log", 0, false},
                          Case{"2023-03-05 old.log", 30, true}, Case{"2024-02-29.log", 4, true}, Case{"2024-02-29.log", 5, false},
                          Case{"2023-02-29.log", 5, false}, Case{"2024-03-05", 0, false}}) {
        EXPECT_EQ(IsExpiredLogFile(c.name, today, c.validity), c.expired) << c.name << " " << c.validity;
    }
}

TEST_F(LogTest, PastMidnightTheNewFileBeginsAtTheFirstCheck)
{
    WriteFile(file("2024-02-04.log"), "31 days before the new day\r\n");
    start(1, 32, 30, LocalDateTime{2024, 3, 5, 23, 59, 30});
    loop.advance(10s);
    log.AddMsg2Log(0, 0, "", "", "before midnight");
    loop.advance(30s); // 00:00:10, the check is still 20 s away
    log.AddMsg2Log(0, 0, "", "", "after midnight, before the check");
    EXPECT_TRUE(FileExists(file("2024-02-04.log")));
    loop.advance(20s); // 00:00:30: the check
    log.AddMsg2Log(0, 0, "", "", "after the check");
    log.shutdown();
    EXPECT_EQ(ReadFile(file("2024-03-05.log")), "23:59:30 0 00 000000 00000 start Talvix\r\n"
                                                "23:59:40 0 00 000000 00000 before midnight\r\n"
                                                "00:00:10 0 00 000000 00000 after midnight, before the check\r\n");
    EXPECT_EQ(ReadFile(file("2024-03-06.log")), "00:00:30 0 00 000000 00000 after the check\r\n"
                                                "00:00:30 0 00 000000 00000 close Talvix\r\n");
    EXPECT_FALSE(FileExists(file("2024-02-04.log"))); // expiry runs with every new day's file
}

TEST_F(LogTest, AFileThatCannotBeOpenedStopsTheWriterSilently)
{
    std::filesystem::create_directory(file("2024-03-05.log"));
    EXPECT_EQ(start(1, 32, 30, LocalDateTime{2024, 3, 5, 23, 59, 0}), "");
    log.AddMsg2Log(0, 0, "", "", "dropped");
    loop.advance(2min); // a new day: the writer stays stopped
    log.AddMsg2Log(0, 0, "", "", "dropped too");
    log.shutdown();
    EXPECT_FALSE(FileExists(file("2024-03-06.log")));
    EXPECT_EQ(log.LogLevel(), 1);
}

TEST_F(LogTest, AFileOf10MiBIsReopenedAtTheCheck)
{
    start(1);
    const std::string moved = dir / "moved.log";
    log.waitUntilWritten();
    std::filesystem::rename(file("2024-03-05.log"), moved);
    loop.advance(60s); // small: the writer keeps its open file
    log.AddMsg2Log(0, 0, "", "", "still the open file");
    log.waitUntilWritten();
    EXPECT_FALSE(FileExists(file("2024-03-05.log")));
    ::truncate(moved.c_str(), LogWriter::reopenSize);
    loop.advance(60s);
    log.AddMsg2Log(0, 0, "", "", "reopened");
    EXPECT_EQ(written(), "14:05:07 0 00 000000 00000 reopened\r\n");
    EXPECT_EQ(std::filesystem::file_size(moved), static_cast<std::uintmax_t>(LogWriter::reopenSize));
}

TEST_F(LogTest, ShutdownWritesEveryQueuedLineInOrderAndDropsLaterOnes)
{
    start(9);
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        log.StationLine(1, 9, "123456", "00001", "line " + std::to_string(i));
        expected += "14:03:07 1 01 123456 00001 line " + std::to_string(i) + "\r\n";
    }
    log.shutdown(); // no wait before: the shutdown itself drains
    log.StationLine(1, 9, "123456", "00001", "too late");
    log.AddMsg2Log(0, 0, "", "", "too late");
    EXPECT_EQ(ReadFile(file("2024-03-05.log")), expected);
}
