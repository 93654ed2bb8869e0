#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "shell/SettingsLayout.h"
#include "support/TempDir.h"

using namespace talvix;
using talvix::test::FileExists;
using talvix::test::ReadFile;
using talvix::test::TempDir;
using talvix::test::WriteFile;

namespace {

// A program folder and an XDG data folder in one scratch folder.
class FoldersTest : public ::testing::Test {
protected:
    FoldersTest()
    {
        std::filesystem::create_directories(root / "prog");
        std::filesystem::create_directories(root / "xdg");
        ::setenv("XDG_DATA_HOME", (root / "xdg").c_str(), 1);
    }
    std::string prog() const { return root / "prog/"; }
    std::string xdg() const { return root / "xdg/Talvix5/"; }

    TempDir root;
};

struct LayoutCase {
    const char* name;
    std::vector<const char*> files; // below the scratch folder
    const char* progDataPath;       // "P" the program folder, "X" the XDG folder + Talvix5/
    const char* settingsPath;       // relative to the program data folder
};

class LayoutTest : public FoldersTest, public ::testing::WithParamInterface<LayoutCase> {};

} // namespace

TEST_P(LayoutTest, ChoosesTheFirstLayoutWhoseSettingsFileExists)
{
    for (const char* file : GetParam().files)
        WriteFile(root / file, "[MainWnd]\n");
    const ProgramFolders f = ResolveProgramFolders(root / "prog", "");
    const std::string data = std::string(GetParam().progDataPath) == "P" ? prog() : xdg();
    const std::string settings = data + GetParam().settingsPath;
    EXPECT_EQ(f.ProgPath, prog());
    EXPECT_EQ(f.ProgDataPath, data);
    EXPECT_EQ(f.SettingsPath, settings);
    EXPECT_EQ(f.DataPath, data + "data/");
    EXPECT_EQ(f.DefaultDataPath, data + "data/");
    EXPECT_EQ(f.LogPath, data + "log/");
    EXPECT_EQ(f.ConfigFileName, settings + "Config.tmp");
    EXPECT_EQ(f.ErrorDumpName, settings + "ErrDmp.tmp");
    EXPECT_EQ(f.LanguageFile, settings + "Talvix5.lng");
    EXPECT_EQ(f.IniDatei, settings + "Talvix5.ini");
    // Resolving never creates a folder.
    EXPECT_FALSE(std::filesystem::exists(f.DataPath));
    EXPECT_FALSE(std::filesystem::exists(f.LogPath));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, LayoutTest,
    ::testing::Values(LayoutCase{"BesideTheProgram", {"prog/Talvix5.ini"}, "P", ""},
                      LayoutCase{"ProgramSettingsFolder", {"prog/settings/Talvix5.ini"}, "P", "settings/"},
                      LayoutCase{"BesideWinsOverSubfolder", {"prog/Talvix5.ini", "prog/settings/Talvix5.ini"}, "P", ""},
                      LayoutCase{"CommonDocuments", {}, "X", "settings/"},
                      LayoutCase{"DefaultsBesideTheProgramDoNotCount", {"prog/settings/Talvix5.def", "prog/Talvix5.def"}, "X", "settings/"},
                      LayoutCase{"AFolderNamedLikeTheFileDoesNotCount", {"prog/Talvix5.ini/x"}, "X", "settings/"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(FoldersTest, TheFirstArgumentNamesTheSettingsFileButNotTheFolders)
{
    WriteFile(root / "prog/Talvix5.ini", "");
    const ProgramFolders f = ResolveProgramFolders(root / "prog/", root / "other/site.ini");
    EXPECT_EQ(f.IniDatei, root / "other/site.ini");
    EXPECT_EQ(f.SettingsPath, prog());
    EXPECT_EQ(f.LanguageFile, prog() + "Talvix5.lng");
}

TEST(SettingsFile, DefaultsFileHasTheSameNameWithExtensionDef)
{
    EXPECT_EQ(DefaultsFileFor("/a/Talvix5.ini"), "/a/Talvix5.def");
    EXPECT_EQ(DefaultsFileFor("/a.b/site"), "/a.b/site.def");
    EXPECT_EQ(DefaultsFileFor("/a/.hidden"), "/a/.hidden.def");
    EXPECT_EQ(DefaultsFileFor("x.tar.ini"), "x.tar.def");
}

TEST_F(FoldersTest, OnlyTheDefaultsFileIsCopiedAtTheFirstStartAndThenUsed)
{
    const ProgramFolders f = ResolveProgramFolders(prog(), "");
    WriteFile(f.SettingsPath + "Talvix5.def", "[MainWnd]\r\nVersion=500\r\n");
    const SettingsFileResult first = FindOrCreateSettingsFile(f.IniDatei);
    EXPECT_EQ(first.status, SettingsFileStatus::CopiedFromDefaults);
    EXPECT_EQ(ReadFile(f.IniDatei), "[MainWnd]\r\nVersion=500\r\n");

    WriteFile(f.IniDatei, "[MainWnd]\nVersion=501\n"); // the user's own settings from now on
    const SettingsFileResult second = FindOrCreateSettingsFile(f.IniDatei);
    EXPECT_EQ(second.status, SettingsFileStatus::Present);
    EXPECT_EQ(ReadFile(f.IniDatei), "[MainWnd]\nVersion=501\n");
}

TEST_F(FoldersTest, NeitherFileEndsTheStartWithItsMessage)
{
    const SettingsFileResult r = FindOrCreateSettingsFile(root / "nothing/Talvix5.ini");
    EXPECT_EQ(r.status, SettingsFileStatus::NotFound);
    EXPECT_EQ(r.message, "Initialization File not found!");
    EXPECT_FALSE(FileExists(root / "nothing/Talvix5.ini"));
}

TEST_F(FoldersTest, AFailedCopyReportsTheSystemErrorAndLeavesNoFile)
{
    // A dangling link where the settings file belongs: the copy must neither follow it nor
    // replace it.
    WriteFile(root / "s/Talvix5.def", "[MainWnd]\n");
    ::symlink((root / "gone/target.ini").c_str(), (root / "s/Talvix5.ini").c_str());
    const SettingsFileResult r = FindOrCreateSettingsFile(root / "s/Talvix5.ini");
    EXPECT_EQ(r.status, SettingsFileStatus::CopyFailed);
    EXPECT_EQ(r.message, std::strerror(EEXIST));
    EXPECT_FALSE(std::filesystem::exists(root / "gone"));
}

TEST(SettingsFile, ExecutableFolderIsTheFolderOfTheRunningProgram)
{
    const std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(FileExists(folder + std::filesystem::path(program_invocation_name).filename().string()));
}
