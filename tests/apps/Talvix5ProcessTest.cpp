// The built talvix5 run as a process: the headless run ended by a signal, and the runs that end
// at once (no settings file, no --headless, --help, --version).

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "Version.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

using namespace talvix::test;
using namespace std::chrono_literals;

namespace {

class Talvix5Process : public ::testing::Test {
protected:
    // Nothing of the user's own folders is touched: the data folder lies in the scratch folder.
    ChildProcess run(const std::vector<std::string>& arguments)
    {
        return ChildProcess(TALVIX5_BINARY, arguments, { "HOME=" + root.path(), "XDG_DATA_HOME=" + (root / "xdg") });
    }
    std::string logText() const
    {
        std::string all;
        for (const auto& entry : std::filesystem::directory_iterator(root / "log"))
            all += ReadFile(entry.path());
        return all;
    }

    TempDir root;
};

struct SignalCase {
    const char* name;
    int signalNumber;
    bool readerGone; // standard output closed by its reader before the signal
    friend void PrintTo(const SignalCase& c, std::ostream* os) { *os << c.name; }
};

class StoppedBySignal : public Talvix5Process, public ::testing::WithParamInterface<SignalCase> { };

TEST_P(StoppedBySignal, ClosesInOrderAndExitsWithZero)
{
    std::filesystem::create_directories(root / "log");
    const std::string settings = root / "Talvix5.ini";
    WriteFile(settings, "[MainWnd]\nVersion=500\nLogLevel=2\nLogPath=" + (root / "log/") + "\nChildNo=0\n");

    ChildProcess talvix5 = run({ "--headless", settings });
    ASSERT_TRUE(talvix5.waitForLine("talvix5 headless: running", 20s)) << talvix5.out() << talvix5.err();
    if (GetParam().readerGone)
        talvix5.closeOut();
    talvix5.signal(GetParam().signalNumber);
    EXPECT_EQ(talvix5.wait(20s), 0) << talvix5.err();
    if (!GetParam().readerGone) {
        const std::string stopping = GetParam().signalNumber == SIGINT ? "SIGINT" : "SIGTERM";
        EXPECT_NE(talvix5.out().find("talvix5 headless: stopping on " + stopping + "\n"), std::string::npos);
    }
    const std::string log = logText();
    const std::size_t started = log.find("start Talvix");
    ASSERT_NE(started, std::string::npos) << log;
    EXPECT_NE(log.find("close Talvix", started), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(Signals, StoppedBySignal,
    ::testing::Values(SignalCase { "SIGTERM", SIGTERM, false }, SignalCase { "SIGINT", SIGINT, false },
        SignalCase { "SIGTERMWithTheReaderGone", SIGTERM, true }),
    [](const auto& c) { return std::string(c.param.name); });

struct OneShotCase {
    const char* name;
    std::vector<std::string> arguments;
    int exitStatus;
    bool onStandardError;
    std::string text;
    friend void PrintTo(const OneShotCase& c, std::ostream* os) { *os << c.name; }
};

class EndsAtOnce : public Talvix5Process, public ::testing::WithParamInterface<OneShotCase> { };

TEST_P(EndsAtOnce, WithItsStatusAndText)
{
    const OneShotCase& expected = GetParam();
    std::vector<std::string> arguments;
    for (const std::string& argument : expected.arguments)
        arguments.push_back(argument == "<missing>" ? root / "missing/Talvix5.ini" : argument);
    ChildProcess talvix5 = run(arguments);
    EXPECT_EQ(talvix5.wait(20s), expected.exitStatus);
    const std::string& text = expected.onStandardError ? talvix5.err() : talvix5.out();
    EXPECT_NE(text.find(expected.text), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists(root / "missing"));
}

INSTANTIATE_TEST_SUITE_P(Runs, EndsAtOnce,
    ::testing::Values(OneShotCase { "MissingSettings", { "--headless", "<missing>" }, 1, true,
                          "talvix5: Initialization File not found!\n" },
        OneShotCase { "Windowed", {}, 2, true, "talvix5 --headless [settings file]" },
        OneShotCase { "WindowedWithSettings", { "<missing>" }, 2, true, "talvix5 --headless [settings file]" },
        OneShotCase { "Help", { "--help" }, 0, false, "--headless" },
        OneShotCase { "Version", { "--version" }, 0, false, std::string("talvix5 ") + TALVIX_VERSION + "\n" }),
    [](const auto& c) { return std::string(c.param.name); });

} // namespace
