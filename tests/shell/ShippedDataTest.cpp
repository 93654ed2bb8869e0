// The data files that ship with the program: the factory settings and the two language files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ProfileFile.h"
#include "platform/Windows1252.h"
#include "shell/ProgramSettings.h"
#include "support/TempDir.h"

using namespace talvix;
using talvix::test::ReadFile;
using talvix::test::TempDir;
using talvix::test::WriteFile;

namespace {

std::string sourceDir()
{
    const char* dir = std::getenv("TALVIX_SOURCE_DIR");
    return dir ? dir : TALVIX_SOURCE_DIR_FALLBACK;
}

const std::vector<std::string> kMessageKeys = {
    // menu_
    "menu_File", "menu_FileOpen", "menu_Exit", "menu_Window", "menu_WndOverlap", "menu_WndBySide", "menu_WndNew",
    "menu_WndClose", "menu_Function", "menu_FuncUtility", "menu_FuncReceive", "menu_FuncUpDate", "menu_FuncTblLoad",
    "menu_FuncBreak", "menu_FuncDirectory", "menu_FuncEditConfig", "menu_FuncLoadConfig", "menu_Option",
    "menu_OptComm", "menu_OptData", "menu_OptDirectories", "menu_OptGeneral", "menu_OptSave", "menu_Help",
    "menu_HelpContents", "menu_HelpManual", "menu_HelpSortManual", "menu_HelpAbout",
    // hint_
    "hint_File", "hint_FileOpen", "hint_Exit", "hint_Window", "hint_WndOverlap", "hint_WndBySide", "hint_WndNew",
    "hint_WndClose", "hint_Function", "hint_FuncUtility", "hint_FuncReceive", "hint_FuncUpDate", "hint_FuncTblLoad",
    "hint_FuncBreak", "hint_FuncEditConfig", "hint_FuncLoadConfig", "hint_Option", "hint_OptComm", "hint_OptData",
    "hint_OptDirectories", "hint_OptGeneral", "hint_OptSave", "hint_Help", "hint_HelpContents", "hint_HelpAbout",
    "hint_BtnReceive", "hint_BtnStatus", "hint_HelpBtn",
    // hintLbl_, btnLbl_, lbl_, rLbl_
    "hintLbl_Art", "hintLbl_AP", "hintLbl_OS", "hintLbl_DS", "hintLbl_BP", "hintLbl_Com", "hintLbl_Datei",
    "hintLbl_SNr", "hintLbl_Rec", "hintLbl_FileSize", "btnLbl_ProgNr", "btnLbl_SetDate", "btnLbl_MemClr",
    "btnLbl_ClrDataFlag", "lbl_SNr", "lbl_DevTime", "lbl_PCTime", "lbl_DestFile", "lbl_AfterReceive",
    "lbl_DataFrame", "lbl_Option", "lbl_DataPath", "lbl_DataFileName", "lbl_UpdatePath", "rLbl_CollectFile",
    "rLbl_SNrFile", "rLbl_DataFlag", "rLbl_DataClr", "rLbl_STXFrame", "rLbl_ETXFrame", "rLbl_AutoRec",
    "rLbl_AutoProg", "rLbl_ConfirmUpdate", "rLbl_AutoSetTime",
    // msg_
    "msg_CancelUnderV5", "msg_ClrErrDump", "msg_ComClose", "msg_DataFileError", "msg_DataInhibited",
    "msg_DataPresent", "msg_DataReady", "msg_DataReceived", "msg_DataTransmitted", "msg_ErrData",
    "msg_ErrDeviceNotFound", "msg_ErrPath", "msg_ErrProg", "msg_FileExists", "msg_LoadTbl", "msg_NoData",
    "msg_OnlyNumbers", "msg_ReadConfig", "msg_ReadyUpDate", "msg_ReceiveActiv", "msg_ResourceEmpty",
    "msg_TransferCancel", "msg_TransferEnd", "msg_UpDateActiv", "msg_WriteConfig", "msg_free",
    // sts_, dlg_
    "sts_ReceiveActiv", "sts_Wait", "sts_waitSNr", "dlg_BottomNo", "dlg_BottomYes", "dlg_CfgModify", "dlg_FileEdit",
    "dlg_FileOpen", "dlg_InvalidPassword", "dlg_LoadConfig", "dlg_NewProgUpdate"};

const std::vector<std::string> kMessageBoxKeys = {
    "SMsgDlgWarning", "SMsgDlgError", "SMsgDlgInformation", "SMsgDlgConfirm", "SMsgDlgYes",
    "SMsgDlgNo", "SMsgDlgOK", "SMsgDlgCancel", "SMsgDlgAbort", "SMsgDlgRetry",
    "SMsgDlgIgnore", "SMsgDlgAll", "SMsgDlgNoToAll", "SMsgDlgYesToAll", "SMsgDlgHelp"};

// The translatable controls of the general options, password, port and configuration dialogs.
std::vector<std::string> controlKeys()
{
    std::vector<std::string> keys = {
        "lb_OptionPassword", "lb_OptionEditor", "lb_OptionWinState", "bn_OptionOK", "bn_OptionCancel",
        "bn_OptionHelp", "lb_Password", "bn_PasswordOK", "bn_PasswordCancel",
        // port dialogs
        "lb_COCom", "lb_WinsockOption", "lb_IPAddr", "lb_IPPort", "lb_CODevice", "lb_COSearch", "lb_COOK",
        "lb_COCancel",
        // configuration editor below generation 30
        "bn_CfgOK", "bn_CfgCancel", "bn_CfgLoad", "bn_CfgSave", "bn_CfgHelp", "lb_DestMem", "lb_DestCom",
        "lb_TransChargeCTS", "lb_TransUserCmd", "lb_DecodeRepeat", "lb_QuantityInc", "lb_HideDelRec",
        "lb_AutoLogCS", "lb_AutoLogMA", "lb_CSLogin", "lb_CSLogout", "lb_ErrorDisplayed", "lb_TransByMemory",
        "lb_TransLockXModem", "lb_TransLockLSV2", "lb_FuncCodes", "lb_StandardCodes", "lb_ScanLeaveClrBuffer",
        "lb_ArtQuantity", "lb_ArtOnly", "lb_DecodeChar", "lb_EditRec", "lb_ProtCR", "lb_C39CheckInc",
        "lb_C39CheckReq", "lb_Code39", "lb_CBConcat", "lb_CBPhoto", "lb_CBStartStopInc", "lb_Codabar",
        "lb_C25ICheckInc", "lb_C25ICheckReq", "lb_C25Int", "lb_C25sCheckInc", "lb_C25sCheckReq", "lb_C25std",
        "lb_C25Iata", "lb_5DigitAdd", "lb_2DigitAdd", "lb_EAN13", "lb_EAN8", "lb_UPCEtoA", "lb_UPCE", "lb_UPCA",
        "lb_Code11", "lb_Code93", "lb_Code128", "lb_AddCodesOnly", "lb_EANCheckDigitInc", "lb_Proteckt",
        "lb_PTDisplay", "lb_PTAutoLogin", "lb_PTTransmission", "lb_PTBlockLength", "lb_PTLeave", "lb_PTColdStart",
        "lb_PTError", "lb_PTTimeout",
        // configuration editor of generation 30
        "lb_ConfigSize", "lb_OSNo", "lb_OSVersion", "lb_DevID", "lb_DevSize", "lb_DevType", "lb_CreationDate",
        "lb_KeyboardID", "lb_KeyboardSize", "lb_SoundID", "lb_SoundSize", "lb_DisplayID", "lb_DisplaySize"};
    // Lists: their items are keyed by name + index.
    const std::vector<std::pair<std::string, int>> lists = {
        {"lb_CODevice", 4},     {"ts_ConfigSet", 6},  {"bx_DevName", 5},       {"bx_ComType", 4},
        {"bx_BCRType", 6},      {"bx_DspType", 3},    {"bx_DspLight", 4},      {"bx_DspSize", 4},
        {"bx_KbdType", 10},     {"bx_KbdSize", 3},    {"bx_GoodReadBeep", 7},  {"bx_DspMarker", 3},
        {"bx_Country", 9},      {"bx_Language", 9},   {"bx_ManuelProtocol", 3}};
    for (const auto& [name, count] : lists)
        for (int i = 0; i < count; ++i)
            keys.push_back(name + std::to_string(i));
    return keys;
}

// Every catalogue key that program code names as a string literal.
std::set<std::string> keysUsedInSources()
{
    static const std::regex literal(
        R"re("((?:menu|hint|hintLbl|btnLbl|lbl|rLbl|msg|sts|dlg)_[A-Za-z0-9_]+|SMsgDlg[A-Za-z]+)")re");
    std::set<std::string> keys;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(sourceDir() + "/src")) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h"))
            continue;
        const std::string text = ReadFile(entry.path().string());
        for (std::sregex_iterator m(text.begin(), text.end(), literal), end; m != end; ++m)
            keys.insert((*m)[1]);
    }
    return keys;
}

