// The main window run without a window, under virtual time with fake stations over a real
// settings file: what the non-interactive answers mean for starting and ending.

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "../MainFormFakes.h"
#include "platform/VirtualLoop.h"
#include "shell/headless/HeadlessProgram.h"
#include "support/TempDir.h"

using namespace talvix;
using namespace talvix::test;

namespace {

class ThrowingStationFactory : public StationFactory {
public:
    std::unique_ptr<StationHandle> CreateStation(TMainForm&) override
    {
        throw std::runtime_error("stations are not available");
    }
    std::unique_ptr<StationHandle> CreateUSB(TMainForm& owner, int, const std::string&) override
    {
        return CreateStation(owner);
    }
};

class HeadlessProgramTest : public ::testing::Test {
protected:
    std::string ini() const { return root / "prog/Talvix5.ini"; }

    void writeSettings(const std::string& mainWnd)
    {
        std::filesystem::create_directories(root / "log");
        WriteFile(ini(),
            "[MainWnd]\nLogLevel=2\nLogPath=" + (root / "log/") + "\n" + mainWnd
                + "[STATION1]\nLabel=a\n[STATION2]\nLabel=b\n");
    }
    std::unique_ptr<HeadlessProgram> program(StationFactory& stations)
    {
        return std::make_unique<HeadlessProgram>(
            HeadlessServices { loop, dialogs, stations, processes }, root / "prog", "");
    }
    std::string logText()
    {
        std::string all;
        for (const auto& entry : std::filesystem::directory_iterator(root / "log"))
            all += ReadFile(entry.path());
        return all;
    }

    TempDir root;
    VirtualLoop loop;
    RecordingProcesses processes;
    FakeStationFactory factory;
    std::ostringstream notices;
    HeadlessDialogs dialogs { notices };
};

struct PasswordCase {
    const char* name;
    std::string password;
    bool saved;
    friend void PrintTo(const PasswordCase& c, std::ostream* os) { *os << c.name; }
};

class ClosingBehindThePassword : public HeadlessProgramTest, public ::testing::WithParamInterface<PasswordCase> { };

// A station's changed settings are saved at the end only when no password guards the save.
TEST_P(ClosingBehindThePassword, SavesOnlyWithoutPassword)
{
    writeSettings("Version=500\nChildNo=2\nPassword=" + GetParam().password + "\n");
    const std::string before = ReadFile(ini());
    auto headless = program(factory);
    ASSERT_TRUE(headless->start());
    ASSERT_EQ(factory.made.size(), 2u);
    factory.made[1]->label = "changed";
    factory.made[1]->modify = true;
    headless->close();

    EXPECT_EQ(factory.journal, (std::vector<std::string> { "close changed", "close a" }));
    const std::string after = ReadFile(ini());
    EXPECT_EQ(after.find("Label=changed") != std::string::npos, GetParam().saved);
    if (!GetParam().saved) {
        EXPECT_EQ(after, before);
    }
    EXPECT_EQ(notices.str().find("password asked for, refused") != std::string::npos, !GetParam().saved);
    EXPECT_NE(logText().find("close Talvix"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Password, ClosingBehindThePassword,
    ::testing::Values(PasswordCase { "None", "", true }, PasswordCase { "Set", "geheim", false }),
    [](const auto& c) { return std::string(c.param.name); });

TEST_F(HeadlessProgramTest, AStationThatCannotBeCreatedEndsTheProgramWithoutTouchingTheSettings)
{
    // A file this old would be rewritten at the first showing, with only the stations loaded.
    writeSettings("Version=400\nChildNo=2\n");
    const std::string before = ReadFile(ini());
    ThrowingStationFactory unavailable;
    {
        auto headless = program(unavailable);
        EXPECT_FALSE(headless->start());
        headless->close();
    }
    EXPECT_EQ(notices.str(), "talvix5: stations are not available\n");
    EXPECT_EQ(ReadFile(ini()), before);
}

TEST_F(HeadlessProgramTest, WithoutSettingsFileTheStartFailsWithTheMessage)
{
    auto headless = program(factory);
    EXPECT_FALSE(headless->start());
    EXPECT_EQ(notices.str(), "talvix5: Initialization File not found!\n");
}

TEST_F(HeadlessProgramTest, AProgramLeftWithoutCloseStillEndsInOrder)
{
    writeSettings("Version=500\nChildNo=2\n");
    program(factory)->start();
    EXPECT_EQ(factory.journal, (std::vector<std::string> { "close b", "close a" }));
    EXPECT_NE(logText().find("close Talvix"), std::string::npos);
}

} // namespace
