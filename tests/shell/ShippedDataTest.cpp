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
        "lb_KeyboardID", "lb_KeyboardSize", "lb_SoundID", "lb_SoundSize", "lb_DisplayID", "lb_DisplaySize",
        "ed_DevSerNo", "ed_DevName", "ed_DevSysPassword", "ed_DevApplPassword", "se_DevOnTime", "se_DevLightTime",
        "se_DevBatCapacity", "se_KeyboardRepeatFirstTime", "se_KeyboardRepeatTime", "ed_KeyMask", "ed_OnMask",
        "ed_OnRow", "ed_RepeatMask", "ed_ProtectMask", "ed_KeyTable", "ed_ShiftTable", "se_SoundVolume",
        "se_DisplayContrast", "se_DisplayContrastBias", "se_DisplayColPixel", "se_DisplayRowPixel"};
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

// The catalogue keys named as whole string literals in a source text: message keys by their
// prefixes and the message box keys.
std::set<std::string> keysNamedIn(const std::string& text)
{
    static const std::regex literal(
        R"re("((?:menu|hint|hintLbl|btnLbl|lbl|rLbl|msg|sts|dlg)_[A-Za-z0-9_]+|SMsgDlg[A-Za-z]+)")re");
    std::set<std::string> keys;
    for (std::sregex_iterator m(text.begin(), text.end(), literal), end; m != end; ++m)
        keys.insert((*m)[1]);
    return keys;
}

// Every catalogue key that program code names, in the libraries and in the programs.
std::set<std::string> keysUsedInSources()
{
    std::set<std::string> keys;
    for (const char* folder : {"/src", "/apps"}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(sourceDir() + folder)) {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h"))
                continue;
            const std::set<std::string> found = keysNamedIn(ReadFile(entry.path().string()));
            keys.insert(found.begin(), found.end());
        }
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
    EXPECT_EQ(keysNamedIn(R"(GetText("menu_File", "unnown"); GetText("hintLbl_FileSize", "");
        GetMessageText(f, "LABEL", "dlg_InvalidPassword"); LoadLanguageString("SMsgDlgYesToAll");
        x = "msg_"; y = "lb_COOK"; z = "msg_ErrPath: detail"; w = "rLbl_AutoRec";)"),
              (std::set<std::string>{"SMsgDlgYesToAll", "dlg_InvalidPassword", "hintLbl_FileSize", "menu_File",
                                     "rLbl_AutoRec"}));
    // The password dialog names its message key.
    EXPECT_TRUE(keysUsedInSources().count("dlg_InvalidPassword"));
}

