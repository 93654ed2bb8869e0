#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "station/StationSettingsFile.h"
#include "support/TempDir.h"

using namespace talvix;
using talvix::test::ReadFile;
using talvix::test::TempDir;
using talvix::test::WriteFile;

namespace {

const StationPathDefaults kDefaults { "/home/u/.local/share/Talvix5/data/", "/opt/talvix/settings/" };

std::string text(int v)
{
    return std::to_string(v);
}
std::string text(bool v)
{
    return v ? "true" : "false";
}

// One setting as a test sees it: the key it is stored under and the field it lands in.
struct Field {
    const char* key;
    std::function<std::string(const StationSettings&)> get;
};

const std::vector<Field> kFields = {
    { "Com", [](const StationSettings& s) { return text(int { s.ComPort.ComNumber }); } },
    { "Winsock", [](const StationSettings& s) { return text(s.ComPort.DeviceLayer == TDeviceLayer::dlWinsock); } },
    { "WsAddress", [](const StationSettings& s) { return s.ComPort.WsAddress; } },
    { "WsPort", [](const StationSettings& s) { return s.ComPort.WsPort; } },
    { "Baud", [](const StationSettings& s) { return text(s.ComPort.Baud); } },
    { "ByteSize", [](const StationSettings& s) { return text(int { s.ComPort.DataBits }); } },
    { "StopBits", [](const StationSettings& s) { return text(int { s.ComPort.StopBits }); } },
    { "Parity", [](const StationSettings& s) { return text(static_cast<int>(s.ComPort.Parity)); } },
    { "ModemInit", [](const StationSettings& s) { return s.ModemInitString; } },
    { "XPos", [](const StationSettings& s) { return text(s.Left); } },
    { "YPos", [](const StationSettings& s) { return text(s.Top); } },
    { "ZielDatei", [](const StationSettings& s) { return text(s.ZielDateiGroup); } },
    { "NachReceive", [](const StationSettings& s) { return text(s.NachReceiveGroup); } },
    { "STXSave", [](const StationSettings& s) { return text(s.STXCheck); } },
    { "ETXSave", [](const StationSettings& s) { return text(s.ETXCheck); } },
    { "STXFullFilename", [](const StationSettings& s) { return text(s.STXFullFilename); } },
    { "LineSeparator", [](const StationSettings& s) { return text(static_cast<int>(s.LineSeparator)); } },
    { "AutoRec", [](const StationSettings& s) { return text(s.AutoRecBox); } },
    { "AutoProg", [](const StationSettings& s) { return text(s.AutoProgBox); } },
    { "ConfirmUpdate", [](const StationSettings& s) { return text(s.ConfirmUpdateBox); } },
    { "UpdateViaTempFolder", [](const StationSettings& s) { return text(s.Fg_UpdateViaTempFolder); } },
    { "AutoInternet", [](const StationSettings& s) { return text(s.AutoInternetBox); } },
    { "AutoSetTime", [](const StationSettings& s) { return text(s.cbAutoSetTime); } },
    { "AutoUpload", [](const StationSettings& s) { return text(s.AutoUpload); } },
    { "UploadPath", [](const StationSettings& s) { return s.UploadPath; } },
    { "DataPath", [](const StationSettings& s) { return s.EditDataPath; } },
    { "DataFileName", [](const StationSettings& s) { return s.EditDataFileName; } },
    { "UpdatePath", [](const StationSettings& s) { return s.UpdatePath + " | " + s.EditUpdatePath; } },
    { "TarnUpdateFilterIndex", [](const StationSettings& s) { return text(s.TarnUpdateFilterIndex); } },
    { "UpdateFilterIndex", [](const StationSettings& s) { return text(s.UpdateFilterIndex); } },
    { "ConfigFilterIndex", [](const StationSettings& s) { return text(s.ConfigFilterIndex); } },
    { "TableFilterIndex", [](const StationSettings& s) { return text(s.TableFilterIndex); } },
    { "TimeFormat", [](const StationSettings& s) { return s.TimeFormat; } },
    { "DateFormat", [](const StationSettings& s) { return s.DateFormat; } },
    { "ReceiveDataSplit", [](const StationSettings& s) { return text(s.Fg_ReceiveDataSplit); } },
};

const Field& field(const std::string& key)
{
    for (const Field& f : kFields)
        if (key == f.key)
            return f;
    throw std::invalid_argument(key);
}

class StationSettingsFileTest : public ::testing::Test {
protected:
    // A settings file holding `section` with the given lines.
    void writeSection(const std::string& section, const std::string& lines)
    {
        WriteFile(path, "[MainWnd]\r\nVersion=500\r\n[" + section + "]\r\n" + lines);
    }
    StationSettings load(
        const std::string& section, StationKind kind = StationKind::SerialOrNetwork, bool readWindowPosition = true)
    {
        StationSettings settings;
        ReadStationSection(file, section, kind, readWindowPosition, kDefaults, settings);
        return settings;
    }

