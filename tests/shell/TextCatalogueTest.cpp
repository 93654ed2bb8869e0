#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/LanguageTranslation.h"
#include "shell/TextCatalogue.h"
#include "support/TempDir.h"

using namespace talvix;
using talvix::test::TempDir;
using talvix::test::WriteFile;

namespace {

class CatalogueTest : public ::testing::Test {
protected:
    std::string lng() const { return dir / "Talvix5.lng"; }
    TempDir dir;
};

} // namespace

TEST_F(CatalogueTest, GetTextFindsKeysWithoutRegardToCaseAndElseGivesTheDefault)
{
    WriteFile(lng(), "[label]\nMENU_FILE=&Datei\nmsg_NoData=\n");
    const TextCatalogue catalogue(lng());
    EXPECT_EQ(catalogue.GetText("menu_File", "unnown"), "&Datei");
    EXPECT_EQ(catalogue.GetText("menu_Exit", "unnown"), "unnown");
    EXPECT_EQ(catalogue.GetText("msg_NoData", "x"), ""); // present but empty
    EXPECT_EQ(catalogue.GetText("msg_DataFileError", "FATAL-ERROR: Speichern der Daten nicht m\xC3\xB6glich!"),
              "FATAL-ERROR: Speichern der Daten nicht m\xC3\xB6glich!");
}

TEST_F(CatalogueTest, EveryLookupSeesTheFileAsItIsNow)
{
    const TextCatalogue catalogue(lng());
    EXPECT_EQ(catalogue.GetText("menu_File", "unnown"), "unnown"); // no file yet
    WriteFile(lng(), "[LABEL]\nmenu_File=&Datei\n");
    EXPECT_EQ(catalogue.GetText("menu_File", "unnown"), "&Datei");
    ProfileFile(lng()).writeString("LABEL", "menu_File", "&File");
    EXPECT_EQ(catalogue.GetText("menu_File", "unnown"), "&File");
}

TEST_F(CatalogueTest, MessageTextsGiveTheKeyWhenMissingAndNothingWithoutAFile)
{
    EXPECT_EQ(GetMessageText(lng(), "LABEL", "dlg_InvalidPassword"), "");
    MessageBoxTexts boxes;
    EXPECT_EQ(boxes.LoadLanguageString("SMsgDlgOK"), ""); // no file set yet
    boxes.SetLanguageFile(lng());
    EXPECT_EQ(boxes.LoadLanguageString("SMsgDlgOK"), "");

    WriteFile(lng(), "[LABEL]\nSMsgDlgYes=&Ja\ndlg_InvalidPassword=Falsches Passwort\n[OTHER]\nx=y\n");
    EXPECT_EQ(GetMessageText(lng(), "label", "DLG_INVALIDPASSWORD"), "Falsches Passwort");
    EXPECT_EQ(GetMessageText(lng(), "LABEL", "dlg_Missing"), "dlg_Missing");
    EXPECT_EQ(GetMessageText(lng(), "OTHER", "x"), "y");
    EXPECT_EQ(boxes.LoadLanguageString("SMsgDlgYes"), "&Ja");
    EXPECT_EQ(boxes.LoadLanguageString("SMsgDlgOK"), "SMsgDlgOK");
}

TEST_F(CatalogueTest, AFileWithoutTheLabelSectionIsAFileWithEveryKeyMissing)
{
    WriteFile(lng(), "[OTHER]\nmenu_File=&Datei\nSMsgDlgOK=OK\nlb_Password=x\n");
    MessageBoxTexts boxes;
    boxes.SetLanguageFile(lng());
    EXPECT_EQ(TextCatalogue(lng()).GetText("menu_File", "unnown"), "unnown");
    EXPECT_EQ(GetMessageText(lng(), "LABEL", "dlg_InvalidPassword"), "dlg_InvalidPassword");
    EXPECT_EQ(boxes.LoadLanguageString("SMsgDlgOK"), "SMsgDlgOK");
    std::vector<ControlText> form = {{"lb_Password", ControlKind::Label, "Passwort eingeben:", {}}};
    EXPECT_TRUE(ChangeLanguage(form, lng(), "LABEL"));
    EXPECT_EQ(form[0].caption, "lb_Password");
}

