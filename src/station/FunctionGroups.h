#pragma once
// Which menu items and buttons are usable in each phase of a station (the function groups
// 1 to 11 handed over by SetMode). The table is data: the engine keeps the group last applied,
// the window walks the rows in order and enables exactly the controls marked for that group.
//
// Groups: 1 disconnected, off line or file error; 2 status polling; 3 data already transferred
// or inhibited; 4 receiving data; 5 data saved; 6 utility page open; 7 software update running;
// 8 boot loader answering; 9 table load, configuration write or directory read running; 10 port
// error; 11 transfer options page open.

#include <cstdint>
#include <span>
#include <string_view>

namespace talvix {

inline constexpr int FunctionGroupCount = 11;

enum class TFunctionControl : std::uint8_t {
    FileItems,
    DateiOpenItem,
    TalvixExitItem,
    WindowItems,
    WindowCascadeItem,
    WindowTileItem,
    miAddSerialPort,
    miDeleteSerialPort,
    CmdPageItems,
    UpdateItem,
    TabelleLadenItem,
    AbbrechenItem,
    ConfigEditItem,
    ConfigLoadItem,
    OptionItems,
    SioPageItem,
    DataPageItem,
    GeneralItem,
    OptionSaveItem,
    HelpItems,
    HelpAboutItem,
    B_SNr,
    B_Rec,
    ReceiveItem,
    ReceiveBtn, // main window
    StatusDlgBtn, // main window
    DataDlgBtn, // main window
    CmdDlgBtn, // main window
    ExitBtn // main window, hidden
};

struct FunctionGroupRow {
    TFunctionControl control;
    std::string_view name;
    bool mainWindow; // the control belongs to the main window, not to the station window
    // One character per group 1..11: '1' enabled, '-' disabled.
    std::string_view groups;

    bool enabledIn(int group) const
    {
        return group >= 1 && group <= FunctionGroupCount && groups[static_cast<std::size_t>(group - 1)] == '1';
    }
};

// Every switched control, in the order the rows are applied.
std::span<const FunctionGroupRow> functionGroupTable();

bool functionEnabled(int group, TFunctionControl control);

} // namespace talvix