    TempDir dir;
    std::string path = dir / "Talvix5.ini";
    ProfileFile file { path };
};

} // namespace

TEST_F(StationSettingsFileTest, SectionChoiceFallsBackToThePredecessorThenDefault)
{
    struct Case {
        std::vector<std::string> sections;
        int childNo;
        std::string read;
    };
    const std::vector<Case> cases = {
        { { "DEFAULT", "STATION1" }, 1, "STATION1" },
        { { "DEFAULT" }, 1, "DEFAULT" },
        { { "DEFAULT", "STATION0" }, 1, "DEFAULT" },
        { { "DEFAULT", "STATION1", "STATION2" }, 3, "STATION2" },
        { { "DEFAULT", "station2" }, 3, "STATION2" },
        { { "DEFAULT", "STATION1" }, 3, "DEFAULT" },
        { { "DEFAULT", "STATION1" }, 2, "STATION1" },
        { { "STATION2", "STATION3" }, 3, "STATION3" },
        { {}, 2, "DEFAULT" },
    };
    for (const Case& c : cases) {
        std::string content;
        for (const std::string& s : c.sections)
            content += "[" + s + "]\r\nBaud=9600\r\n";
        WriteFile(path, content);
        EXPECT_EQ(ChildLoadSection(file, c.childNo), c.read) << c.childNo << " in " << content;
    }
    EXPECT_EQ(ChildSaveSection(StationKind::SerialOrNetwork, 3), "STATION3");
    EXPECT_EQ(ChildSaveSection(StationKind::Usb, -2), "USB");
}

TEST_F(StationSettingsFileTest, MissingKeysTakeTheirDefaults)
{
    const std::vector<std::pair<std::string, std::string>> expected = {
        { "Com", "1" },
        { "Winsock", "false" },
        { "WsAddress", "" },
        { "WsPort", "" },
        { "Baud", "19200" },
        { "ByteSize", "8" },
        { "StopBits", "1" },
        { "Parity", "0" },
        { "ModemInit", "" },
        { "XPos", "0" },
        { "YPos", "0" },
        { "ZielDatei", "0" },
        { "NachReceive", "0" },
        { "STXSave", "true" },
        { "ETXSave", "false" },
        { "STXFullFilename", "false" },
        { "LineSeparator", "0" },
        { "AutoRec", "false" },
        { "AutoProg", "false" },
        { "ConfirmUpdate", "false" },
        { "UpdateViaTempFolder", "false" },
        { "AutoInternet", "false" },
        { "AutoSetTime", "false" },
        { "AutoUpload", "false" },
        { "UploadPath", kDefaults.DefaultDataPath },
        { "DataPath", kDefaults.DefaultDataPath },
        { "DataFileName", "Talvix.txt" },
        { "UpdatePath", kDefaults.UpdateProgPath + " | " + kDefaults.UpdateProgPath },
        { "TarnUpdateFilterIndex", "6" },
        { "UpdateFilterIndex", "5" },
        { "ConfigFilterIndex", "4" },
        { "TableFilterIndex", "1" },
        { "TimeFormat", "hhnnss" },
        { "DateFormat", "yyyymmdd" },
        { "ReceiveDataSplit", "false" },
    };
    ASSERT_EQ(expected.size(), kFields.size());
    // Non-default values everywhere first, so that a key left unread shows.
    StationSettings settings;
    settings.ComPort.Baud = 1;
    settings.ComPort.ComNumber = 9;
    settings.ComPort.DeviceLayer = TDeviceLayer::dlWinsock;
    settings.ComPort.WsAddress = settings.ComPort.WsPort = settings.ModemInitString = "old";
    settings.STXCheck = false;
    settings.AutoRecBox = settings.Fg_ReceiveDataSplit = true;
    settings.EditDataFileName = settings.UploadPath = settings.TimeFormat = "old";
    settings.TableFilterIndex = settings.Left = settings.Top = 77;
    writeSection("STATION1", "Unrelated=1\r\n");
    ReadStationSection(file, "STATION1", StationKind::SerialOrNetwork, true, kDefaults, settings);
    for (const auto& [key, value] : expected)
        EXPECT_EQ(field(key).get(settings), value) << key;
}

