#include "shell/ProgramSettings.h"

#include "shell/PasswordCheck.h"

namespace talvix {

namespace {

TWndMode wndModeFromSetting(int value)
{
    return value == wmCascade ? wmCascade : value == wmTile ? wmTile : wmNone;
}

} // namespace

ProgramSettings::ProgramSettings(const ProgramFolders& folders, Tfm_TalvixOption& options)
    : ProgramFolders(folders), initFile_(std::make_unique<ProfileFile>(folders.IniDatei)), options_(options)
{
}

void ProgramSettings::ReadAtStart()
{
    const ProfileFile& ini = *initFile_;
    const char* s = MainWndSection;
    UpdateProgPath = ini.readString(s, "UpdateProg", SettingsPath);
    IniVersion = ini.readInteger(s, "Version", 0);
    LogLevel = ini.readInteger(s, "LogLevel", 0);
    LogDelimiter = ini.readInteger(s, "LogDelimiter", 32);
    // An empty value means the default folder, as a missing key does.
    const std::string logPath = ini.readString(s, "LogPath", "");
    LogPath = logPath.empty() ? ProgDataPath + "log/" : logPath;
    LogFileValidityPeriod = ini.readInteger(s, "LogFileValidityPeriod", 30);
    DefaultDialogUpdatePath = ini.readString(s, "DefaultUpdatePath", "");
    DefaultDialogTablePath = ini.readString(s, "DefaultTablePath", "");
    DefaultDialogConfigPath = ini.readString(s, "DefaultConfigPath", "");
    CtrlFilesEnable = ini.readBool(s, "CtrlFilesEnable", false);
    UsbEnable = ini.readBool(s, "UsbEnable", false);
    SupportedDeviceList.clear();
    for (int i = 1;; ++i) {
        const std::string key = "Device" + std::to_string(i);
        if (!ini.valueExists(SupportedSection, key))
            break;
        SupportedDeviceList.push_back(ini.readString(SupportedSection, key, ""));
    }
}

MainWndLayout ProgramSettings::LoadForm()
{
    const ProfileFile& ini = *initFile_;
    const char* s = MainWndSection;
    MainWndLayout layout;
    layout.StartAsIcon = ini.readInteger(s, "WndState", 0) > 0;
    layout.XPos = ini.readInteger(s, "XPos", 0);
    layout.YPos = ini.readInteger(s, "YPos", 0);
    layout.Height = ini.readInteger(s, "Height", 350);
    layout.Width = ini.readInteger(s, "Width", 350);
    layout.WndMode = wndModeFromSetting(ini.readInteger(s, "WndMode", wmCascade));
    layout.Editor = ini.readString(s, "Editor", DefaultEditor);
    const std::string password = ini.readString(s, "Password", "");
    layout.Password = CutPassword(password);
    layout.ChildNo = ini.readInteger(s, "ChildNo", 0);

    options_.Fill(layout.Editor, password, layout.StartAsIcon);
    Password = layout.Password;
    XPos = layout.XPos;
    YPos = layout.YPos;
    Height = layout.Height;
    Width = layout.Width;
    WndMode = layout.WndMode;
    return layout;
}

void ProgramSettings::SaveFormAs(ProfileFile& file)
{
    const char* s = MainWndSection;
    file.writeInteger(s, "Version", CurrentIniVersion);
    file.writeInteger(s, "Height", Height);
    file.writeInteger(s, "Width", Width);
    file.writeInteger(s, "XPos", XPos);
    file.writeInteger(s, "YPos", YPos);
    file.writeInteger(s, "WndState", options_.StartAsIcon() ? 1 : 0);
    file.writeInteger(s, "WndMode", WndMode == wmCascade ? 1 : WndMode == wmTile ? 2 : 0);
    file.writeString(s, "Editor", options_.EditEditor());
    file.writeString(s, "Password", options_.EditPassword());
    file.writeInteger(s, "LogLevel", LogLevel);
    file.writeInteger(s, "LogDelimiter", LogDelimiter);
    file.writeString(s, "LogPath", LogPath);
    file.writeInteger(s, "LogFileValidityPeriod", LogFileValidityPeriod);
    file.writeString(s, "DefaultUpdatePath", DefaultDialogUpdatePath);
    file.writeString(s, "DefaultTablePath", DefaultDialogTablePath);
    file.writeString(s, "DefaultConfigPath", DefaultDialogConfigPath);
    const int stations = writeStations_ ? writeStations_(file) : 0;
    file.writeInteger(s, "ChildNo", stations);
    for (int n = stations + 1; file.sectionExists("STATION" + std::to_string(n)); ++n)
        file.eraseSection("STATION" + std::to_string(n));
}

SaveResult ProgramSettings::SaveFormSimple()
{
    try {
        SaveFormAs(*initFile_);
    } catch (const ProfileWriteError& e) {
        return {false, e.what()};
    }
    Modify = false;
    return {true, {}};
}

SaveResult ProgramSettings::SaveForm(const std::function<bool()>& CheckPassword)
{
    if (!CheckPassword())
        return {};
    return SaveFormSimple();
}

bool ProgramSettings::TalvixOptionItemClick(OptionsDialogView& view, const std::function<bool()>& CheckPassword)
{
    if (!CheckPassword())
        return false;
    options_.Modify = false;
    if (!view.ShowModal(options_))
        return false;
    Modify = Modify || options_.Modify;
    Password = CutPassword(options_.EditPassword());
    return true;
}

} // namespace talvix
