#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/VirtualLoop.h"
#include "station/FileTestSupport.h"
#include "station/NamingTestSupport.h"
#include "station/ReceivedDataStore.h"

using namespace talvix;
using namespace std::chrono_literals;
using talvix::test::exists;
using talvix::test::FakeNamingStation;
using talvix::test::FileSizeLimit;
using talvix::test::readFile;
using talvix::test::TempDir;
using talvix::test::writeFile;

namespace {

class ReceivedDataStoreTest : public ::testing::Test {
protected:
    ReceivedDataStoreTest() { std::filesystem::create_directories(data); }

    void build(const std::string& pattern)
    {
        settings.EditDataPath = data;
        settings.EditDataFileName = pattern;
        ASSERT_TRUE(naming.CreatePathAndFileName().DataPathUsable);
    }
    // A received file in the temporary folder, as the transfer leaves it.
    std::string received(const std::string& bytes)
    {
        const std::string path = dir / ("$" + std::to_string(++receptions) + ".tmp");
        writeFile(path, bytes);
        return path;
    }
    DataListSaveResult store(const std::string& bytes) { return storeWith(false, received(bytes)); }
    DataListSaveResult storeWith(bool ctrlFiles, const std::string& rcvFile)
    {
        ReceivedDataStore dataStore(naming, settings, loop, ctrlFiles,
            [this](int level, const std::string& line) { log.push_back(std::to_string(level) + " " + line); });
        return dataStore.DataListSave(rcvFile);
    }
    // Everything below the scratch folder, for "nothing landed elsewhere".
    std::vector<std::string> allFiles() const
    {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path()))
            if (entry.is_regular_file())
                files.push_back(entry.path().string().substr(dir.path().size() + 1));
        std::sort(files.begin(), files.end());
        return files;
    }

    TempDir dir;
    std::string data = dir / "daten";
    StationSettings settings;
    FakeNamingStation station;
    TargetFileNaming naming { settings, station, dir.path() };
    VirtualLoop loop;
    std::vector<std::string> log;
    int receptions = 0;
};

const std::string kFill(77, '\x1A');

} // namespace

TEST_F(ReceivedDataStoreTest, CleansStraightOntoTheEndOfTheTarget)
{
    struct Case {
        const char* what;
        bool stx;
        bool etx;
        TLineSeparator lineEnd;
        std::string input;
        std::string appended;
        int lines;
    };
    const std::vector<Case> cases = {
        { "header kept, footer dropped, fill removed", true, false, lsCRLF,
            "%%STX/0001/004711/20240601/inv.txt\r\nr1\r\nr2\r\n%%ETX 2\r\n" + kFill,
            "%%STX/0001/004711/20240601\r\nr1\r\nr2\r\n", 3 },
        { "header dropped, footer kept", false, true, lsCRLF, "%%STX/a/b/c/n\r\nr1\r\n%%ETX\r\n", "r1\r\n%%ETX\r\n",
            2 },
        { "lf line ends, mixed input, empty lines", true, true, lsLF, "r1\r\n\r\nr2\nr3\rr4", "r1\nr2\nr3\nr4\n", 4 },
        { "cr line ends", true, true, lsCR, "r1\r\nr2\r\n", "r1\rr2\r", 2 },
        { "a fill byte inside the data stays", true, true, lsCRLF,
            "a\x1A"
            "b\r\n"
                + kFill,
            "a\x1A"
            "b\r\n",
            1 },
        { "nothing but fill", true, true, lsCRLF, kFill, "", 0 },
    };
    build("Talvix.txt");
    const std::string target = data + "/Talvix.txt";
    writeFile(target, "old\r\n");
    for (const Case& c : cases) {
        settings.STXCheck = c.stx;
        settings.ETXCheck = c.etx;
        settings.LineSeparator = c.lineEnd;
        const std::string before = readFile(target);
        log.clear();
        const std::string rcvFile = received(c.input);
        EXPECT_TRUE(storeWith(false, rcvFile).Stored) << c.what;
        EXPECT_EQ(readFile(target), before + c.appended) << c.what;
        EXPECT_EQ(log, (std::vector<std::string> { "5 append file: " + target + " /" + std::to_string(c.lines) }))
            << c.what;
        EXPECT_EQ(readFile(rcvFile), c.input) << c.what << ": the received file is the caller's";
    }
}

TEST_F(ReceivedDataStoreTest, NumberedTargetsAdvanceWithEachStore)
{
    build("D#.TXT");
    EXPECT_TRUE(store("a\r\n").Stored);
    EXPECT_TRUE(store("b\r\n").Stored);
    EXPECT_EQ(readFile(data + "/D0.TXT"), "a\r\n");
    EXPECT_EQ(readFile(data + "/D1.TXT"), "b\r\n");
    EXPECT_EQ(naming.FileExtNo, 2);
    EXPECT_EQ(log,
        (std::vector<std::string> {
            "5 create file: " + data + "/D0.TXT /1", "5 create file: " + data + "/D1.TXT /1" }));
    // The main window shows the file that comes next; with the serial-number setting the station
    // shows the file just stored.
    EXPECT_EQ(naming.SizeDisplay.MainWindowPanel, (SizePanel { "0", "[hintLbl_FileSize]: ..\\D2.TXT" }));
    settings.ZielDateiGroup = 1;
    build("D#.TXT");
    EXPECT_TRUE(store("cc\r\n").Stored);
    EXPECT_EQ(naming.SizeDisplay.StationPanel, (SizePanel { "4", "[hintLbl_FileSize] " + data + "/D2.TXT" }));
}

