#include <fstream>

#include "XmTestPeer.h"
#include "port/PortTick.h"

using namespace talvix;
using namespace talvix::test;
using namespace talvix::xmodem;
using namespace std::chrono_literals;

namespace {

const std::string ack(1, ACK);
const std::string nak(1, NAK);
const std::string eot(1, EOT);

class XmSend : public XmEngineFixture {
protected:
    void sendFile(const std::string& bytes)
    {
        source = dir / "Prog.tbl";
        WriteFile(source, bytes);
        engine.SetFileMask(source);
    }
    // A receiver that opens with "C" and answers as `reply` says.
    void startWithReceiver(std::function<std::string(const std::string&)> reply)
    {
        receiveWith(std::move(reply));
        engine.StartTransmit();
        link.write("C");
    }
    std::string source;
};

std::string blocksOf(const std::string& data)
{
    std::string out;
    for (std::size_t i = 0; i * 128 < data.size(); ++i)
        out += makeBlock(static_cast<std::uint8_t>(i + 1), data.substr(i * 128, 128), BlockCheck::Crc16);
    return out;
}

} // namespace

TEST_F(XmSend, AZeroLengthFileSendsOnlyEot)
{
    sendFile("");
    startWithReceiver([](const std::string&) { return ack; });
    EXPECT_EQ(runToEnd(), 0);
    EXPECT_EQ(sentBytes(), eot);
    EXPECT_EQ(engine.BytesTransferred(), 0);
}

TEST_F(XmSend, BlocksAreFilledResentOnNakAndCounted)
{
    std::string data;
    for (int i = 0; i < 300; ++i)
        data += static_cast<char>(i * 7);
    sendFile(data);
    int blocksSeen = 0;
    startWithReceiver([&](const std::string& unit) { return unit[0] == SOH && ++blocksSeen == 2 ? nak : ack; });
    EXPECT_EQ(runToEnd(), 0);
    const std::string blocks = blocksOf(data);
    EXPECT_EQ(sentBytes(), blocks.substr(0, 266) + blocks.substr(133) + eot);
    EXPECT_EQ(engine.BytesTransferred(), 300);
    EXPECT_EQ(finishes.size(), 1u);
}

TEST_F(XmSend, ANakOpensAChecksumTransfer)
{
    sendFile("sum");
    receiveWith([](const std::string&) { return ack; }, 132);
    engine.StartTransmit();
    link.write(nak);
    EXPECT_EQ(runToEnd(), 0);
    EXPECT_EQ(sentBytes(), makeBlock(1, "sum", BlockCheck::Checksum) + eot);
}

TEST_F(XmSend, AnswersToTheEndOfTransmission)
{
    struct Case {
        const char* what;
        std::vector<std::string> answers; // to each EOT in turn
        int code;
        int eots;
    };
    const Case cases[] = {
        { "ACK ends it", { ack }, 0, 1 },
        { "a NAK first is answered with a second EOT", { nak, ack }, 0, 2 },
        { "the third NAK gives up", { nak, nak, nak }, -6008, 3 },
        { "garbage counts as errors until more than five", { "?", "?", "?", "?", "?", "?" }, -6008, 6 },
        { "silence repeats EOT", { "", "", ack }, 0, 3 },
    };
    for (const Case& c : cases) {
        sent.clear();
        finishes.clear();
        sendFile("x");
        std::size_t eots = 0;
        startWithReceiver([&](const std::string& unit) {
            if (unit[0] == SOH)
                return ack;
            return eots < c.answers.size() ? c.answers[eots++] : std::string();
        });
        EXPECT_EQ(runToEnd(), c.code) << c.what;
        const std::string out = sentBytes().substr(133);
        EXPECT_EQ(static_cast<int>(std::count(out.begin(), out.end(), EOT)), c.eots) << c.what;
        const bool cancelled = out.ends_with(cancelSequence);
        EXPECT_EQ(cancelled, c.code != 0) << c.what;
    }
}

