#include "ReferenceCrc.h"
#include "XmTestPeer.h"

using namespace talvix;
using namespace talvix::test;
using namespace talvix::xmodem;
using namespace std::chrono_literals;

namespace {

const std::string C = "C";
const std::string ack(1, ACK);
const std::string nak(1, NAK);
const std::string eot(1, EOT);

std::string pattern(std::size_t n)
{
    std::string data;
    for (std::size_t i = 0; i < n; ++i)
        data += (i % 50 == 49) ? '\r' : static_cast<char>('a' + i % 26);
    return data;
}

std::string block(std::uint8_t number, const std::string& data, BlockCheck check = BlockCheck::Crc16)
{
    return makeBlock(number, data, check);
}

class XmReceive : public XmEngineFixture {
protected:
    XmReceive()
    {
        target = dir / "RECEIVE.TMP";
        engine.SetFileName(target);
    }
    std::string target;
};

} // namespace

TEST_F(XmReceive, AnUnansweredHandshakeAsksFourTimesWithCThenWithNakAndGivesUp)
{
    engine.StartReceive();
    EXPECT_EQ(runToEnd(), -6008);
    const std::vector<SentByte> expected = {
        { 0ms, 'C' },
        { 990ms, 'C' },
        { 1980ms, 'C' },
        { 2970ms, 'C' },
        { 3960ms, NAK },
        { 4950ms, NAK },
        { 5940ms, NAK },
        { 6930ms, NAK },
        { 7920ms, NAK },
        { 8910ms, NAK },
        { 9900ms, CAN },
        { 9900ms, CAN },
        { 9900ms, CAN },
        { 9900ms, BS },
        { 9900ms, BS },
        { 9900ms, BS },
    };
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(finishedAt, 9900ms);
    EXPECT_EQ(finishes.size(), 1u);
}

TEST_F(XmReceive, ThreeHundredBytesAreStoredAsThreeWholeBlocks)
{
    const std::string data = pattern(300);
    answerInTurn(
        C + ACK, { block(1, data.substr(0, 128)), block(2, data.substr(128, 128)), block(3, data.substr(256)), eot });
    engine.StartReceive();
    EXPECT_EQ(runToEnd(), 0);
    EXPECT_EQ(ReadFile(target), data + std::string(84, SUB));
    EXPECT_EQ(engine.BytesTransferred(), 384);
    EXPECT_EQ(engine.RecordsTransferred(), 6);
    EXPECT_EQ(sentBytes(), "C" + std::string(4, ACK));
    EXPECT_EQ(engine.FileName(), target);
}

TEST_F(XmReceive, TheReceiverTablesOfPeerBehaviour)
{
    const std::string one = pattern(128);
    const std::string two = pattern(256).substr(128);
    struct Case {
        const char* what;
        std::vector<std::string> replies; // to "C", then to each ACK or NAK
        int code;
        std::string file;
        std::string sent;
    };
    std::string badComplement = block(2, two);
    badComplement[2] = 0;
    std::string badCrc = block(2, two);
    badCrc[70] ^= 0x40;
    const std::string cancel(cancelSequence);
    const Case cases[] = {
        { "a repeated block is acknowledged and dropped", { block(1, one), block(1, one), block(2, two), eot }, 0,
            one + two, "C" + std::string(4, ACK) },
        { "a bad complement cancels at once", { block(1, one), badComplement }, -6009, one, "C" + ack + cancel },
        { "a bad crc is refused and the repeat taken", { block(1, one), badCrc, block(2, two), eot }, 0, one + two,
            "C" + ack + nak + ack + ack },
        { "a block out of order cancels", { block(1, one), block(3, two) }, -6009, one, "C" + ack + cancel },
        { "noise before a block start is skipped", { "\r\n>" + block(1, one), eot }, 0, one, "C" + ack + ack },
        { "two CAN are ignored", { "\x18\x18" + block(1, one), eot }, 0, one, "C" + ack + ack },
        { "the third CAN in a row cancels", { block(1, one), "\x18\x18\x18" }, -6005, one, "C" + ack + cancel },
        { "CAN not in a row do not add up", { "\x18\x18z\x18" + block(1, one), eot }, 0, one, "C" + ack + ack },
        { "an empty file is just EOT", { eot }, 0, "", "C" + ack },
    };
    for (const Case& c : cases) {
        sent.clear();
        finishes.clear();
        std::vector<std::string> replies = c.replies;
        answerInTurn(C + ACK + NAK, replies);
        engine.StartReceive();
        EXPECT_EQ(runToEnd(), c.code) << c.what;
        EXPECT_EQ(ReadFile(target), c.file) << c.what;
        EXPECT_EQ(sentBytes(), c.sent) << c.what;
        loop.advance(60s); // nothing more after the end
        EXPECT_EQ(sentBytes(), c.sent) << c.what;
        EXPECT_EQ(finishes.size(), 1u) << c.what;
    }
}

TEST_F(XmReceive, ALongBlockIsAcceptedThoughNeverAskedFor)
{
    const std::string data(1024, 'k');
    answerInTurn(C + ACK, { longBlock(1, data), eot });
    engine.StartReceive();
    EXPECT_EQ(runToEnd(), 0);
    EXPECT_EQ(ReadFile(target), data);
    EXPECT_EQ(engine.BytesTransferred(), 1024);
}