namespace {

std::vector<ControlText> optionsDialog()
{
    return {
        {"lb_OptionPassword", ControlKind::Label, "Password", {}},
        {"Label1", ControlKind::Label, "Design", {}},
        {"EditPassword", ControlKind::Other, "secret", {}},
        {"ed_Name", ControlKind::Other, "typed", {}}, // edit fields are never touched
        {"lb_OptionWinState", ControlKind::CheckBox, "Starten als Icon", {}},
        {"bn_OptionOK", ControlKind::Button, "OK", {}},
        {"rg_Parity", ControlKind::RadioGroup, "Parity", {"none", "odd", "even"}},
        {"cb_Baud", ControlKind::ComboBox, "", {"9600", "19200"}},
        {"ts_Pages", ControlKind::TabSet, "", {"one"}},
        {"ts_ConfigSet0", ControlKind::TabSheet, "Hardware", {}},
        {"mi_Copy", ControlKind::MenuItem, "Copy", {}},
        {"", ControlKind::Label, "unnamed", {}},
        {"_x", ControlKind::Label, "underscore", {}}, // "_" sorts after "Z"
    };
}

} // namespace

TEST_F(CatalogueTest, ChangeLanguageTranslatesByNameAndShowsTheNameOfAMissingKey)
{
    WriteFile(lng(), "[LABEL]\nLB_OPTIONWINSTATE=Start as icon\nbn_OptionOK=Fertig\nrg_Parity=Parit\xC3\xA4t\n"
                     "rg_Parity0=keine\nrg_Parity2=gerade\ncb_Baud1=19200 Baud\nts_ConfigSet0=Hardware!\n"
                     "mi_Copy=Kopieren\n_x=X\nLabel1=never\ned_Name=never\n");
    std::vector<ControlText> form = optionsDialog();
    EXPECT_TRUE(ChangeLanguage(form, lng(), "LABEL"));
    const std::vector<std::string> captions = {"lb_OptionPassword", "Design", "secret", "typed", "Start as icon",
                                               "Fertig", "Parit\xC3\xA4t", "", "", "Hardware!", "Kopieren",
                                               "unnamed", "X"};
    for (std::size_t i = 0; i < form.size(); ++i)
        EXPECT_EQ(form[i].caption, captions[i]) << form[i].name;
    EXPECT_EQ(form[6].items, (std::vector<std::string>{"keine", "rg_Parity1", "gerade"}));
    EXPECT_EQ(form[7].items, (std::vector<std::string>{"cb_Baud0", "19200 Baud"}));
    EXPECT_EQ(form[8].items, (std::vector<std::string>{"ts_Pages0"}));
}

TEST_F(CatalogueTest, ChangeLanguageWithoutAFileKeepsTheDesignCaptions)
{
    std::vector<ControlText> form = optionsDialog();
    EXPECT_FALSE(ChangeLanguage(form, lng(), "LABEL"));
    const std::vector<ControlText> design = optionsDialog();
    for (std::size_t i = 0; i < form.size(); ++i) {
        EXPECT_EQ(form[i].caption, design[i].caption);
        EXPECT_EQ(form[i].items, design[i].items);
    }
}

TEST(Translation, NamesAboveZAreTranslatable)
{
    EXPECT_TRUE(IsTranslatableName("lb_Password"));
    EXPECT_TRUE(IsTranslatableName("bn_COOK"));
    EXPECT_TRUE(IsTranslatableName("[x"));
    EXPECT_TRUE(IsTranslatableName("\xC3\xA4"));
    EXPECT_FALSE(IsTranslatableName("Label1"));
    EXPECT_FALSE(IsTranslatableName("Zeile"));
    EXPECT_FALSE(IsTranslatableName("1st"));
    EXPECT_FALSE(IsTranslatableName(""));
}
