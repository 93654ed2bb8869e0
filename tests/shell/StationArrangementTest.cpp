// The pure rules of the main window: tile cells and origins, the free-mode centre, the editor
// command line and the menu captions.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/EditorCommand.h"
#include "shell/MainMenuTexts.h"
#include "shell/StationArrangement.h"
#include "support/TempDir.h"

using namespace talvix;
using talvix::test::TempDir;
using talvix::test::WriteFile;

TEST(StationArrangement, TheFreeCellIsTheLowestNobodyHolds)
{
    struct Case {
        std::vector<int> held;
        int stations;
        int cell;
    };
    const Case cases[] = {
        { { -1 }, 1, 0 },
        { { 0, 2, -1 }, 3, 1 },
        { { 1, 0, -1 }, 3, 2 },
        { { 0, 1, 2 }, 3, 2 }, // all taken: the last
        { { 5, 7, -1 }, 3, 0 }, // cells beyond the count do not block
        { { 0, 0, 0, 0 }, 4, 1 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(FreeTileCell(c.held, c.stations), c.cell);
}

TEST(StationArrangement, AStationWithoutWidthTilesInOneColumn)
{
    EXPECT_EQ(TileCellOrigin(3, 700, 0, 100), (WindowOrigin { 0, 300 }));
    EXPECT_EQ(TileCellOrigin(3, 100, 300, 200), (WindowOrigin { 0, 600 })); // wider than the window
}

TEST(StationArrangement, CentringHalvesTowardsZero)
{
    EXPECT_EQ(CentredOrigin({ 800, 600, 30, 20 }, 301, 201), (WindowOrigin { 249, 174 }));
    EXPECT_EQ(CentredOrigin({ 200, 100, 30, 20 }, 301, 201), (WindowOrigin { -50, -75 }));
}

TEST(EditorCommand, TheSettingIsSplitAndTheFileIsAnArgumentOfItsOwn)
{
    struct Case {
        const char* setting;
        std::string program;
        std::vector<std::string> arguments;
    };
    const std::string file = "/data/my file;$(rm).txt";
    const Case cases[] = {
        { "mousepad", "mousepad", { file } },
        { "  gedit   --new-window\t-s ", "gedit", { "--new-window", "-s", file } },
        { "\"/opt/My Editor/edit\" -n", "/opt/My Editor/edit", { "-n", file } },
        { "C:\\Tools\\edit.exe /a", "C:\\Tools\\edit.exe", { "/a", file } },
        { "edit \"\" x\"y z\"", "edit", { "", "xy z", file } },
        { "", "", {} },
        { "   ", "", {} },
        { "\"\" -n", "", {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        const EditorCommand command = EditorCommandFor(c.setting, file);
        EXPECT_EQ(command.program, c.program);
        EXPECT_EQ(command.arguments, c.arguments);
    }
}

TEST(MainMenuTexts, CaptionsAndHintsComeFromTheCatalogue)
{
    TempDir dir;
    WriteFile(dir / "Talvix5.lng", "[LABEL]\nmenu_File=&File\nhint_BtnReceive=Receive data\n");
    const std::vector<ControlCaption> captions = CaptionMainWindow(TextCatalogue(dir / "Talvix5.lng"));
    ASSERT_EQ(captions.size(), MainWindowControls().size());
    const auto find = [&](const std::string& name) {
        for (const ControlCaption& c : captions)
            if (c.name == name)
                return c;
        return ControlCaption {};
    };
    EXPECT_EQ(find("FileItems").caption, "&File");
    EXPECT_EQ(find("FileItems").hint, "unnown");
    EXPECT_EQ(find("HelpManualItem").hint, "");
    EXPECT_EQ(find("ReceiveBtn").caption, "");
    EXPECT_EQ(find("ReceiveBtn").hint, "Receive data");
}