TEST_F(XmReceive, AfterTheFallbackToChecksumTheResetTypeAsksWithCAgain)
{
    const std::string data = pattern(100);
    answerInTurn(nak + ACK, { block(1, data, BlockCheck::Checksum), eot });
    engine.StartReceive();
    EXPECT_EQ(runToEnd(), 0);
    EXPECT_EQ(sentBytes(), "CCCC" + nak + ack + ack);
    EXPECT_EQ(engine.BlockCheckMethod(), BlockCheck::Checksum);
    EXPECT_EQ(ReadFile(target), data + std::string(28, SUB));

    sent.clear();
    finishes.clear();
    engine.SetProtocolType(TProtocolType::ptNoProtocol);
    engine.StartReceive();
    EXPECT_FALSE(engine.InProgress());
    engine.SetProtocolType(TProtocolType::ptXmodemCRC);
    EXPECT_EQ(engine.BlockCheckMethod(), BlockCheck::Crc16);
    answerInTurn(C + ACK, { block(1, data), eot });
    engine.StartReceive();
    EXPECT_EQ(runToEnd(), 0);
    EXPECT_EQ(sentBytes(), "C" + ack + ack);
}

TEST_F(XmReceive, ADroppedBlockStartNeverPassesForTheEnd)
{
    // Block 4 loses its SOH, so its number byte 4 looks like EOT at a block start. The bytes
    // right behind it show that it was none; the block wait runs out, and the sender's next
    // try of block 4 goes through.
    const std::string data(512, 'x');
    std::vector<std::string> replies;
    for (int i = 0; i < 4; ++i)
        replies.push_back(block(static_cast<std::uint8_t>(i + 1), data.substr(128 * i, 128)));
    replies[3].erase(0, 1);
    replies.push_back(block(4, data.substr(384)));
    replies.push_back(eot);
    answerInTurn(C + ACK + NAK, replies);
    engine.StartReceive();
    EXPECT_EQ(runToEnd(), 0);
    EXPECT_EQ(ReadFile(target), data);
    EXPECT_EQ(finishedAt, 12100ms + 110ms);
}

TEST_F(XmReceive, TheEndIsAcknowledgedOnceTheLineStaysQuiet)
{
    answerInTurn(C + ACK, { block(1, "z"), eot });
    engine.StartReceive();
    EXPECT_EQ(runToEnd(), 0);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[2].byte, ACK);
    EXPECT_EQ(sent[2].at, 110ms);
}

TEST_F(XmReceive, BetweenBlocksSilenceRepeatsTheLastAnswer)
{
    answerInTurn(C, { block(1, "z") });
    engine.StartReceive();
    loop.advance(3 * 12100ms);
    EXPECT_EQ(sentBytes(), "C" + std::string(4, ACK));
    EXPECT_EQ(sent[2].at, 12100ms);
    EXPECT_TRUE(engine.InProgress());
    EXPECT_EQ(runToEnd(), -6008);
    EXPECT_EQ(finishedAt, 6 * 12100ms);
}

TEST_F(XmReceive, AnUnfinishedBlockIsRefusedAfterTheBlockWait)
{
    const std::string whole = block(1, "z");
    answerInTurn(C + NAK + ACK, { whole.substr(0, 60), whole, eot });
    engine.StartReceive();
    EXPECT_EQ(runToEnd(), 0);
    EXPECT_EQ(sentBytes(), "C" + nak + ack + ack);
    EXPECT_EQ(sent[1].at, 12100ms);
    EXPECT_EQ(ReadFile(target), "z" + std::string(127, SUB));
}

TEST_F(XmReceive, CancelProtocolSendsTheCancelSequenceAndKeepsThePartialFile)
{
    answerInTurn(C, { block(1, "part") });
    engine.StartReceive();
    loop.advance(1s);
    engine.CancelProtocol();
    EXPECT_EQ(runToEnd(), -6005);
    EXPECT_EQ(sentBytes(), "C" + ack + std::string(cancelSequence));
    EXPECT_EQ(ReadFile(target), "part" + std::string(124, SUB));
    engine.CancelProtocol();
    loop.advance(1s);
    EXPECT_EQ(finishes.size(), 1u);
}

TEST_F(XmReceive, StatusEventsOpenRepeatAndCloseTheTransferThenOneFinish)
{
    engine.StartReceive();
    EXPECT_TRUE(engine.InProgress());
    EXPECT_EQ(runToEnd(), -6008);
    ASSERT_GE(statuses.size(), 3u);
    EXPECT_EQ(statuses.front(), TXmProtocol::firstCall);
    EXPECT_EQ(statuses.back(), TXmProtocol::lastCall);
    // 9.9 s at one status every 0.55 s (the one due with the end may give way to the last).
    const auto periodic = std::count(statuses.begin(), statuses.end(), 0);
    EXPECT_GE(periodic, 17);
    EXPECT_LE(periodic, 18);
    EXPECT_EQ(statusesBeforeFinish, statuses.size());
    EXPECT_FALSE(inProgressInFinish);
}

TEST_F(XmReceive, FilesThatCannotBeWritten)
{
    engine.SetFileName("");
    engine.StartReceive();
    EXPECT_EQ(runToEnd(), -6010);
    finishes.clear();
    engine.SetFileName(dir / "no/such/folder/X.TMP");
    engine.StartReceive();
    EXPECT_EQ(runToEnd(), -ENOENT);
    EXPECT_TRUE(sent.empty());
}

TEST_F(XmReceive, ReceivingReplacesAnExistingFile)
{
    WriteFile(target, std::string(1000, 'o'));
    answerInTurn(C + ACK, { block(1, "new"), eot });
    engine.StartReceive();
    EXPECT_EQ(runToEnd(), 0);
    EXPECT_EQ(ReadFile(target), "new" + std::string(125, SUB));
}

TEST_F(XmReceive, APortThatClosesUnderTheTransferEndsIt)
{
    answerInTurn(C, { block(1, "z") });
    engine.StartReceive();
    loop.advance(1s);
    port.SetOpen(false);
    EXPECT_EQ(runToEnd(), -6014);
}