TEST_F(XmSend, TheFirstEotWaitsTheShortTimeoutTheNextOnesTheBlockWait)
{
    sendFile("");
    std::size_t eots = 0;
    startWithReceiver([&](const std::string&) { return ++eots == 3 ? ack : std::string(); });
    EXPECT_EQ(runToEnd(), 0);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[1].at - sent[0].at, 550ms);
    EXPECT_EQ(sent[2].at - sent[1].at, 12100ms);
}

TEST_F(XmSend, RepliesToABlock)
{
    struct Case {
        const char* what;
        std::string reply; // to every block
        int code;
        int blocksSent;
    };
    const Case cases[] = {
        { "NAK every time: six sends, then too many errors", nak, -6008, 6 },
        { "a wrong byte counts like NAK", "*", -6008, 6 },
        { "CAN cancels", "\x18", -6005, 1 },
    };
    for (const Case& c : cases) {
        sent.clear();
        finishes.clear();
        units.clear();
        sendFile("data");
        startWithReceiver([&](const std::string&) { return c.reply; });
        EXPECT_EQ(runToEnd(), c.code) << c.what;
        EXPECT_EQ(static_cast<int>(std::count_if(units.begin(), units.end(), [](auto& u) { return u[0] == SOH; })),
            c.blocksSent)
            << c.what;
    }
}

TEST_F(XmSend, ASilentReceiverGetsTheBlockAgainUntilTheStationCancels)
{
    sendFile("data");
    startWithReceiver([](const std::string&) { return std::string(); });
    // Each time the block leaves (seen within a tick), then the block wait runs out.
    loop.advance(10 * (12100ms + portTick));
    EXPECT_TRUE(engine.InProgress());
    EXPECT_EQ(units.size(), 11u); // silence is no error: never "too many"
    engine.CancelProtocol();
    EXPECT_EQ(runToEnd(), -6005);
    EXPECT_TRUE(sentBytes().ends_with(cancelSequence));
}

TEST_F(XmSend, TheHandshake)
{
    struct Case {
        const char* what;
        std::string fromReceiver;
        int code;
        Millis endsAt;
    };
    const Case cases[] = {
        { "no answer: ten waits of a second", "", -6006, 9900ms },
        { "CAN cancels", "\x18", -6005, 0ms },
        { "each other byte uses up an attempt", std::string(10, 'x'), -6006, 0ms },
        { "some noise, then C", "xyC", 0, 0ms },
    };
    for (const Case& c : cases) {
        sent.clear();
        finishes.clear();
        sendFile("");
        receiveWith([](const std::string&) { return ack; });
        engine.StartTransmit();
        const Millis start = loop.now();
        link.write(c.fromReceiver);
        EXPECT_EQ(runToEnd(), c.code) << c.what;
        EXPECT_EQ(finishedAt - start, c.endsAt) << c.what;
    }
}

TEST_F(XmSend, NoFileToSend)
{
    struct Case {
        std::string mask;
        int code;
    };
    const Case cases[] = { { "", -6002 }, { dir / "none.tbl", -6003 }, { dir / "gone/none.tbl", -6004 } };
    for (const Case& c : cases) {
        finishes.clear();
        engine.SetFileMask(c.mask);
        engine.StartTransmit();
        EXPECT_EQ(runToEnd(), c.code) << c.mask;
    }
    EXPECT_TRUE(sent.empty());
}

TEST_F(XmSend, WithoutRoomInTheOutputBufferTheSendTimesOut)
{
    port.SetOutSize(100);
    sendFile("data");
    startWithReceiver([](const std::string&) { return ack; });
    EXPECT_EQ(runToEnd(), -6006);
    EXPECT_EQ(finishedAt, 550ms);
    EXPECT_TRUE(units.empty());
}

TEST_F(XmSend, TheFileIsReadBlockByBlock)
{
    // Appended while the transfer runs: a sender holding the whole file would miss it.
    sendFile(std::string(128, 'a'));
    int blocks = 0;
    startWithReceiver([&](const std::string& unit) {
        if (unit[0] == SOH && ++blocks == 1)
            std::ofstream(source, std::ios::binary | std::ios::app) << std::string(10, 'b');
        return ack;
    });
    EXPECT_EQ(runToEnd(), 0);
    EXPECT_EQ(blocks, 2);
    EXPECT_EQ(engine.BytesTransferred(), 138);
}
