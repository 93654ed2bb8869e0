#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "shell/ProgramSettings.h"
#include "support/TempDir.h"

using namespace talvix;
using talvix::test::ReadFile;
using talvix::test::TempDir;
using talvix::test::WriteFile;

namespace {

// Settings beside the program (layout 1), the options dialog, and a scripted options view.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { WriteFile(ini(), ""); }

    std::string ini() const { return root / "prog/Talvix5.ini"; }
    ProgramSettings& open(const std::string& content)
    {
        WriteFile(ini(), content);
        settings = std::make_unique<ProgramSettings>(ResolveProgramFolders(root / "prog", ""), options);
        settings->ReadAtStart();
        return *settings;
    }

    TempDir root;
    Tfm_TalvixOption options;
    std::unique_ptr<ProgramSettings> settings;
};

// What the user does while the options dialog is open, and how it ends.
class ScriptedOptionsView : public OptionsDialogView {
public:
    ScriptedOptionsView(std::function<void(Tfm_TalvixOption&)> user, bool ok) : user_(std::move(user)), ok_(ok) {}
    bool ShowModal(Tfm_TalvixOption& dialog) override
    {
        ++shown;
        user_(dialog);
        return ok_;
    }
    int shown = 0;

private:
    std::function<void(Tfm_TalvixOption&)> user_;
    bool ok_;
};

const auto passes = [] { return true; };
const auto refuses = [] { return false; };

} // namespace

TEST_F(SettingsTest, ReadsTheStartKeys)
{
    const ProgramSettings& s = open("[MainWnd]\n"
                                    "Version=500\nUpdateProg=/srv/update/\nLogLevel=4\nLogDelimiter=59\n"
                                    "LogPath=/var/log/talvix/\nLogFileValidityPeriod=7\nDefaultUpdatePath=/u\n"
                                    "DefaultTablePath=/t\nDefaultConfigPath=/c\nCtrlFilesEnable=1\nUsbEnable=1\n"
                                    "[SUPPORTED]\nDevice1=KV Terminal USB\nDevice2=KV Fennic USB\nDevice4=after a gap\n");
    EXPECT_EQ(s.IniVersion, 500);
    EXPECT_EQ(s.UpdateProgPath, "/srv/update/");
    EXPECT_EQ(s.LogLevel, 4);
    EXPECT_EQ(s.LogDelimiter, 59);
    EXPECT_EQ(s.LogPath, "/var/log/talvix/");
    EXPECT_EQ(s.LogFileValidityPeriod, 7);
    EXPECT_EQ(s.DefaultDialogUpdatePath, "/u");
    EXPECT_EQ(s.DefaultDialogTablePath, "/t");
    EXPECT_EQ(s.DefaultDialogConfigPath, "/c");
    EXPECT_TRUE(s.CtrlFilesEnable);
    EXPECT_TRUE(s.UsbEnable);
    EXPECT_EQ(s.SupportedDeviceList, (std::vector<std::string>{"KV Terminal USB", "KV Fennic USB"}));
    EXPECT_FALSE(s.SaveNeededAtShow());
}

TEST_F(SettingsTest, MissingKeysTakeTheirDefaults)
{
    ProgramSettings& s = open("[Other]\nLogLevel=9\n");
    EXPECT_EQ(s.IniVersion, 0);
    EXPECT_EQ(s.UpdateProgPath, s.SettingsPath);
    EXPECT_EQ(s.LogLevel, 0);
    EXPECT_EQ(s.LogDelimiter, 32);
    EXPECT_EQ(s.LogPath, s.ProgDataPath + "log/");
    EXPECT_EQ(s.LogFileValidityPeriod, 30);
    EXPECT_EQ(s.DefaultDialogUpdatePath, "");
    EXPECT_FALSE(s.CtrlFilesEnable);
    EXPECT_FALSE(s.UsbEnable);
    EXPECT_TRUE(s.SupportedDeviceList.empty());
    EXPECT_TRUE(s.SaveNeededAtShow());

    const MainWndLayout layout = s.LoadForm();
    EXPECT_FALSE(layout.StartAsIcon);
    EXPECT_EQ(layout.XPos, 0);
    EXPECT_EQ(layout.YPos, 0);
    EXPECT_EQ(layout.Height, 350);
    EXPECT_EQ(layout.Width, 350);
    EXPECT_EQ(layout.WndMode, wmCascade);
    EXPECT_EQ(layout.Editor, "xdg-open");
    EXPECT_EQ(layout.Password, "");
    EXPECT_EQ(layout.ChildNo, 0);
}