namespace {

std::string defaultsFile()
{
    return sourceDir() + "/data/Talvix5.def";
}

enum class KeyType { Integer, Boolean, Text };

// The keys of a station section, with their types; a typo in the factory file would silently
// give the built-in default instead of the value written there.
const std::vector<std::pair<std::string, KeyType>> kStationKeys = {
    {"Com", KeyType::Integer}, {"Winsock", KeyType::Boolean}, {"WsAddress", KeyType::Text},
    {"WsPort", KeyType::Text}, {"Baud", KeyType::Integer}, {"ByteSize", KeyType::Integer},
    {"StopBits", KeyType::Integer}, {"Parity", KeyType::Integer}, {"ModemInit", KeyType::Text},
    {"XPos", KeyType::Integer}, {"YPos", KeyType::Integer}, {"ZielDatei", KeyType::Integer},
    {"NachReceive", KeyType::Integer}, {"STXSave", KeyType::Boolean}, {"ETXSave", KeyType::Boolean},
    {"STXFullFilename", KeyType::Boolean}, {"LineSeparator", KeyType::Integer}, {"AutoRec", KeyType::Boolean},
    {"AutoProg", KeyType::Boolean}, {"ConfirmUpdate", KeyType::Boolean}, {"UpdateViaTempFolder", KeyType::Boolean},
    {"AutoInternet", KeyType::Boolean}, {"AutoSetTime", KeyType::Boolean}, {"AutoUpload", KeyType::Boolean},
    {"UploadPath", KeyType::Text}, {"DataPath", KeyType::Text}, {"DataFileName", KeyType::Text},
    {"UpdatePath", KeyType::Text}, {"TarnUpdateFilterIndex", KeyType::Integer},
    {"UpdateFilterIndex", KeyType::Integer}, {"ConfigFilterIndex", KeyType::Integer},
    {"TableFilterIndex", KeyType::Integer}, {"TimeFormat", KeyType::Text}, {"DateFormat", KeyType::Text},
    {"ReceiveDataSplit", KeyType::Boolean}};

const std::vector<std::pair<std::string, KeyType>> kMainWndKeys = {
    {"Version", KeyType::Integer}, {"UpdateProg", KeyType::Text}, {"LogLevel", KeyType::Integer},
    {"LogDelimiter", KeyType::Integer}, {"LogPath", KeyType::Text}, {"LogFileValidityPeriod", KeyType::Integer},
    {"DefaultUpdatePath", KeyType::Text}, {"DefaultTablePath", KeyType::Text}, {"DefaultConfigPath", KeyType::Text},
    {"CtrlFilesEnable", KeyType::Boolean}, {"UsbEnable", KeyType::Boolean}, {"WndState", KeyType::Integer},
    {"XPos", KeyType::Integer}, {"YPos", KeyType::Integer}, {"Height", KeyType::Integer},
    {"Width", KeyType::Integer}, {"WndMode", KeyType::Integer}, {"Editor", KeyType::Text},
    {"Password", KeyType::Text}, {"ChildNo", KeyType::Integer}};

// Every key of the section is known, and numbers and booleans are written as such.
void expectKnownKeysWithValidValues(const ProfileFile& file, const std::string& section,
                                    const std::vector<std::pair<std::string, KeyType>>& known)
{
    for (const std::string& key : file.keys(section)) {
        const auto it = std::find_if(known.begin(), known.end(), [&](const auto& k) { return k.first == key; });
        ASSERT_NE(it, known.end()) << section << ": unknown key " << key;
        const std::string value = file.readString(section, key, "");
        if (it->second == KeyType::Integer) {
            EXPECT_NE(file.readInteger(section, key, -99999), -99999) << section << "." << key << "=" << value;
        } else if (it->second == KeyType::Boolean) {
            EXPECT_TRUE(value == "0" || value == "1") << section << "." << key << "=" << value;
        }
    }
}

} // namespace

TEST(FactorySettings, HoldOnlyKnownSectionsAndKeysWithValidValues)
{
    const ProfileFile file(defaultsFile());
    ASSERT_TRUE(file.exists());
    EXPECT_EQ(file.sections(), (std::vector<std::string>{"MainWnd", "SUPPORTED", "ComPorts", "DEFAULT", "USB"}));
    expectKnownKeysWithValidValues(file, "MainWnd", kMainWndKeys);
    expectKnownKeysWithValidValues(file, "DEFAULT", kStationKeys);
    expectKnownKeysWithValidValues(file, "USB", kStationKeys);
    for (const char* key : {"Com", "Winsock", "WsAddress", "WsPort", "ModemInit", "StopBits", "ReceiveDataSplit"})
        EXPECT_FALSE(file.valueExists("USB", key)) << key << " is never read for USB stations";

    const std::vector<std::string> devices = file.keys("SUPPORTED");
    ASSERT_FALSE(devices.empty());
    for (std::size_t i = 0; i < devices.size(); ++i) {
        EXPECT_EQ(devices[i], "Device" + std::to_string(i + 1)) << "the list ends at the first missing number";
        const std::string product = file.readString("SUPPORTED", devices[i], "");
        EXPECT_FALSE(product.empty());
        EXPECT_LE(product.size(), 55u) << "longer than a USB product string buffer: " << product;
        EXPECT_TRUE(std::all_of(product.begin(), product.end(), [](char c) { return c >= 32 && c < 127; }))
            << product;
    }
}