TEST_F(ReceivedDataStoreTest, ATakenNextNumberIsReportedAfterStoringAndStopsTheNextStore)
{
    writeFile(data + "/D2.TXT", "x\r\n");
    writeFile(data + "/D0.TXT", "x\r\n");
    build("D#.TXT"); // series 0, next 1
    ASSERT_EQ(naming.FileExtNo, 1);
    const DataListSaveResult first = store("a\r\n");
    EXPECT_TRUE(first.Stored);
    ASSERT_TRUE(first.FileExists);
    EXPECT_EQ(first.FileExists->Message, "[msg_FileExists]\rD#.TXT");
    EXPECT_EQ(naming.FileExtNo, -1);

    log.clear();
    const std::string rcvFile = received("b\r\n");
    EXPECT_FALSE(storeWith(false, rcvFile).Stored);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(readFile(data + "/D2.TXT"), "x\r\n");
    EXPECT_EQ(readFile(rcvFile), "b\r\n");
}

TEST_F(ReceivedDataStoreTest, HeaderNamesChooseTheTargetInsideTheDataFolder)
{
    struct Case {
        bool fullName;
        std::string pattern;
        std::string header;
        std::string target;
    };
    const std::vector<Case> cases = {
        { true, "D#.TXT", "%%STX/A/B/C/sub\\list.txt", "sub/list.txt" },
        { true, "D#.TXT", "%%STX/A/B/C/new\\deeper\\list.txt", "new/deeper/list.txt" },
        { true, "D#.TXT", "%%STX/A/B/C/x\\..\\..\\..\\etc\\y", "x/etc/y" },
        { true, "D#.TXT", "%%STX/A/B/C//etc/passwd", "etc/passwd" },
        { false, "%F", "%%STX/A/B/C/..\\..\\evil.txt", "evil.txt" },
        { false, "%F", "%%STX/A/B/C/sub2\\f.txt", "sub2/f.txt" },
    };
    for (const Case& c : cases) {
        settings.STXFullFilename = c.fullName;
        build(c.pattern);
        log.clear();
        EXPECT_TRUE(store(c.header + "\r\nrec\r\n").Stored) << c.header;
        EXPECT_TRUE(exists(data + "/" + c.target)) << c.header;
        EXPECT_EQ(readFile(data + "/" + c.target), c.header.substr(0, c.header.find("/C/") + 2) + "\r\nrec\r\n");
    }
    for (const std::string& file : allFiles())
        EXPECT_TRUE(file.starts_with("daten/") || file.starts_with("$")) << file;
}

TEST_F(ReceivedDataStoreTest, AFailedAppendLeavesTheTargetAsItWas)
{
    build("Talvix.txt");
    const std::string target = data + "/Talvix.txt";
    writeFile(target, "kept\r\n");
    const std::string big(64 * 1024, 'r');
    const std::string rcvFile = received(big + "\r\n" + big + "\r\n");
    {
        const FileSizeLimit limit(32 * 1024);
        EXPECT_FALSE(storeWith(false, rcvFile).Stored);
    }
    EXPECT_EQ(readFile(target), "kept\r\n");
    EXPECT_EQ(log, (std::vector<std::string> { "5 Error: cannot create file: " + target }));

    // A target that is not created when nothing could be appended.
    build("New.txt");
    {
        const FileSizeLimit limit(32 * 1024);
        EXPECT_FALSE(storeWith(false, rcvFile).Stored);
    }
    EXPECT_FALSE(exists(data + "/New.txt"));
}

TEST_F(ReceivedDataStoreTest, AMissingReceivedFileOrAnUnwritableTargetIsNotStored)
{
    build("Talvix.txt");
    EXPECT_FALSE(storeWith(false, dir / "$none.tmp").Stored);
    EXPECT_FALSE(exists(data + "/Talvix.txt"));

    std::filesystem::create_directories(data + "/Dir.txt");
    build("Dir.txt");
    log.clear();
    EXPECT_FALSE(store("r\r\n").Stored);
    EXPECT_EQ(log, (std::vector<std::string> { "5 Error: cannot create file: " + data + "/Dir.txt" }));
}

TEST_F(ReceivedDataStoreTest, ControlFilesAroundTheAppendAndTheWaitForAHoldFile)
{
    build("Talvix.txt");
    const std::string writing = data + "Talvix.~CL";
    const std::string hold = data + "Talvix.~HL";
    EXPECT_EQ(naming.ControlFile(".~CL"), writing);

    // The reading program removes its hold file after 3 seconds.
    writeFile(hold, "");
    bool writingShown = false;
    const auto reader = loop.callLater(3s, [&] {
        writingShown = exists(writing);
        std::filesystem::remove(hold);
    });
    EXPECT_TRUE(storeWith(true, received("a\r\n")).Stored);
    EXPECT_EQ(loop.now(), 3s);
    EXPECT_TRUE(writingShown);
    EXPECT_FALSE(exists(writing));
    EXPECT_EQ(readFile(data + "/Talvix.txt"), "a\r\n");

    // A hold file that stays is deleted after 10 seconds, and the data are stored.
    writeFile(hold, "");
    EXPECT_TRUE(storeWith(true, received("b\r\n")).Stored);
    EXPECT_EQ(loop.now(), 13s);
    EXPECT_FALSE(exists(hold));
    EXPECT_FALSE(exists(writing));
    EXPECT_EQ(readFile(data + "/Talvix.txt"), "a\r\nb\r\n");

    // Without the setting nothing waits and no control file is made.
    writeFile(hold, "");
    EXPECT_TRUE(storeWith(false, received("c\r\n")).Stored);
    EXPECT_EQ(loop.now(), 13s);
    EXPECT_TRUE(exists(hold));
}
