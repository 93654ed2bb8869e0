#include <gtest/gtest.h>

#include "sim/SimAnswers.h"
#include "sim/SimRecords.h"
#include "sim/SimTerminalFixture.h"
#include "sim/XModemBlocks.h"

using namespace talvix;
using namespace talvix::sim;
using namespace talvix::sim::xmodem;
using namespace std::chrono_literals;
using SimTransferTest = talvix::test::SimTerminalFixture;

namespace {

// 300 bytes: three blocks, the last one filled.
std::string threeBlockFile()
{
    std::string file;
    for (int i = 0; i < 300; ++i)
        file.push_back(static_cast<char>(i % 251));
    return file;
}

const std::string ack(1, ACK);
const std::string nak(1, NAK);
const std::string eot(1, EOT);
const std::string cancel(3, CAN);

} // namespace

TEST_F(SimTransferTest, SendsTheDataMemoryBlockByBlockThenTakesCommandsAgain)
{
    const std::string file = threeBlockFile();
    terminal.setData(file);
    EXPECT_EQ(exchange("XD\r"), "") << "the sender waits for the receiver's handshake";
    EXPECT_EQ(exchange("C"), frameBlock(file, 0, BlockCheck::Crc16));
    EXPECT_EQ(exchange(ack), frameBlock(file, 1, BlockCheck::Crc16));
    EXPECT_EQ(exchange(nak), frameBlock(file, 1, BlockCheck::Crc16));
    EXPECT_EQ(exchange("\x55" + ack), frameBlock(file, 2, BlockCheck::Crc16)) << "noise before the ACK is ignored";
    EXPECT_EQ(exchange(ack), eot);
    EXPECT_EQ(exchange(nak), eot);
    EXPECT_EQ(exchange(ack), "");
    EXPECT_EQ(transferEnds, (std::vector<TransferResult> { TransferResult::Completed }));
    EXPECT_EQ(terminal.data(), file) << "only CLRMEM clears the data";
    EXPECT_EQ(exchange("V\r"), statusAnswer(terminal.config()));
    EXPECT_EQ(terminal.commands(), (std::vector<std::string> { "XD", "V" }));
}

TEST_F(SimTransferTest, NakHandshakeSelectsTheChecksum)
{
    const std::string file = threeBlockFile();
    terminal.setData(file);
    exchange("XD\r");
    EXPECT_EQ(exchange(nak), frameBlock(file, 0, BlockCheck::Checksum));
    EXPECT_EQ(exchange(ack), frameBlock(file, 1, BlockCheck::Checksum));
}

TEST_F(SimTransferTest, RepeatsABlockOnNakOrSilenceAndGivesUpAfterTenRepeats)
{
    const std::string file = threeBlockFile();
    const std::string first = frameBlock(file, 0, BlockCheck::Crc16);
    terminal.setData(file);
    exchange("XD\r");
    EXPECT_EQ(exchange("C"), first);
    EXPECT_EQ(exchange("C"), first) << "a receiver that missed block 1 asks again";
    received.clear();
    loop.advance(XModemSender::replyWait - 1ms);
    EXPECT_EQ(received, "");
    loop.advance(1ms);
    EXPECT_EQ(received, first);
    for (int repeat = 3; repeat <= XModemSender::maxErrors; ++repeat)
        EXPECT_EQ(exchange(nak), first) << repeat;
    EXPECT_EQ(exchange(nak), cancel);
    EXPECT_EQ(transferEnds, (std::vector<TransferResult> { TransferResult::TooManyErrors }));
    EXPECT_FALSE(terminal.transferRunning());
}

TEST_F(SimTransferTest, TwoCansCancelAndTheRestOfTheCancelSequenceIsNoCommand)
{
    const std::string file = threeBlockFile();
    terminal.setData(file);
    exchange("XD\r");
    exchange("C");
    EXPECT_EQ(exchange(std::string(1, CAN) + ack), frameBlock(file, 1, BlockCheck::Crc16)) << "a single CAN is noise";
    EXPECT_EQ(exchange("\x18\x18\x18\b\b\bV\r"), statusAnswer(terminal.config()));
    EXPECT_EQ(transferEnds, (std::vector<TransferResult> { TransferResult::Cancelled }));
    EXPECT_EQ(terminal.commands(), (std::vector<std::string> { "XD", "V" }));
}

TEST_F(SimTransferTest, ReceiverThatNeverAsksLeavesTheTerminalDeafForAMinuteOnly)
{
    terminal.setData("1\r\n");
    exchange("XD\r");
    EXPECT_EQ(exchange("V\r"), "");
    loop.advance(XModemSender::handshakeWait);
    EXPECT_EQ(transferEnds, (std::vector<TransferResult> { TransferResult::NoHandshake }));
    EXPECT_EQ(exchange("V\r"), statusAnswer(terminal.config()));
}

