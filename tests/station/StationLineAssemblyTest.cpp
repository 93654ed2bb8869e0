#include <gtest/gtest.h>

#include <string>

#include "station/StationRig.h"

using namespace talvix;
using namespace talvix::test;

namespace {

// Lines come straight from the terminal side of the line; the simulated terminal stays silent.
class LineAssembly : public ::testing::Test {
protected:
    LineAssembly()
    {
        rig.terminal.config().silent = true;
        rig.start(Status);
        rig.station.Timer1->setEnabled(false);
    }
    void fromTerminal(const std::string& bytes)
    {
        rig.link.write(bytes);
        rig.loop.runPending();
        rig.loop.advance(std::chrono::milliseconds(0));
    }
    StationRig rig;
    TMDIChild& station = rig.station;
};

} // namespace

TEST_F(LineAssembly, ControlBytesNeverReachALineAndEmptyLinesAreNotDispatched)
{
    fromTerminal("\n\x11"
                 "AP:\x11 1.0\x0A\r\n\r\r\r");
    EXPECT_EQ(station.AP, " 1.0");
    fromTerminal("\x01\x14KT\x0A"
                 "300\r");
    EXPECT_EQ(station.Art, "KT300");
    fromTerminal("AP: 1.0\r");
    EXPECT_EQ(station.RcvOK, answer::AP);
}

TEST_F(LineAssembly, LinesOf29CharactersAreIgnored)
{
    fromTerminal("AP:" + std::string(25, '2') + "\r");
    EXPECT_EQ(station.AP, std::string(25, '2'));
    fromTerminal("AP:" + std::string(26, '3') + "\r");
    EXPECT_EQ(station.AP, std::string(25, '2'));
    fromTerminal(std::string(29, 'K') + "\r");
    EXPECT_EQ(station.Art, "");
}

TEST_F(LineAssembly, LineNoiseWithoutCarriageReturnIsBoundedAndDroppedWhole)
{
    for (int chunk = 0; chunk < 100; ++chunk) {
        fromTerminal(std::string(1000, 'x'));
        ASSERT_LE(station.HelpBuf.size(), MaxHelpBufLength);
    }
    fromTerminal("AP:9.9\r");
    EXPECT_EQ(station.AP, "") << "the tail of an overlong line is part of it";
    EXPECT_EQ(station.Art, "");
    fromTerminal("AP:1.0\r");
    EXPECT_EQ(station.AP, "1.0");
    EXPECT_TRUE(station.HelpBuf.empty());
}

TEST_F(LineAssembly, NothingIsReadWhileATransferRuns)
{
    station.SetMode(DataReceive);
    fromTerminal("AP:1.0\r");
    EXPECT_EQ(station.AP, "");
    station.SetMode(LoadTbl);
    rig.backends.transfer->running = true;
    fromTerminal("AP:1.0\r");
    EXPECT_EQ(station.AP, "");
    rig.backends.transfer->running = false;
    fromTerminal("AP:1.0\r");
    EXPECT_EQ(station.AP, "1.0");
}

TEST_F(LineAssembly, VersionLineGivesGenerationAndUpdateFlag)
{
    station.Presentation.setDSVisible(true);
    fromTerminal("V20\r");
    EXPECT_EQ(station.LowerVersion, 20);
    EXPECT_FALSE(station.Fg_UpdateEnabled);
    EXPECT_TRUE(station.Presentation.dsVisible());
    fromTerminal("Vxx\r");
    EXPECT_EQ(station.LowerVersion, 20);
    fromTerminal("V31\r");
    EXPECT_EQ(station.LowerVersion, 30);
    EXPECT_TRUE(station.Fg_UpdateEnabled);
    EXPECT_EQ(rig.shown(TViewItem::B_LowerVersion), "31");
    EXPECT_FALSE(station.Presentation.dsVisible());
}

TEST_F(LineAssembly, ModemConnectStartsAndNoCarrierStopsTheTimer)
{
    station.ModemMode = true;
    fromTerminal("CONNECT 9600\r\n");
    EXPECT_TRUE(station.Timer1->isActive());
    EXPECT_EQ(rig.shown(TViewItem::B_Message), "Connecting");
    fromTerminal("NO CARRIER\r\n");
    EXPECT_FALSE(station.Timer1->isActive());
    EXPECT_EQ(station.Mode, Status);
}
