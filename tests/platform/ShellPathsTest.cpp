#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/ShellPaths.h"
#include "support/TempDir.h"

using namespace talvix;
using talvix::test::FileExists;
using talvix::test::TempDir;

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::size_t entriesIn(const std::string& dir)
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir))
        ++n;
    return n;
}

} // namespace

TEST(ShellPaths, GetCorrectPathAddsOneSeparatorWhereNoneIs)
{
    EXPECT_EQ(GetCorrectPath(""), "");
    EXPECT_EQ(GetCorrectPath("/data"), "/data/");
    EXPECT_EQ(GetCorrectPath("/data/"), "/data/");
    EXPECT_EQ(GetCorrectPath("C:\\daten\\"), "C:\\daten\\");
}

TEST(ShellPaths, SpecialFolder46IsTheXdgDataFolder)
{
    {
        ScopedEnv xdg("XDG_DATA_HOME", "/srv/share/");
        EXPECT_EQ(GetSpecialFolderPath(CSIDL_COMMON_DOCUMENTS), "/srv/share");
        EXPECT_EQ(GetSpecialFolderPath(5), "");
    }
    ScopedEnv xdg("XDG_DATA_HOME", nullptr);
    ScopedEnv home("HOME", "/home/anna");
    EXPECT_EQ(GetSpecialFolderPath(46), "/home/anna/.local/share");
    ScopedEnv noHome("HOME", nullptr);
    EXPECT_EQ(GetSpecialFolderPath(46), "");
}

TEST(ShellPaths, ExtractLongPathNameGivesTheCanonicalPathOfWhatExists)
{
    TempDir dir;
    std::filesystem::create_directories(dir / "real/sub");
    std::filesystem::create_directory_symlink(dir / "real", dir / "link");
    const std::string canonical = std::filesystem::canonical(dir.path()).string();
    EXPECT_EQ(ExtractLongPathName(dir / "link/./sub/../sub"), canonical + "/real/sub");
    EXPECT_EQ(ExtractLongPathName(dir / "nothing/here"), dir / "nothing/here");
    EXPECT_EQ(ExtractLongPathName(""), "");
}

TEST(ShellPaths, GetTempPathNewFollowsTemp)
{
    TempDir dir;
    ScopedEnv temp("TEMP", dir.path().c_str());
    EXPECT_EQ(GetTempPathNew(""), dir.path() + "/");
    const std::string a = GetTempPathNew("xm");
    const std::string b = GetTempPathNew("xm");
    EXPECT_NE(a, b);
    for (const auto& name : {a, b}) {
        EXPECT_EQ(std::filesystem::path(name).parent_path(), dir.path());
        EXPECT_EQ(std::filesystem::path(name).filename().string().rfind("xm", 0), 0u) << name;
        EXPECT_EQ(std::filesystem::path(name).extension(), ".tmp");
        EXPECT_TRUE(FileExists(name));
    }
    ScopedEnv missing("TEMP", (dir / "gone").c_str());
    EXPECT_EQ(GetTempPathNew(""), "");
    EXPECT_EQ(GetTempPathNew("xm"), "");
}

TEST(ShellPaths, CheckDriveProbesAndCleansUp)
{
    TempDir dir;
    EXPECT_TRUE(CheckDrive(dir.path()));
    EXPECT_TRUE(CheckDrive(dir.path() + "/"));
    EXPECT_EQ(entriesIn(dir.path()), 0u);
    EXPECT_FALSE(CheckDrive(dir / "gone"));
    talvix::test::WriteFile(dir / "plain", "x");
    EXPECT_FALSE(CheckDrive(dir / "plain"));
}