TEST_F(StationSettingsFileTest, EveryKeyLandsInItsField)
{
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        { "Com", "17", "17" },
        { "Winsock", "1", "true" },
        { "WsAddress", "10.0.0.5", "10.0.0.5" },
        { "WsPort", "telnet", "telnet" },
        { "Baud", "115200", "115200" },
        { "ByteSize", "7", "7" },
        { "StopBits", "2", "1" },
        { "Parity", "2", "2" },
        { "ModemInit", "ATZ", "ATZ" },
        { "XPos", "120", "120" },
        { "YPos", "-4", "-4" },
        { "ZielDatei", "1", "1" },
        { "NachReceive", "1", "1" },
        { "STXSave", "0", "false" },
        { "ETXSave", "1", "true" },
        { "STXFullFilename", "1", "true" },
        { "LineSeparator", "2", "2" },
        { "AutoRec", "1", "true" },
        { "AutoProg", "1", "true" },
        { "ConfirmUpdate", "1", "true" },
        { "UpdateViaTempFolder", "1", "true" },
        { "AutoInternet", "1", "true" },
        { "AutoSetTime", "1", "true" },
        { "AutoUpload", "1", "true" },
        { "UploadPath", "/srv/up.tbl", "/srv/up.tbl" },
        { "DataPath", "/srv/daten/", "/srv/daten/" },
        { "DataFileName", "D#.TXT", "D#.TXT" },
        { "UpdatePath", "/srv/prog", "/srv/prog | /srv/prog" },
        { "TarnUpdateFilterIndex", "2", "2" },
        { "UpdateFilterIndex", "3", "3" },
        { "ConfigFilterIndex", "1", "1" },
        { "TableFilterIndex", "4", "4" },
        { "TimeFormat", "hh-nn", "hh-nn" },
        { "DateFormat", "yymmdd", "yymmdd" },
        { "ReceiveDataSplit", "1", "true" },
    };
    ASSERT_EQ(cases.size(), kFields.size());
    std::string lines;
    for (const auto& [key, value, landed] : cases)
        lines += key + "=" + value + "\r\n";
    writeSection("STATION2", lines);
    const StationSettings settings = load("STATION2");
    for (const auto& [key, value, landed] : cases)
        EXPECT_EQ(field(key).get(settings), landed) << key << "=" << value;
}

TEST_F(StationSettingsFileTest, ValuesAFieldCannotHoldTakeTheDefault)
{
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        { "Com", "-1", "1" },
        { "Com", "70000", "1" },
        { "Baud", "fast", "19200" },
        { "ByteSize", "9", "8" },
        { "ByteSize", "4", "8" },
        { "Parity", "5", "0" },
        { "Parity", "-1", "0" },
        { "LineSeparator", "3", "0" },
        { "ZielDatei", "2", "0" },
        { "NachReceive", "-1", "0" },
        { "STXSave", "yes", "true" },
        { "UpdateFilterIndex", "x", "5" },
    };
    for (const auto& [key, value, landed] : cases) {
        writeSection("STATION1", key + "=" + value + "\r\n");
        EXPECT_EQ(field(key).get(load("STATION1")), landed) << key << "=" << value;
    }
}

