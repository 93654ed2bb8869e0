#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "station/FunctionGroups.h"
#include "station/StationModes.h"

using namespace talvix;

TEST(ModeLogLevels, EachLevelLogsItsSetOfModes)
{
    const std::set<TMode> level2 = { mReset, WsDisconnect, OffLine, Status, DataReceive, DataSaved, DataAlready,
        DataInhibit, SWUpDate, BootProg, LoadTbl };
    const std::set<TMode> level3
        = { OffLine, Status, DataReceive, DataSaved, DataAlready, DataInhibit, SWUpDate, LoadTbl };
    const std::set<TMode> level4 = { DataSaved, LoadTbl };
    const std::set<TMode> level5 = { DataSaved };
    for (std::size_t m = 0; m < ModeCount; ++m) {
        const auto mode = static_cast<TMode>(m);
        SCOPED_TRACE(std::string(modeInfo(mode).logName));
        EXPECT_FALSE(modeChangeLogged(0, mode));
        EXPECT_TRUE(modeChangeLogged(1, mode));
        EXPECT_EQ(modeChangeLogged(2, mode), level2.contains(mode));
        EXPECT_EQ(modeChangeLogged(3, mode), level3.contains(mode));
        EXPECT_EQ(modeChangeLogged(4, mode), level4.contains(mode));
        EXPECT_EQ(modeChangeLogged(5, mode), level5.contains(mode));
        EXPECT_FALSE(modeChangeLogged(6, mode));
        EXPECT_FALSE(modeChangeLogged(9, mode));
    }
}

TEST(FunctionGroups, ReceivingAllowsOnlyFileAbortGeneralOptionsAndHelp)
{
    std::vector<std::string> enabled;
    for (const FunctionGroupRow& row : functionGroupTable()) {
        if (row.enabledIn(4))
            enabled.emplace_back(row.name);
    }
    EXPECT_EQ(enabled,
        (std::vector<std::string> {
            "FileItems", "DateiOpenItem", "AbbrechenItem", "GeneralItem", "HelpItems", "HelpAboutItem" }));
}

TEST(FunctionGroups, TheUtilityPageLeavesOnlyTheMainWindowsStatusButton)
{
    for (const FunctionGroupRow& row : functionGroupTable()) {
        SCOPED_TRACE(std::string(row.name));
        const bool expected = row.control == TFunctionControl::StatusDlgBtn || row.control == TFunctionControl::ExitBtn;
        EXPECT_EQ(row.enabledIn(6), expected);
    }
}

TEST(FunctionGroups, GroupsOutsideOneToElevenEnableNothing)
{
    for (const FunctionGroupRow& row : functionGroupTable()) {
        EXPECT_EQ(row.groups.size(), static_cast<std::size_t>(FunctionGroupCount));
        EXPECT_FALSE(row.enabledIn(0));
        EXPECT_FALSE(row.enabledIn(12));
    }
    EXPECT_TRUE(functionEnabled(1, TFunctionControl::miAddSerialPort));
    EXPECT_FALSE(functionEnabled(2, TFunctionControl::miAddSerialPort));
    EXPECT_TRUE(functionEnabled(2, TFunctionControl::ReceiveBtn));
}