class LanguageFileTest : public ::testing::TestWithParam<const char*> {
protected:
    std::string path() const { return sourceDir() + "/data/" + GetParam(); }
};

} // namespace

TEST(LanguageFiles, TheListedSetsAreComplete)
{
    EXPECT_EQ(kMessageKeys.size(), 127u);
    EXPECT_EQ(std::set<std::string>(kMessageKeys.begin(), kMessageKeys.end()).size(), 127u);
    EXPECT_EQ(kMessageBoxKeys.size(), 15u);
}

TEST_P(LanguageFileTest, HoldsEveryKeyOnceWithAText)
{
    const std::string bytes = ReadFile(path());
    ASSERT_FALSE(bytes.empty()) << path();
    EXPECT_TRUE(IsValidUtf8(bytes));
    const ProfileFile lng(path());
    const std::vector<std::string> keys = lng.keys("LABEL");
    std::size_t keyLines = 0;
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line);)
        keyLines += !line.empty() && line[0] != ';' && line[0] != '[' && line.find('=') != std::string::npos;
    EXPECT_EQ(keys.size(), keyLines) << "a key appears twice";

    std::vector<std::string> required = kMessageKeys;
    required.insert(required.end(), kMessageBoxKeys.begin(), kMessageBoxKeys.end());
    const std::vector<std::string> controls = controlKeys();
    required.insert(required.end(), controls.begin(), controls.end());
    for (const std::string& key : keysUsedInSources())
        required.push_back(key);
    for (const std::string& key : required) {
        EXPECT_TRUE(lng.valueExists("LABEL", key)) << key << " missing in " << GetParam();
        EXPECT_NE(lng.readString("LABEL", key, ""), "") << key << " has no text in " << GetParam();
    }
}

