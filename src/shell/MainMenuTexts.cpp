#include "shell/MainMenuTexts.h"

namespace talvix {

const std::vector<MainWindowControlKeys>& MainWindowControls()
{
    static const std::vector<MainWindowControlKeys> controls = {
        { "FileItems", "menu_File", "hint_File", "&Datei" },
        { "DateiOpenItem", "menu_FileOpen", "hint_FileOpen", "D&atei öffnen" },
        { "FileExitItem", "menu_Exit", "hint_Exit", "&Beenden" },
        { "WindowItems", "menu_Window", "hint_Window", "&Station" },
        { "miCascade", "menu_WndOverlap", "hint_WndOverlap", "&Cascade" },
        { "miTile", "menu_WndBySide", "hint_WndBySide", "&Tile" },
        { "miAddSerialPort", "menu_WndNew", "hint_WndNew", "Add Serial Port" },
        { "miDeleteSerialPort", "menu_WndClose", "hint_WndClose", "Delete Serial Port" },
        { "Option1", "menu_Option", "hint_Option", "&Optionen" },
        { "TalvixOptionItem", "menu_OptGeneral", "hint_OptGeneral", "&Allgemein" },
        { "OptionSaveItem", "menu_OptSave", "hint_OptSave", "Option Save" },
        { "HelpItems", "menu_Help", "hint_Help", "&Hilfe" },
        { "HelpInhaltItem", "menu_HelpContents", "hint_HelpContents", "&Inhalt" },
        { "HelpManualItem", "menu_HelpManual", "", "&Manual" },
        { "HelpSortManualItem", "menu_HelpSortManual", "", "&SortManual" },
        { "HelpAboutItem", "menu_HelpAbout", "hint_HelpAbout", "Inf&o" },
        { "ReceiveBtn", "", "hint_BtnReceive", "Datenempfang" },
        { "StatusDlgBtn", "", "hint_BtnStatus", "Status-Anzeige" },
        { "DataDlgBtn", "", "hint_OptData", "Übertragungs Optionen" },
        { "CmdDlgBtn", "", "hint_FuncUtility", "Hilfmittel" },
        { "HelpBtn", "", "hint_HelpBtn", "" },
        { "ExitBtn", "", "hint_Exit", "" },
    };
    return controls;
}

std::vector<ControlCaption> CaptionMainWindow(const TextCatalogue& TextList)
{
    const auto lookUp
        = [&](const std::string& key) { return key.empty() ? std::string() : TextList.GetText(key, UnknownText); };
    std::vector<ControlCaption> captions;
    for (const MainWindowControlKeys& control : MainWindowControls())
        captions.push_back({ control.name, lookUp(control.captionKey), lookUp(control.hintKey) });
    return captions;
}

} // namespace talvix
