#include "station/FunctionGroups.h"

#include <array>

namespace talvix {
namespace {

using enum TFunctionControl;

// clang-format off
// Group columns:                                            12345678901
constexpr std::array<FunctionGroupRow, 29> rows = {{
    {FileItems, "FileItems", false,                         "11111-1111-"},
    {DateiOpenItem, "DateiOpenItem", false,                 "11111-1111-"},
    {TalvixExitItem, "TalvixExitItem", false,               "111-1--1-1-"},
    {WindowItems, "WindowItems", false,                     "111-1--1-1-"},
    {WindowCascadeItem, "WindowCascadeItem", false,         "111-1--1-1-"},
    {WindowTileItem, "WindowTileItem", false,               "111-1--1-1-"},
    {miAddSerialPort, "miAddSerialPort", false,             "1----------"},
    {miDeleteSerialPort, "miDeleteSerialPort", false,       "1----------"},
    {CmdPageItems, "CmdPageItems", false,                   "-11-1------"},
    {UpdateItem, "UpdateItem", false,                       "-11-1--1---"},
    {TabelleLadenItem, "TabelleLadenItem", false,           "-11-1------"},
    {AbbrechenItem, "AbbrechenItem", false,                 "---1--1-1--"},
    {ConfigEditItem, "ConfigEditItem", false,               "-11-1------"},
    {ConfigLoadItem, "ConfigLoadItem", false,               "-11-1------"},
    {OptionItems, "OptionItems", false,                     "111-1--1-1-"},
    {SioPageItem, "SioPageItem", false,                     "111-1--1-1-"},
    {DataPageItem, "DataPageItem", false,                   "111-1--1---"},
    {GeneralItem, "GeneralItem", false,                     "11111-1111-"},
    {OptionSaveItem, "OptionSaveItem", false,               "111-1--1-1-"},
    {HelpItems, "HelpItems", false,                         "11111-1111-"},
    {HelpAboutItem, "HelpAboutItem", false,                 "11111-1111-"},
    {B_SNr, "B_SNr", false,                                 "-11-1------"},
    {B_Rec, "B_Rec", false,                                 "-11-1------"},
    {ReceiveItem, "ReceiveItem", false,                     "-1---------"},
    {ReceiveBtn, "ReceiveBtn", true,                        "-1---------"},
    {StatusDlgBtn, "StatusDlgBtn", true,                    "--1-11----1"},
    {DataDlgBtn, "DataDlgBtn", true,                        "111-1--1---"},
    {CmdDlgBtn, "CmdDlgBtn", true,                          "-11-1------"},
    {ExitBtn, "ExitBtn", true,                              "111-11-1--1"},
}};
// clang-format on

} // namespace

std::span<const FunctionGroupRow> functionGroupTable()
{
    return rows;
}

bool functionEnabled(int group, TFunctionControl control)
{
    for (const FunctionGroupRow& row : rows) {
        if (row.control == control)
            return row.enabledIn(group);
    }
    return false;
}

} // namespace talvix
