#include "station/StationSettingsFile.h"

#include <cstdint>
#include <limits>

#include "platform/ShellPaths.h"

namespace talvix {

namespace {

constexpr const char* DefaultDataFileName = "Talvix.txt";

std::size_t afterLastSeparator(const std::string& value)
{
    const std::size_t last = value.find_last_of("\\/:");
    return last == std::string::npos ? 0 : last + 1;
}

// An integer key whose value must lie in [low, high]; anything else gives the default.
int readInRange(const ProfileFile& file, const std::string& section, const char* key, int low, int high, int fallback)
{
    const int value = file.readInteger(section, key, fallback);
    return value < low || value > high ? fallback : value;
}

std::uint16_t readWord(const ProfileFile& file, const std::string& section, const char* key, std::uint16_t fallback)
{
    return static_cast<std::uint16_t>(
        readInRange(file, section, key, 0, std::numeric_limits<std::uint16_t>::max(), fallback));
}

// The radio groups have two items.
int readItemIndex(const ProfileFile& file, const std::string& section, const char* key)
{
    return readInRange(file, section, key, 0, 1, 0);
}

void readPort(const ProfileFile& file, const std::string& s, StationKind kind, StationPortSettings& port)
{
    const StationPortSettings defaults;
    const bool serial = kind == StationKind::SerialOrNetwork;
    port.ComNumber = serial ? readWord(file, s, "Com", defaults.ComNumber) : 0;
    port.Baud = file.readInteger(s, "Baud", defaults.Baud);
    port.DataBits = static_cast<std::uint16_t>(readInRange(file, s, "ByteSize", 5, 8, defaults.DataBits));
    port.StopBits = 1;
    port.Parity = static_cast<TParity>(
        readInRange(file, s, "Parity", 0, static_cast<int>(TParity::pSpace), static_cast<int>(defaults.Parity)));
    if (serial) {
        port.WsAddress = file.readString(s, "WsAddress", "");
        port.WsPort = file.readString(s, "WsPort", "");
        port.DeviceLayer = file.readBool(s, "Winsock", false) ? TDeviceLayer::dlWinsock : TDeviceLayer::dlWin32;
    }
}

} // namespace

std::string SettingDirectoryPart(const std::string& value)
{
    return value.substr(0, afterLastSeparator(value));
}

std::string SettingNamePart(const std::string& value)
{
    return value.substr(afterLastSeparator(value));
}

std::string StationSectionName(int ChildNo)
{
    return "STATION" + std::to_string(ChildNo);
}

std::string ChildLoadSection(const ProfileFile& IFile, int ChildNo)
{
    const std::string own = StationSectionName(ChildNo);
    if (IFile.sectionExists(own))
        return own;
    if (ChildNo >= 2) {
        const std::string predecessor = StationSectionName(ChildNo - 1);
        if (IFile.sectionExists(predecessor))
            return predecessor;
    }
    return DefaultStationSection;
}

std::string ChildSaveSection(StationKind kind, int ChildNo)
{
    return kind == StationKind::Usb ? UsbStationSection : StationSectionName(ChildNo);
}

void ReadStationSection(const ProfileFile& IFile, const std::string& section, StationKind kind, bool readWindowPosition,
    const StationPathDefaults& defaults, StationSettings& settings)
{
    const std::string& s = section;
    const StationSettings initial;
    const bool serial = kind == StationKind::SerialOrNetwork;

    readPort(IFile, s, kind, settings.ComPort);
    if (serial)
        settings.ModemInitString = IFile.readString(s, "ModemInit", "");
    if (readWindowPosition) {
        settings.Left = IFile.readInteger(s, "XPos", initial.Left);
        settings.Top = IFile.readInteger(s, "YPos", initial.Top);
    }

    settings.ZielDateiGroup = readItemIndex(IFile, s, "ZielDatei");
    settings.NachReceiveGroup = readItemIndex(IFile, s, "NachReceive");
    settings.STXCheck = IFile.readBool(s, "STXSave", initial.STXCheck);
    settings.ETXCheck = IFile.readBool(s, "ETXSave", initial.ETXCheck);
    settings.STXFullFilename = IFile.readBool(s, "STXFullFilename", initial.STXFullFilename);
    settings.LineSeparator
        = static_cast<TLineSeparator>(readInRange(IFile, s, "LineSeparator", lsCRLF, lsCR, initial.LineSeparator));
    settings.AutoRecBox = IFile.readBool(s, "AutoRec", initial.AutoRecBox);
    settings.AutoProgBox = IFile.readBool(s, "AutoProg", initial.AutoProgBox);
    settings.ConfirmUpdateBox = IFile.readBool(s, "ConfirmUpdate", initial.ConfirmUpdateBox);
    settings.Fg_UpdateViaTempFolder = IFile.readBool(s, "UpdateViaTempFolder", initial.Fg_UpdateViaTempFolder);
    settings.AutoInternetBox = IFile.readBool(s, "AutoInternet", initial.AutoInternetBox);
    settings.cbAutoSetTime = IFile.readBool(s, "AutoSetTime", initial.cbAutoSetTime);
    settings.AutoUpload = IFile.readBool(s, "AutoUpload", initial.AutoUpload);
    settings.UploadPath = IFile.readString(s, "UploadPath", defaults.DefaultDataPath);

    // "DataPath" may name a file: only its directory part counts. A value without a final
    // separator therefore loses its last component.
    settings.EditDataPath = SettingDirectoryPart(IFile.readString(s, "DataPath", defaults.DefaultDataPath));
    if (settings.EditDataPath.empty())
        settings.EditDataPath = defaults.DefaultDataPath;
    settings.EditDataFileName = SettingNamePart(IFile.readString(s, "DataFileName", DefaultDataFileName));
    if (settings.EditDataFileName.empty())
        settings.EditDataFileName = DefaultDataFileName;
    settings.UpdatePath = IFile.readString(s, "UpdatePath", defaults.UpdateProgPath);
    if (settings.UpdatePath.empty())
        settings.UpdatePath = defaults.UpdateProgPath;
    settings.EditUpdatePath = settings.UpdatePath;

    settings.TarnUpdateFilterIndex = IFile.readInteger(s, "TarnUpdateFilterIndex", initial.TarnUpdateFilterIndex);
    settings.UpdateFilterIndex = IFile.readInteger(s, "UpdateFilterIndex", initial.UpdateFilterIndex);
    settings.ConfigFilterIndex = IFile.readInteger(s, "ConfigFilterIndex", initial.ConfigFilterIndex);
    settings.TableFilterIndex = IFile.readInteger(s, "TableFilterIndex", initial.TableFilterIndex);
    settings.TimeFormat = IFile.readString(s, "TimeFormat", initial.TimeFormat);
    settings.DateFormat = IFile.readString(s, "DateFormat", initial.DateFormat);
    settings.Fg_ReceiveDataSplit = serial && IFile.readBool(s, "ReceiveDataSplit", initial.Fg_ReceiveDataSplit);
}

void WriteStationSection(
    ProfileFile& IFile, const std::string& section, StationKind kind, const StationSettings& settings)
{
    const std::string& s = section;
    const bool serial = kind == StationKind::SerialOrNetwork;
    const StationPortSettings& port = settings.ComPort;

    IFile.writeInteger(s, "Com", serial ? port.ComNumber : 0);
    IFile.writeBool(s, "Winsock", serial && port.DeviceLayer == TDeviceLayer::dlWinsock);
    IFile.writeString(s, "WsAddress", serial ? port.WsAddress : "");
    IFile.writeString(s, "WsPort", serial ? port.WsPort : "");
    IFile.writeInteger(s, "Baud", port.Baud);
    IFile.writeInteger(s, "ByteSize", port.DataBits);
    IFile.writeInteger(s, "StopBits", port.StopBits);
    IFile.writeInteger(s, "Parity", static_cast<int>(port.Parity));
    if (serial) {
        IFile.writeString(s, "ModemInit", settings.ModemInitString);
        IFile.writeInteger(s, "XPos", settings.Left);
        IFile.writeInteger(s, "YPos", settings.Top);
    }
    IFile.writeInteger(s, "ZielDatei", settings.ZielDateiGroup);
    IFile.writeInteger(s, "NachReceive", settings.NachReceiveGroup);
    IFile.writeBool(s, "STXSave", settings.STXCheck);
    IFile.writeBool(s, "ETXSave", settings.ETXCheck);
    IFile.writeBool(s, "STXFullFilename", settings.STXFullFilename);
    IFile.writeInteger(s, "LineSeparator", settings.LineSeparator);
    IFile.writeBool(s, "AutoRec", settings.AutoRecBox);
    IFile.writeBool(s, "AutoProg", settings.AutoProgBox);
    IFile.writeBool(s, "ConfirmUpdate", settings.ConfirmUpdateBox);
    IFile.writeBool(s, "UpdateViaTempFolder", settings.Fg_UpdateViaTempFolder);
    IFile.writeBool(s, "AutoInternet", settings.AutoInternetBox);
    IFile.writeBool(s, "AutoSetTime", settings.cbAutoSetTime);
    IFile.writeBool(s, "AutoUpload", settings.AutoUpload);
    IFile.writeString(s, "UploadPath", settings.UploadPath);
    // An empty path stays empty rather than becoming the root folder; it loads as the default.
    IFile.writeString(s, "DataPath", GetCorrectPath(settings.EditDataPath));
    IFile.writeString(s, "DataFileName", settings.EditDataFileName);
    IFile.writeString(s, "UpdatePath", settings.UpdatePath);
    IFile.writeInteger(s, "TarnUpdateFilterIndex", settings.TarnUpdateFilterIndex);
    IFile.writeInteger(s, "UpdateFilterIndex", settings.UpdateFilterIndex);
    IFile.writeInteger(s, "ConfigFilterIndex", settings.ConfigFilterIndex);
    IFile.writeInteger(s, "TableFilterIndex", settings.TableFilterIndex);
}

} // namespace talvix
