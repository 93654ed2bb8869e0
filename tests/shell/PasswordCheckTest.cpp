#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/PasswordCheck.h"
#include "shell/ProgramSettings.h"
#include "support/TempDir.h"

using namespace talvix;
using talvix::test::TempDir;
using talvix::test::WriteFile;

namespace {

class RecordingMessages : public MessageDialogs {
public:
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    TModalResult MessageDlg(const std::string& text, TMsgDlgType, unsigned) override
    {
        shown.push_back(text);
        return TModalResult::mrOk;
    }
    std::vector<std::string> shown;
};

// Types each entry and presses OK, as a user would, until the dialog closes; cancels when the
// entries run out.
class TypingUser : public PasswordDialogView {
public:
    explicit TypingUser(std::vector<std::string> entries) : entries_(std::move(entries)) {}
    bool ShowModal(Tfm_Password& dialog) override
    {
        ++shown;
        fieldWhenShown = dialog.PasswordField;
        for (const std::string& entry : entries_) {
            dialog.PasswordField = entry;
            if (dialog.bn_PasswordOKClick())
                return true;
        }
        return false;
    }
    int shown = 0;
    std::string fieldWhenShown;

private:
    std::vector<std::string> entries_;
};

class PasswordTest : public ::testing::Test {
protected:
    PasswordTest() { WriteFile(dir / "Talvix5.lng", "[LABEL]\ndlg_InvalidPassword=Falsches Passwort!\n"); }
    TempDir dir;
    RecordingMessages messages;
    Tfm_Password dialog{messages, dir / "Talvix5.lng"};
};

} // namespace

TEST_F(PasswordTest, NoPasswordPassesWithoutAsking)
{
    TypingUser user({});
    EXPECT_TRUE(CheckPassword("", dialog, user));
    EXPECT_EQ(user.shown, 0);
}

TEST_F(PasswordTest, TheRightEntryPassesAndTheFieldStartsEmpty)
{
    dialog.PasswordField = "left over";
    TypingUser user({"Geheim"});
    EXPECT_TRUE(CheckPassword("Geheim", dialog, user));
    EXPECT_EQ(user.fieldWhenShown, "");
    EXPECT_EQ(dialog.AppPassword, "Geheim");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PasswordTest, WrongEntriesAreToldAndMayBeRetriedWithoutLimit)
{
    TypingUser user({"geheim", "GEHEIM", "Geheim ", "x", "y", "z", "Geheim"});
    EXPECT_TRUE(CheckPassword("Geheim", dialog, user));
    EXPECT_EQ(user.shown, 1);
    EXPECT_EQ(messages.shown, std::vector<std::string>(6, "Falsches Passwort!"));
}

TEST_F(PasswordTest, CancelRefuses)
{
    TypingUser user({"wrong"});
    EXPECT_FALSE(CheckPassword("Geheim", dialog, user));
    TypingUser cancelAtOnce({});
    EXPECT_FALSE(CheckPassword("Geheim", dialog, cancelAtOnce));
}

TEST_F(PasswordTest, TheMessageComesFromTheLanguageFile)
{
    Tfm_Password noFile(messages, dir / "missing.lng");
    TypingUser user({"wrong", "Geheim"});
    EXPECT_TRUE(CheckPassword("Geheim", noFile, user));
    WriteFile(dir / "Talvix5.lng", "[LABEL]\nother=1\n");
    TypingUser again({"wrong", "Geheim"});
    EXPECT_TRUE(CheckPassword("Geheim", dialog, again));
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"", "dlg_InvalidPassword"}));
}

TEST(Password, IsCutAfter40Characters)
{
    EXPECT_EQ(CutPassword(std::string(45, 'a')), std::string(40, 'a'));
    EXPECT_EQ(CutPassword(std::string(40, 'a')), std::string(40, 'a'));
    EXPECT_EQ(CutPassword("kurz"), "kurz");
    std::string umlauts;
    for (int i = 0; i < 45; ++i)
        umlauts += "\xC3\xBC";
    EXPECT_EQ(CutPassword(umlauts), umlauts.substr(0, 80)); // characters, never half of one
}

TEST_F(PasswordTest, APasswordOf45CharactersInTheFileIsAskedForAsItsFirst40)
{
    const std::string password45 = "0123456789abcdefghijABCDEFGHIJ0123456789xyzXY";
    WriteFile(dir / "prog/Talvix5.ini", "[MainWnd]\nPassword=" + password45 + "\n");
    Tfm_TalvixOption options;
    ProgramSettings settings(ResolveProgramFolders(dir / "prog", ""), options);
    settings.ReadAtStart();
    settings.LoadForm();
    TypingUser user({password45, password45.substr(0, 39), password45.substr(0, 40)});
    EXPECT_TRUE(CheckPassword(settings.Password, dialog, user));
    EXPECT_EQ(messages.shown.size(), 2u); // the whole 45 and 39 characters were wrong
}