TEST_F(SimTransferTest, ALostLineEndsTheTransferAndTheNextLineFindsTheTerminalAnswering)
{
    const std::string file = threeBlockFile();
    terminal.setData(file);
    exchange("XD\r");
    exchange("C");
    terminal.lineLost();
    EXPECT_EQ(transferEnds, (std::vector<TransferResult> { TransferResult::Cancelled }));
    EXPECT_FALSE(terminal.transferRunning());
    EXPECT_EQ(exchange("V\r"), "") << "nobody to talk to";

    terminal.setSend([this](const std::string& bytes) { received += bytes; });
    EXPECT_EQ(exchange("V\r"), statusAnswer(terminal.config()));
    EXPECT_EQ(terminal.data(), file) << "the data stay for the next transfer";
}

TEST_F(SimTransferTest, WhatEachTransferCommandSends)
{
    terminal.setData("");
    terminal.setFile("Conf.cfg", "abc");
    terminal.setFile(SimTerminal::errorLogName, "E17\r\n");
    struct Case {
        std::string command;
        std::string firstAnswer;
        TransferResult end;
    };
    const Case cases[] = {
        { "XD", eot, TransferResult::Completed },
        { "XD:CONF.CFG", frameBlock("abc", 0, BlockCheck::Crc16), TransferResult::Completed },
        { "XD:DIR.SYS", frameBlock("Conf.cfg\r\nERROR.LOG\r\n", 0, BlockCheck::Crc16), TransferResult::Completed },
        { "XDMPERR", frameBlock("E17\r\n", 0, BlockCheck::Crc16), TransferResult::Completed },
        { "XD:NOPE.TXT", cancel, TransferResult::Refused },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        transferEnds.clear();
        exchange(c.command + "\r");
        EXPECT_EQ(exchange("C"), c.firstAnswer);
        if (c.firstAnswer != eot && c.firstAnswer != cancel) {
            EXPECT_EQ(exchange(ack), eot);
        }
        exchange(ack);
        EXPECT_EQ(transferEnds, (std::vector<TransferResult> { c.end }));
    }
}

TEST_F(SimTransferTest, InhibitedTerminalRefusesItsData)
{
    terminal.setData("1\r\n");
    terminal.config().lock = LockFlag::T3;
    exchange("XD\r");
    EXPECT_EQ(exchange("C"), cancel);
    EXPECT_EQ(transferEnds, (std::vector<TransferResult> { TransferResult::Refused }));
}

TEST_F(SimTransferTest, StallingSenderFallsSilentButStillHearsCan)
{
    const std::string file = threeBlockFile();
    terminal.setData(file);
    terminal.config().transferFaults.stallAfterBlocks = 1;
    exchange("XD\r");
    exchange("C");
    EXPECT_EQ(exchange(ack), "");
    received.clear();
    loop.advance(10min);
    EXPECT_EQ(received, "");
    EXPECT_TRUE(terminal.transferRunning());
    exchange("\x18\x18");
    EXPECT_EQ(transferEnds, (std::vector<TransferResult> { TransferResult::Cancelled }));
}

TEST_F(SimTransferTest, DropsTheConnectionAfterTheGivenBlocks)
{
    const std::string file = threeBlockFile();
    terminal.setData(file);
    terminal.config().transferFaults.dropAfterBlocks = 2;
    exchange("XD\r");
    exchange("C");
    exchange(ack);
    EXPECT_EQ(drops, 0);
    received.clear();
    terminal.onBytes(ack);
    loop.advance(0ms);
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(received, "");
    EXPECT_EQ(transferEnds, (std::vector<TransferResult> { TransferResult::Dropped }));
}

TEST_F(SimTransferTest, NewRecordsAreAppendedAsBlocksAndReplaceTransmittedOnes)
{
    terminal.config().recordFormat = RecordFormat { true, "inv.txt", true };
    terminal.addRecords(3);
    terminal.addRecords(2);
    EXPECT_EQ(terminal.recordCount(), 5);
    EXPECT_EQ(columns(serialAnswer(), 16, 20), "00005");
    EXPECT_EQ(terminal.data(),
        generateRecordBlock(terminal.config().recordFormat, "123456", terminal.clock(), 1, 3)
            + generateRecordBlock(terminal.config().recordFormat, "123456", terminal.clock(), 4, 2));
    exchange("T1\r");
    terminal.addRecords(1);
    EXPECT_EQ(lockFlag(), "T0");
    EXPECT_EQ(terminal.recordCount(), 1);
    EXPECT_NE(terminal.data().find("\r\n000006;"), std::string::npos) << terminal.data();
    exchange("CLRMEM\r");
    EXPECT_EQ(terminal.recordCount(), 0);
    EXPECT_EQ(terminal.data(), "");
}
