// A started program gets its arguments as they were given, with no shell in between.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "platform/qt/QtLoop.h"
#include "platform/qt/QtProcessStarter.h"
#include "support/TempDir.h"

using namespace talvix;
using namespace talvix::test;
using namespace std::chrono_literals;

namespace {

class QtProcessStarterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "platform_qt_tests";
        static char* argv[] = { name, nullptr };
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }
    QtLoop loop;
    QtProcessStarter starter;
    TempDir dir;
};

} // namespace

TEST_F(QtProcessStarterTest, AFileNameWithShellCharactersIsOneArgument)
{
    const std::string awkward = "My Data; rm -rf x $(id) \"quoted\" 'single' `tick`.txt";
    const std::string target = dir / "seen";
    // The script writes its first argument into the file named by its second.
    ASSERT_TRUE(starter.StartDetached(
        "/bin/sh", { "-c", "printf '%s' \"$1\" > \"$2.part\" && mv \"$2.part\" \"$2\"", "sh", awkward, target }));
    ASSERT_TRUE(loop.serveUntil([&] { return FileExists(target); }, 10s));
    EXPECT_EQ(ReadFile(target), awkward);
}

TEST_F(QtProcessStarterTest, AProgramThatDoesNotExistIsNotStarted)
{
    EXPECT_FALSE(starter.StartDetached(dir / "no-such-editor", { "file.txt" }));
}