TEST_F(SettingsTest, BadValuesGiveDefaultsNeverACrash)
{
    ProgramSettings& s = open("junk line\n[MainWnd]\n==\nLogLevel=two\nLogDelimiter=\nHeight=12px\nWidth=-\n"
                              "ChildNo=9999999999999\nWndMode=x\nLogPath=\nVersion=5OO\n[SUPPORTED]\nDevice1\n");
    EXPECT_EQ(s.LogLevel, 0);
    EXPECT_EQ(s.LogDelimiter, 32);
    EXPECT_EQ(s.IniVersion, 0);
    EXPECT_EQ(s.LogPath, s.ProgDataPath + "log/"); // an empty folder setting means the default
    EXPECT_TRUE(s.SupportedDeviceList.empty());
    const MainWndLayout layout = s.LoadForm();
    EXPECT_EQ(layout.Height, 350);
    EXPECT_EQ(layout.Width, 350);
    EXPECT_EQ(layout.ChildNo, 0);
    EXPECT_EQ(layout.WndMode, wmCascade);

    std::mt19937 random(7);
    std::string binary;
    for (int i = 0; i < 20000; ++i)
        binary += static_cast<char>(random());
    ProgramSettings& b = open(binary);
    EXPECT_EQ(b.LogLevel, 0);
    EXPECT_EQ(b.LoadForm().Width, 350);
}

TEST_F(SettingsTest, OverlongValuesAreCutAndOverlongNumbersGiveDefaults)
{
    const std::string longPath = "/" + std::string(5000, 'p');
    ProgramSettings& s = open("[MainWnd]\n" + std::string(200000, 'x') + "\nLogLevel=" + std::string(3000, '1')
                              + "\nWidth=0000000000000000000000000000000000000000640\nLogPath=" + longPath
                              + "\nEditor=" + std::string(4000, 'e') + "\nPassword=" + std::string(3000, 'q')
                              + "\n[SUPPORTED]\nDevice1=" + std::string(3000, 'd') + "\n");
    EXPECT_EQ(s.LogLevel, 0);
    EXPECT_EQ(s.LogPath, longPath.substr(0, 2047));
    ASSERT_EQ(s.SupportedDeviceList.size(), 1u);
    EXPECT_EQ(s.SupportedDeviceList[0], std::string(2047, 'd'));
    const MainWndLayout layout = s.LoadForm();
    EXPECT_EQ(layout.Width, 640);
    EXPECT_EQ(layout.Editor, std::string(2047, 'e'));
    EXPECT_EQ(layout.Password, std::string(40, 'q'));
    EXPECT_TRUE(s.SaveFormSimple().saved); // and the file stays usable
    EXPECT_EQ(ProfileFile(ini()).readInteger("MainWnd", "Version", 0), 500);
}

TEST_F(SettingsTest, LoadFormFillsTheWindowTheOptionsAndThePassword)
{
    const std::string password45 = "0123456789abcdefghijABCDEFGHIJ0123456789xyzXY";
    ProgramSettings& s = open("[MainWnd]\nWndState=2\nXPos=10\nYPos=-20\nHeight=480\nWidth=640\nWndMode=2\n"
                              "Editor=kate\nPassword=" + password45 + "\nChildNo=3\n");
    const MainWndLayout layout = s.LoadForm();
    EXPECT_TRUE(layout.StartAsIcon);
    EXPECT_EQ(layout.XPos, 10);
    EXPECT_EQ(layout.YPos, -20);
    EXPECT_EQ(layout.Height, 480);
    EXPECT_EQ(layout.Width, 640);
    EXPECT_EQ(layout.WndMode, wmTile);
    EXPECT_EQ(layout.ChildNo, 3);
    EXPECT_EQ(layout.Password, password45.substr(0, 40));
    EXPECT_EQ(s.Password, password45.substr(0, 40));
    EXPECT_EQ(options.EditPassword(), password45); // the field shows what the file holds
    EXPECT_EQ(options.EditEditor(), "kate");
    EXPECT_TRUE(options.StartAsIcon());
    EXPECT_FALSE(options.Modify);
    EXPECT_EQ(s.Width, 640);
    EXPECT_EQ(s.WndMode, wmTile);
}