TEST(FactorySettings, TheDefaultStationWorksOutOfTheBox)
{
    const ProfileFile file(defaultsFile());
    const char* s = "DEFAULT";
    for (const auto& [key, type] : kStationKeys) {
        const bool derivedFromTheProgramFolders = key == "UploadPath" || key == "DataPath" || key == "UpdatePath";
        const bool placeOfAnExistingStation = key == "XPos" || key == "YPos";
        EXPECT_EQ(file.valueExists(s, key), !derivedFromTheProgramFolders && !placeOfAnExistingStation) << key;
    }
    // A serial port of the fixed table (COM17 is the first USB serial adapter), no network, no modem.
    EXPECT_GE(file.readInteger(s, "Com", 0), 1);
    EXPECT_LE(file.readInteger(s, "Com", 0), 48);
    EXPECT_FALSE(file.readBool(s, "Winsock", true));
    EXPECT_EQ(file.readString(s, "ModemInit", "x"), "");
    EXPECT_EQ(file.readString(s, "WsPort", ""), "10001");
    // The line settings the terminals speak by default.
    EXPECT_EQ(file.readInteger(s, "Baud", 0), 19200);
    EXPECT_EQ(file.readInteger(s, "ByteSize", 0), 8);
    EXPECT_EQ(file.readInteger(s, "StopBits", 0), 1);
    EXPECT_EQ(file.readInteger(s, "Parity", -1), 0);
    // Records are received automatically into one collective file and the terminal is locked.
    EXPECT_TRUE(file.readBool(s, "AutoRec", false));
    EXPECT_EQ(file.readInteger(s, "ZielDatei", -1), 0);
    EXPECT_EQ(file.readInteger(s, "NachReceive", -1), 0);
    const std::string dataFile = file.readString(s, "DataFileName", "");
    EXPECT_FALSE(dataFile.empty());
    EXPECT_EQ(dataFile.find_first_of("/\\:%#"), std::string::npos) << dataFile;
    EXPECT_EQ(file.readInteger(s, "LineSeparator", -1), 0);
    EXPECT_EQ(file.readString(s, "TimeFormat", ""), "hhnnss");
    EXPECT_EQ(file.readString(s, "DateFormat", ""), "yyyymmdd");
    // USB stations receive the same way.
    EXPECT_TRUE(file.readBool("USB", "AutoRec", false));
    EXPECT_EQ(file.readInteger("USB", "Baud", 0), 19200);
    EXPECT_EQ(file.readString("USB", "DataFileName", ""), dataFile);
}

TEST(FactorySettings, StartAsACurrentFileWithSensibleValues)
{
    // The first start with a settings file named on the command line: only its ".def" exists.
    TempDir dir;
    const ProgramFolders folders = ResolveProgramFolders(dir / "prog", dir / "site/Talvix5.ini");
    WriteFile(DefaultsFileFor(folders.IniDatei), ReadFile(defaultsFile()));
    ASSERT_EQ(FindOrCreateSettingsFile(folders.IniDatei).status, SettingsFileStatus::CopiedFromDefaults);
    Tfm_TalvixOption options;
    ProgramSettings settings(folders, options);
    settings.ReadAtStart();
    EXPECT_FALSE(settings.SaveNeededAtShow());
    EXPECT_EQ(settings.IniVersion, 500);
    EXPECT_EQ(settings.LogLevel, 0); // the log folder is not created by the program: no message at the first start
    EXPECT_EQ(settings.LogDelimiter, 32);
    EXPECT_EQ(settings.LogPath, settings.ProgDataPath + "log/");
    EXPECT_EQ(settings.UpdateProgPath, settings.SettingsPath);
    EXPECT_EQ(settings.LogFileValidityPeriod, 30);
    EXPECT_TRUE(settings.UsbEnable);
    ASSERT_FALSE(settings.SupportedDeviceList.empty());
    EXPECT_EQ(settings.SupportedDeviceList.front(), "KV Terminal USB");
    const MainWndLayout layout = settings.LoadForm();
    EXPECT_FALSE(layout.StartAsIcon);
    EXPECT_EQ(layout.WndMode, wmCascade);
    EXPECT_GE(layout.Width, 350);
    EXPECT_GE(layout.Height, 350);
    EXPECT_EQ(layout.Editor, "xdg-open");
    EXPECT_EQ(layout.Password, "");
    EXPECT_EQ(layout.ChildNo, 0);
}