INSTANTIATE_TEST_SUITE_P(GermanAndEnglish, LanguageFileTest, ::testing::Values("Talvix5.lng", "en/Talvix5.lng"));

TEST(LanguageFiles, GermanAndEnglishHaveTheSameKeys)
{
    const auto keys = [](const std::string& name) {
        std::vector<std::string> k = ProfileFile(sourceDir() + "/data/" + name).keys("LABEL");
        std::sort(k.begin(), k.end());
        return k;
    };
    EXPECT_EQ(keys("Talvix5.lng"), keys("en/Talvix5.lng"));
    EXPECT_EQ(ProfileFile(sourceDir() + "/data/Talvix5.lng").readString("LABEL", "msg_DataFileError", ""),
              "FATAL-ERROR: Speichern der Daten nicht m\xC3\xB6glich!");
}

TEST(LanguageFiles, TheSourceScanFindsKeys)
{
    // Guards the scan itself: the password dialog names its message key.
    EXPECT_TRUE(keysUsedInSources().count("dlg_InvalidPassword"));
}

TEST(FactorySettings, StartAsACurrentFileWithSensibleValues)
{
    TempDir dir;
    WriteFile(dir / "prog/Talvix5.ini", ReadFile(sourceDir() + "/data/Talvix5.def"));
    Tfm_TalvixOption options;
    ProgramSettings settings(ResolveProgramFolders(dir / "prog", ""), options);
    settings.ReadAtStart();
    EXPECT_FALSE(settings.SaveNeededAtShow());
    EXPECT_EQ(settings.IniVersion, 500);
    EXPECT_GE(settings.LogLevel, 0);
    EXPECT_EQ(settings.LogDelimiter, 32);
    EXPECT_EQ(settings.LogPath, settings.ProgDataPath + "log/");
    EXPECT_EQ(settings.UpdateProgPath, settings.SettingsPath);
    EXPECT_EQ(settings.LogFileValidityPeriod, 30);
    ASSERT_FALSE(settings.SupportedDeviceList.empty());
    EXPECT_EQ(settings.SupportedDeviceList.front(), "KV Terminal USB");
    const MainWndLayout layout = settings.LoadForm();
    EXPECT_EQ(layout.Editor, "xdg-open");
    EXPECT_EQ(layout.Password, "");
    EXPECT_EQ(layout.ChildNo, 0);

    const ProfileFile& file = settings.InitFile();
    for (const char* key : {"Com", "Winsock", "WsAddress", "WsPort", "Baud", "ByteSize", "StopBits", "Parity",
                            "ModemInit", "ZielDatei", "NachReceive", "STXSave", "ETXSave", "STXFullFilename",
                            "LineSeparator", "AutoRec", "AutoProg", "ConfirmUpdate", "UpdateViaTempFolder",
                            "AutoInternet", "AutoSetTime", "AutoUpload", "DataFileName", "TarnUpdateFilterIndex",
                            "UpdateFilterIndex", "ConfigFilterIndex", "TableFilterIndex", "TimeFormat", "DateFormat",
                            "ReceiveDataSplit"})
        EXPECT_TRUE(file.valueExists("DEFAULT", key)) << key;
    EXPECT_TRUE(file.readBool("DEFAULT", "AutoRec", false));
    EXPECT_EQ(file.readInteger("DEFAULT", "Baud", 0), 19200);
    EXPECT_TRUE(file.readBool("USB", "AutoRec", false));
}