TEST_F(SettingsTest, WndModeOtherThanCascadeOrTileIsFree)
{
    for (const auto& [value, mode] : std::vector<std::pair<const char*, TWndMode>>{
             {"1", wmCascade}, {"2", wmTile}, {"0", wmNone}, {"3", wmNone}, {"-1", wmNone}}) {
        EXPECT_EQ(open(std::string("[MainWnd]\nWndMode=") + value + "\n").LoadForm().WndMode, mode) << value;
    }
}

TEST_F(SettingsTest, AnOldFileIsRewrittenWithEveryKeyInOrder)
{
    ProgramSettings& s = open("; keep me\n[MainWnd]\nVersion=400\n[DEFAULT]\nBaud=19200\n");
    s.LoadForm();
    ASSERT_TRUE(s.SaveNeededAtShow());
    s.Width = 700;
    s.WndMode = wmNone;
    s.Modify = true;
    const SaveResult result = s.SaveFormSimple();
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(result.error, "");
    EXPECT_FALSE(s.Modify);

    const ProfileFile file(ini());
    EXPECT_EQ(file.keys("MainWnd"),
              (std::vector<std::string>{"Version", "Height", "Width", "XPos", "YPos", "WndState", "WndMode", "Editor",
                                        "Password", "LogLevel", "LogDelimiter", "LogPath", "LogFileValidityPeriod",
                                        "DefaultUpdatePath", "DefaultTablePath", "DefaultConfigPath", "ChildNo"}));
    EXPECT_EQ(file.readInteger("MainWnd", "Version", 0), 500);
    EXPECT_EQ(file.readInteger("MainWnd", "Width", 0), 700);
    EXPECT_EQ(file.readInteger("MainWnd", "WndMode", -1), 0);
    EXPECT_EQ(file.readString("MainWnd", "Editor", ""), "xdg-open");
    EXPECT_EQ(file.readString("MainWnd", "LogPath", ""), s.ProgDataPath + "log/");
    EXPECT_EQ(file.readInteger("MainWnd", "LogDelimiter", 0), 32);
    EXPECT_EQ(file.readInteger("MainWnd", "ChildNo", -1), 0);
    EXPECT_EQ(file.readInteger("DEFAULT", "Baud", 0), 19200);
    EXPECT_EQ(ReadFile(ini()).rfind("; keep me\n", 0), 0u);
}

TEST_F(SettingsTest, KeysReadOnlyAtStartAreNeverWritten)
{
    ProgramSettings& s = open("[MainWnd]\nUpdateProg=/u/\nUsbEnable=1\n");
    s.LoadForm();
    s.SaveFormSimple();
    const ProfileFile file(ini());
    EXPECT_EQ(file.readString("MainWnd", "UpdateProg", ""), "/u/");
    EXPECT_EQ(file.readInteger("MainWnd", "UsbEnable", 0), 1);
    EXPECT_FALSE(file.valueExists("MainWnd", "CtrlFilesEnable"));
    EXPECT_EQ(file.keys("MainWnd").size(), 2u + 17u);
}

TEST_F(SettingsTest, StationsWriteThroughTheHookAndSurplusSectionsAreErased)
{
    ProgramSettings& s = open("[MainWnd]\nChildNo=4\n[STATION1]\nCom=1\n[Station2]\nCom=2\n[STATION3]\nCom=3\n"
                              "[STATION4]\nCom=4\n[STATION6]\nCom=6\n[USB]\nBaud=9600\n[DEFAULT]\nCom=1\n");
    s.LoadForm();
    std::vector<std::string> order;
    s.setStationSectionWriter([&](ProfileFile& file) {
        order.push_back("stations after " + file.keys("MainWnd").back());
        file.writeInteger("STATION1", "Com", 11);
        file.writeInteger("STATION2", "Com", 12);
        return 2;
    });
    ASSERT_TRUE(s.SaveFormSimple().saved);
    EXPECT_EQ(order, (std::vector<std::string>{"stations after DefaultConfigPath"}));

    const ProfileFile file(ini());
    EXPECT_EQ(file.readInteger("MainWnd", "ChildNo", 0), 2);
    EXPECT_EQ(file.readInteger("STATION2", "Com", 0), 12);
    EXPECT_FALSE(file.sectionExists("STATION3"));
    EXPECT_FALSE(file.sectionExists("STATION4"));
    EXPECT_TRUE(file.sectionExists("STATION6")); // beyond the gap: not a station of this list
    EXPECT_TRUE(file.sectionExists("USB"));
    EXPECT_TRUE(file.sectionExists("DEFAULT"));
}

