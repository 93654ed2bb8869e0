#include <gtest/gtest.h>

#include <sys/stat.h>

#include <random>
#include <string>
#include <vector>

#include "platform/ProfileFile.h"
#include "support/TempDir.h"

using namespace talvix;
using talvix::test::ReadFile;
using talvix::test::TempDir;
using talvix::test::WriteFile;

namespace {

// A settings file the way users and the Windows program leave them.
const std::string kSample = "; Talvix settings\r\n"
                            "[MainWnd]\r\n"
                            "Version=500\r\n"
                            "  LogLevel =  2  \r\n"
                            "editor=xdg-open\r\n"
                            "Editor=second\r\n"
                            "Password=\r\n"
                            "; Comment=1\r\n"
                            "not a key line\r\n"
                            "=orphan value\r\n"
                            "Path=a=b\r\n"
                            "\r\n"
                            "[Station1]\r\n"
                            "Com=3\r\n"
                            "[mainwnd]\r\n"
                            "Version=1\r\n"
                            "Late=1\r\n";

struct ReadCase {
    const char* section;
    const char* key;
    const char* expected; // with default "<default>"
};

class ProfileReadTest : public ::testing::TestWithParam<ReadCase> {};

} // namespace

TEST_P(ProfileReadTest, ReadsLikeThePrivateProfileFunctions)
{
    TempDir dir;
    WriteFile(dir / "t.ini", kSample);
    ProfileFile ini(dir / "t.ini");
    EXPECT_EQ(ini.readString(GetParam().section, GetParam().key, "<default>"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ProfileReadTest,
    ::testing::Values(ReadCase{"MainWnd", "Version", "500"},
                      ReadCase{"MAINWND", "VERSION", "500"},       // section and key without regard to case
                      ReadCase{"MainWnd", "LogLevel", "2"},        // key and value trimmed
                      ReadCase{"MainWnd", "Editor", "xdg-open"},   // first of two equal keys wins
                      ReadCase{"MainWnd", "Password", ""},         // present but empty is not the default
                      ReadCase{"MainWnd", "Comment", "<default>"}, // commented out
                      ReadCase{"MainWnd", "not a key line", "<default>"},
                      ReadCase{"MainWnd", "Path", "a=b"},         // value is everything after the first "="
                      ReadCase{"MainWnd", "Late", "<default>"},   // the second [mainwnd] is never read
                      ReadCase{"Station1", "Com", "3"},
                      ReadCase{"Station1", "Version", "<default>"}, // keys belong to their own section
                      ReadCase{"Missing", "Version", "<default>"}));

TEST(ProfileFile, ListsSectionsAndKeysOnceInFileOrder)
{
    TempDir dir;
    WriteFile(dir / "t.ini", kSample);
    ProfileFile ini(dir / "t.ini");
    EXPECT_EQ(ini.sections(), (std::vector<std::string>{"MainWnd", "Station1"}));
    EXPECT_EQ(ini.keys("mainwnd"), (std::vector<std::string>{"Version", "LogLevel", "editor", "Password", "Path"}));
    EXPECT_TRUE(ini.sectionExists("STATION1"));
    EXPECT_TRUE(ini.valueExists("station1", "COM"));
    EXPECT_FALSE(ini.valueExists("Station1", "Baud"));
}

namespace {

struct IntegerCase {
    const char* value;
    int expected; // default 77
};

class ProfileIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

} // namespace

TEST_P(ProfileIntegerTest, NonNumbersGiveTheDefault)
{
    TempDir dir;
    WriteFile(dir / "t.ini", std::string("[S]\nK=") + GetParam().value + "\n");
    EXPECT_EQ(ProfileFile(dir / "t.ini").readInteger("S", "K", 77), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, ProfileIntegerTest,
                         ::testing::Values(IntegerCase{"42", 42}, IntegerCase{"-7", -7}, IntegerCase{"+5", 5},
                                           IntegerCase{"  3  ", 3}, IntegerCase{"$1F", 31}, IntegerCase{"0x10", 16},
                                           IntegerCase{"$FFFFFFFF", -1}, IntegerCase{"2147483647", 2147483647},
                                           IntegerCase{"2147483648", 77}, IntegerCase{"99999999999999999999", 77},
                                           IntegerCase{"12abc", 77}, IntegerCase{"1.5", 77}, IntegerCase{"", 77},
                                           IntegerCase{"-", 77}, IntegerCase{"$", 77}, IntegerCase{"abc", 77},
                                           IntegerCase{"1 2", 77}));

TEST(ProfileFile, BooleansAreNumbers)
{
    TempDir dir;
    WriteFile(dir / "t.ini", "[S]\nZero=0\nOne=1\nTwo=2\nWord=yes\nEmpty=\n");
    ProfileFile ini(dir / "t.ini");
    EXPECT_FALSE(ini.readBool("S", "Zero", true));
    EXPECT_TRUE(ini.readBool("S", "One", false));
    EXPECT_TRUE(ini.readBool("S", "Two", false));
    EXPECT_TRUE(ini.readBool("S", "Word", true));
    EXPECT_FALSE(ini.readBool("S", "Word", false));
    EXPECT_TRUE(ini.readBool("S", "Empty", true));
    EXPECT_TRUE(ini.readBool("S", "Missing", true));
}

TEST(ProfileFile, MissingFileReadsAllDefaultsAndIsCreatedByTheFirstWrite)
{
    TempDir dir;
    ProfileFile ini(dir / "new.ini");
    EXPECT_FALSE(ini.exists());
    EXPECT_EQ(ini.readString("MainWnd", "Editor", "def"), "def");
    EXPECT_EQ(ini.readInteger("MainWnd", "Height", 350), 350);
    EXPECT_TRUE(ini.sections().empty());
    EXPECT_TRUE(ini.keys("MainWnd").empty());
    ini.eraseSection("MainWnd"); // nothing to erase: no file appears
    EXPECT_FALSE(ini.exists());

    ini.writeInteger("MainWnd", "Version", 500);
    ini.writeBool("MainWnd", "UsbEnable", true);
    EXPECT_TRUE(ini.exists());
    EXPECT_EQ(ReadFile(dir / "new.ini"), "[MainWnd]\nVersion=500\nUsbEnable=1\n");
}

TEST(ProfileFile, WritingChangesOnlyTheOneLine)
{
    TempDir dir;
    WriteFile(dir / "t.ini", kSample);
    ProfileFile ini(dir / "t.ini");
    ini.writeString("MAINWND", "EDITOR", "kate");
    std::string expected = kSample;
    expected.replace(expected.find("editor=xdg-open"), 15, "editor=kate");
    EXPECT_EQ(ReadFile(dir / "t.ini"), expected); // comments, odd lines, CRLF, the duplicate: all kept
    EXPECT_EQ(ini.readString("MainWnd", "Editor", ""), "kate");
}

TEST(ProfileFile, NewKeysGoToTheEndOfTheirSectionAndNewSectionsToTheEndOfTheFile)
{
    TempDir dir;
    WriteFile(dir / "t.ini", "[A]\nx=1\n\n[B]\ny=2\n");
    ProfileFile ini(dir / "t.ini");
    ini.writeString("a", "z", "3");
    ini.writeString("C", "w", "4");
    EXPECT_EQ(ReadFile(dir / "t.ini"), "[A]\nx=1\nz=3\n\n[B]\ny=2\n\n[C]\nw=4\n");
}

TEST(ProfileFile, ErasingASectionRemovesItsHeaderAndLinesOnly)
{
    TempDir dir;
    WriteFile(dir / "t.ini", "; top\n[STATION1]\nCom=1\n[Station2]\nCom=2\n; note of 2\n[station2]\nCom=9\n[USB]\nBaud=1\n");
    ProfileFile ini(dir / "t.ini");
    ini.eraseSection("STATION2"); // both spellings of the duplicate go
    EXPECT_EQ(ReadFile(dir / "t.ini"), "; top\n[STATION1]\nCom=1\n[USB]\nBaud=1\n");
    EXPECT_FALSE(ini.sectionExists("Station2"));
}

TEST(ProfileFile, ValuesAreCutAt2047Characters)
{
    TempDir dir;
    const std::string ascii(3000, 'a');
    std::string umlauts;
    for (int i = 0; i < 2100; ++i)
        umlauts += "\xC3\xBC"; // ü
    WriteFile(dir / "utf8.ini", "[S]\nA=" + ascii + "\nU=" + umlauts + "\n");
    WriteFile(dir / "ansi.ini", "[S]\nU=" + std::string(2100, '\xFC') + "\n");

    ProfileFile utf8(dir / "utf8.ini");
    EXPECT_EQ(utf8.readString("S", "A", ""), std::string(2047, 'a'));
    EXPECT_EQ(utf8.readString("S", "U", ""), umlauts.substr(0, 2 * 2047)); // characters, not bytes
    EXPECT_EQ(ProfileFile(dir / "ansi.ini").readString("S", "U", ""), umlauts.substr(0, 2 * 2047));
    EXPECT_EQ(utf8.readInteger("S", "A", 5), 5);
}

TEST(ProfileFile, Windows1252FilesAreReadAsTextAndWrittenBackInTheirEncoding)
{
    TempDir dir;
    const std::string ansi = "[LABEL]\r\nlb_Password=Passwort f\xFCr Stra\xDF" "e\r\nmenu_File=&Datei\r\n";
    WriteFile(dir / "ansi.lng", ansi);
    ProfileFile ini(dir / "ansi.lng");
    EXPECT_EQ(ini.readString("LABEL", "lb_Password", ""), "Passwort f\xC3\xBCr Stra\xC3\x9F" "e");

    ini.writeString("LABEL", "menu_File", "&Datei \xC3\xB6" "ffnen"); // "öffnen" given as UTF-8
    EXPECT_EQ(ReadFile(dir / "ansi.lng"),
              "[LABEL]\r\nlb_Password=Passwort f\xFCr Stra\xDF" "e\r\nmenu_File=&Datei \xF6" "ffnen\r\n");
}

TEST(ProfileFile, Utf8FilesStayUtf8AndKeepTheirByteOrderMark)
{
    TempDir dir;
    const std::string bom = "\xEF\xBB\xBF";
    WriteFile(dir / "bom.ini", bom + "[MainWnd]\nEditor=gr\xC3\xBC" "n\n");
    ProfileFile ini(dir / "bom.ini");
    EXPECT_TRUE(ini.sectionExists("MainWnd"));
    EXPECT_EQ(ini.readString("MainWnd", "Editor", ""), "gr\xC3\xBC" "n");
    EXPECT_EQ(ini.sections(), (std::vector<std::string>{"MainWnd"}));
    ini.writeString("MainWnd", "Password", "\xC3\x9F");
    EXPECT_EQ(ReadFile(dir / "bom.ini"), bom + "[MainWnd]\nEditor=gr\xC3\xBC" "n\nPassword=\xC3\x9F\n");
}

TEST(ProfileFile, ALineBreakInAValueNeverCreatesKeys)
{
    TempDir dir;
    ProfileFile ini(dir / "t.ini");
    ini.writeString("S", "A", "first\r\nInjected=1\n[Evil]\nB=2");
    ini.writeString("S", "Key\nX", "v");
    ini.writeString("T\n[U]", "k", "v");
    EXPECT_FALSE(ini.valueExists("S", "Injected"));
    EXPECT_FALSE(ini.sectionExists("Evil"));
    EXPECT_FALSE(ini.sectionExists("U"));
    EXPECT_EQ(ini.keys("S").size(), 2u);
    EXPECT_EQ(ini.readString("S", "A", "").find('\n'), std::string::npos);
    EXPECT_EQ(ini.sections().size(), 2u);
}

TEST(ProfileFile, SeesChangesMadeByOthersAtTheNextRead)
{
    TempDir dir;
    WriteFile(dir / "t.lng", "[LABEL]\nmenu_File=Datei\n");
    ProfileFile ini(dir / "t.lng");
    EXPECT_EQ(ini.readString("LABEL", "menu_File", ""), "Datei");
    // Same size, rewritten in place at once: only the content tells the change.
    WriteFile(dir / "t.lng", "[LABEL]\nmenu_File=Fiche\n");
    EXPECT_EQ(ini.readString("LABEL", "menu_File", ""), "Fiche");
    ProfileFile(dir / "t.lng").writeString("LABEL", "menu_File", "File");
    EXPECT_EQ(ini.readString("LABEL", "menu_File", ""), "File");
}

TEST(ProfileFile, AFileThatCannotBeWrittenGivesTheErrorTextAndStaysUnchanged)
{
    TempDir dir;
    WriteFile(dir / "ro.ini", "[S]\nA=1\n");
    ::chmod((dir / "ro.ini").c_str(), 0444);
    ::mkdir((dir / "folder.ini").c_str(), 0755);
    for (const std::string& path : {dir / "ro.ini", dir / "missing/t.ini", dir / "folder.ini"}) {
        ProfileFile ini(path);
        try {
            ini.writeString("S", "A", "2");
            ADD_FAILURE() << "no error for " << path;
        } catch (const ProfileWriteError& e) {
            EXPECT_EQ(std::string(e.what()), "In " + path + " kann nicht geschrieben werden");
            EXPECT_EQ(e.path(), path);
        }
    }
    EXPECT_THROW(ProfileFile(dir / "ro.ini").eraseSection("S"), ProfileWriteError);
    EXPECT_EQ(ReadFile(dir / "ro.ini"), "[S]\nA=1\n");
}

TEST(ProfileFile, GarbageAndBinaryFilesGiveDefaultsAndStayUsable)
{
    TempDir dir;
    std::mt19937 random(2024);
    std::string binary;
    for (int i = 0; i < 64 * 1024; ++i)
        binary += static_cast<char>(random() & 0xFF);
    binary += std::string("\0[\0=\xFF\xFE", 6);
    WriteFile(dir / "bin.ini", binary);
    ProfileFile ini(dir / "bin.ini");
    EXPECT_EQ(ini.readInteger("MainWnd", "LogLevel", 3), 3);
    EXPECT_EQ(ini.readString("MainWnd", "Editor", "xdg-open"), "xdg-open");
    ini.writeInteger("MainWnd", "LogLevel", 1);
    EXPECT_EQ(ini.readInteger("MainWnd", "LogLevel", 3), 1);

    WriteFile(dir / "garbage.ini", "garbage ]]]\n[MainWnd]\nLogLevel==5\n]]]\nHeight=12 px\nWidth=\x01\x02\n=\n;\n[]\n");
    ProfileFile garbage(dir / "garbage.ini");
    EXPECT_EQ(garbage.readInteger("MainWnd", "LogLevel", 0), 0); // value "=5" is not a number
    EXPECT_EQ(garbage.readInteger("MainWnd", "Height", 350), 350);
    EXPECT_EQ(garbage.readInteger("MainWnd", "Width", 350), 350);
}