TEST_F(StationSettingsFileTest, PathSettingsKeepTheirDirectoryOrNamePart)
{
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        { "DataPath", "C:\\daten\\", "C:\\daten\\" },
        { "DataPath", "C:\\daten\\sub", "C:\\daten\\" },
        { "DataPath", "/srv/daten/sub", "/srv/daten/" },
        { "DataPath", "D:", "D:" },
        { "DataPath", "daten", kDefaults.DefaultDataPath },
        { "DataPath", "", kDefaults.DefaultDataPath },
        { "DataFileName", "D:\\x\\liste.txt", "liste.txt" },
        { "DataFileName", "/srv/x/liste.txt", "liste.txt" },
        { "DataFileName", "A:liste.txt", "liste.txt" },
        { "DataFileName", "C:\\daten\\", "Talvix.txt" },
        { "DataFileName", "", "Talvix.txt" },
        { "UpdatePath", "", kDefaults.UpdateProgPath + " | " + kDefaults.UpdateProgPath },
    };
    for (const auto& [key, value, landed] : cases) {
        writeSection("STATION1", key + "=" + value + "\r\n");
        EXPECT_EQ(field(key).get(load("STATION1")), landed) << key << "=" << value;
    }
}

TEST_F(StationSettingsFileTest, UsbStationsReadNoPortIdentityModemOrSplitting)
{
    writeSection("USB",
        "Com=5\r\nWinsock=1\r\nWsAddress=h\r\nWsPort=1\r\nBaud=57600\r\nParity=1\r\nModemInit=ATZ\r\n"
        "XPos=10\r\nReceiveDataSplit=1\r\nAutoRec=1\r\n");
    const StationSettings usb = load("USB", StationKind::Usb);
    EXPECT_EQ(usb.ComPort.ComNumber, 0);
    EXPECT_EQ(usb.ComPort.DeviceLayer, TDeviceLayer::dlWin32);
    EXPECT_EQ(usb.ComPort.WsAddress, "");
    EXPECT_EQ(usb.ComPort.WsPort, "");
    EXPECT_EQ(usb.ModemInitString, "");
    EXPECT_FALSE(usb.Fg_ReceiveDataSplit);
    EXPECT_EQ(usb.ComPort.Baud, 57600);
    EXPECT_EQ(usb.ComPort.Parity, TParity::pOdd);
    EXPECT_TRUE(usb.AutoRecBox);
    EXPECT_EQ(usb.Left, 10);
    EXPECT_EQ(load("USB", StationKind::Usb, false).Left, 0);
}

TEST_F(StationSettingsFileTest, ANewStationKeepsItsWindowPlace)
{
    writeSection("STATION1", "XPos=300\r\nYPos=200\r\n");
    const StationSettings fresh = load("STATION1", StationKind::SerialOrNetwork, false);
    EXPECT_EQ(fresh.Left, 0);
    EXPECT_EQ(fresh.Top, 0);
}