TEST_F(SettingsTest, AFileThatCannotBeWrittenKeepsTheSettingsInMemory)
{
    ProgramSettings& s = open("[MainWnd]\nVersion=500\n");
    s.LoadForm();
    ::chmod(ini().c_str(), 0444);
    s.Modify = true;
    const SaveResult result = s.SaveFormSimple();
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.error, "In " + ini() + " kann nicht geschrieben werden");
    EXPECT_TRUE(s.Modify);
    EXPECT_EQ(ReadFile(ini()), "[MainWnd]\nVersion=500\n");
}

TEST_F(SettingsTest, SaveFormAsksForThePasswordFirst)
{
    ProgramSettings& s = open("[MainWnd]\nVersion=400\n");
    s.LoadForm();
    s.Modify = true;
    const SaveResult refused = s.SaveForm(refuses);
    EXPECT_FALSE(refused.saved);
    EXPECT_EQ(refused.error, "");
    EXPECT_TRUE(s.Modify);
    EXPECT_EQ(ReadFile(ini()), "[MainWnd]\nVersion=400\n");
    EXPECT_TRUE(s.SaveForm(passes).saved);
    EXPECT_EQ(ProfileFile(ini()).readInteger("MainWnd", "Version", 0), 500);
}

TEST_F(SettingsTest, OptionsDialogOkTakesThePasswordAndTheChange)
{
    ProgramSettings& s = open("[MainWnd]\nPassword=old\nEditor=vi\n");
    s.LoadForm();
    const std::string typed = std::string(45, 'p');
    ScriptedOptionsView view([&](Tfm_TalvixOption& d) { d.EditPasswordChange(typed); }, true);
    EXPECT_TRUE(s.TalvixOptionItemClick(view, passes));
    EXPECT_EQ(s.Password, std::string(40, 'p'));
    EXPECT_TRUE(s.Modify);
    s.SaveFormSimple();
    EXPECT_EQ(ProfileFile(ini()).readString("MainWnd", "Password", ""), typed); // the field's text
}

TEST_F(SettingsTest, OptionsDialogCancelKeepsTheOldPasswordUntilTheNextSaveAndStart)
{
    ProgramSettings& s = open("[MainWnd]\nPassword=old\n");
    s.LoadForm();
    ScriptedOptionsView view(
        [](Tfm_TalvixOption& d) {
            d.EditPasswordChange("new");
            d.lb_OptionWinStateClick();
        },
        false);
    EXPECT_FALSE(s.TalvixOptionItemClick(view, passes));
    EXPECT_EQ(s.Password, "old");
    EXPECT_FALSE(s.Modify);
    EXPECT_EQ(options.EditPassword(), "new"); // the controls keep what was typed

    s.SaveFormSimple();
    EXPECT_EQ(ProfileFile(ini()).readInteger("MainWnd", "WndState", 0), 1);
    ProgramSettings restarted(ResolveProgramFolders(root / "prog", ""), options);
    restarted.ReadAtStart();
    EXPECT_EQ(restarted.LoadForm().Password, "new");
}

TEST_F(SettingsTest, OptionsDialogIsGuardedAndAnUnchangedOkIsNoChange)
{
    ProgramSettings& s = open("[MainWnd]\nPassword=old\nEditor=vi\n");
    s.LoadForm();
    ScriptedOptionsView retype([](Tfm_TalvixOption& d) { d.EditEditorChange("vi"); }, true);
    EXPECT_FALSE(s.TalvixOptionItemClick(retype, refuses));
    EXPECT_EQ(retype.shown, 0);

    options.Modify = true; // left over from an earlier, cancelled showing
    EXPECT_TRUE(s.TalvixOptionItemClick(retype, passes));
    EXPECT_EQ(retype.shown, 1);
    EXPECT_FALSE(s.Modify);

    ScriptedOptionsView edit([](Tfm_TalvixOption& d) { d.EditEditorChange("kate"); }, true);
    EXPECT_TRUE(s.TalvixOptionItemClick(edit, passes));
    EXPECT_TRUE(s.Modify);
    EXPECT_EQ(s.Password, "old");
}