TEST_F(StationSettingsFileTest, KeysAreWrittenInTheirOrderAndHandEditedOnesNeverWritten)
{
    const std::vector<std::string> serialKeys = { "Com", "Winsock", "WsAddress", "WsPort", "Baud", "ByteSize",
        "StopBits", "Parity", "ModemInit", "XPos", "YPos", "ZielDatei", "NachReceive", "STXSave", "ETXSave",
        "STXFullFilename", "LineSeparator", "AutoRec", "AutoProg", "ConfirmUpdate", "UpdateViaTempFolder",
        "AutoInternet", "AutoSetTime", "AutoUpload", "UploadPath", "DataPath", "DataFileName", "UpdatePath",
        "TarnUpdateFilterIndex", "UpdateFilterIndex", "ConfigFilterIndex", "TableFilterIndex" };
    std::vector<std::string> usbKeys = serialKeys;
    std::erase_if(usbKeys, [](const std::string& k) { return k == "ModemInit" || k == "XPos" || k == "YPos"; });

    WriteStationSection(file, "STATION1", StationKind::SerialOrNetwork, StationSettings {});
    EXPECT_EQ(file.keys("STATION1"), serialKeys);
    WriteStationSection(file, "USB", StationKind::Usb, StationSettings {});
    EXPECT_EQ(file.keys("USB"), usbKeys);
}

TEST_F(StationSettingsFileTest, AUsbStationWritesNoPortIdentity)
{
    StationSettings settings;
    settings.ComPort.ComNumber = 4;
    settings.ComPort.DeviceLayer = TDeviceLayer::dlWinsock;
    settings.ComPort.WsAddress = "host";
    settings.ComPort.WsPort = "23";
    WriteStationSection(file, "USB", StationKind::Usb, settings);
    EXPECT_EQ(file.readString("USB", "Com", ""), "0");
    EXPECT_EQ(file.readString("USB", "Winsock", ""), "0");
    EXPECT_EQ(file.readString("USB", "WsAddress", "x"), "");
    EXPECT_EQ(file.readString("USB", "WsPort", "x"), "");
}

TEST_F(StationSettingsFileTest, WhatIsSavedLoadsBack)
{
    writeSection("STATION1", "TimeFormat=hh-nn\r\nDateFormat=dd.mm.yy\r\nReceiveDataSplit=1\r\nStopBits=2\r\n");
    StationSettings saved = load("STATION1");
    EXPECT_EQ(saved.ComPort.StopBits, 1);
    saved.ComPort = { 12, TDeviceLayer::dlWinsock, "10.1.1.1", "4001", 38400, 7, 1, TParity::pEven };
    saved.ModemInitString = "AT&F";
    saved.Left = 40;
    saved.Top = 60;
    saved.ZielDateiGroup = 1;
    saved.NachReceiveGroup = 1;
    saved.STXCheck = false;
    saved.ETXCheck = saved.STXFullFilename = saved.AutoRecBox = saved.AutoProgBox = saved.ConfirmUpdateBox = true;
    saved.Fg_UpdateViaTempFolder = saved.AutoInternetBox = saved.cbAutoSetTime = saved.AutoUpload = true;
    saved.LineSeparator = lsLF;
    saved.UploadPath = "/srv/up.tbl";
    saved.EditDataPath = "/srv/daten";
    saved.EditDataFileName = "D%S##.TXT";
    saved.UpdatePath = "/srv/prog";
    saved.TarnUpdateFilterIndex = 1;
    saved.UpdateFilterIndex = 2;
    saved.ConfigFilterIndex = 3;
    saved.TableFilterIndex = 4;
    WriteStationSection(file, "STATION1", StationKind::SerialOrNetwork, saved);

    EXPECT_EQ(file.readString("STATION1", "StopBits", ""), "1");
    EXPECT_EQ(file.readString("STATION1", "DataPath", ""), "/srv/daten/");
    const StationSettings loaded = load("STATION1");
    saved.EditDataPath = "/srv/daten/";
    saved.EditUpdatePath = saved.UpdatePath;
    for (const Field& f : kFields)
        EXPECT_EQ(f.get(loaded), f.get(saved)) << f.key;
}

TEST_F(StationSettingsFileTest, AnEmptyDataPathIsNotSavedAsTheRootFolder)
{
    StationSettings settings;
    settings.EditDataPath = "";
    WriteStationSection(file, "STATION1", StationKind::SerialOrNetwork, settings);
    EXPECT_EQ(file.readString("STATION1", "DataPath", "x"), "");
    EXPECT_EQ(load("STATION1").EditDataPath, kDefaults.DefaultDataPath);
}
