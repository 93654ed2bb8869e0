// Our sender and our receiver on the two ends of an in-memory line that now and then drops or
// damages a byte (in either direction). Whatever happens, a transfer either delivers the file
// intact or ends with a nonzero code: a damaged or cut-short file is never reported as success.

#include <gtest/gtest.h>

#include <random>

#include "LineFaults.h"
#include "platform/VirtualLoop.h"
#include "port/MemoryLink.h"
#include "port/TWsComPort.h"
#include "port/TXmProtocol.h"
#include "port/XmBlock.h"
#include "support/TempDir.h"

using namespace talvix;
using namespace talvix::test;
using namespace std::chrono_literals;

namespace {

struct Outcome {
    int sent;
    int received;
    bool intact;
    int faults;
};

Outcome transferOverAFaultyLine(unsigned seed, const std::string& data, const TempDir& dir)
{
    VirtualLoop loop;
    MemoryLink link(loop);
    LineFaults faults(seed, 3, 250);
    TWsComPort station(loop, { [&](const TWsComPort&) { return link.makeStationEnd(); }, {} });
    TWsComPort terminal(loop,
        { [&](const TWsComPort&) { return std::make_unique<FaultyDevice>(link.makeTerminalEnd(), faults); }, {} });
    for (TWsComPort* p : { &station, &terminal }) {
        p->SetComNumber(1);
        p->SetOutSize(1024);
        p->SetOpen(true);
    }
    TXmProtocol receiver(station);
    TXmProtocol sender(terminal);
    std::optional<int> received;
    std::optional<int> sent;
    receiver.SetOnProtocolFinish([&](int code) { received = code; });
    sender.SetOnProtocolFinish([&](int code) { sent = code; });
    const std::string target = dir / "RECEIVE.TMP";
    WriteFile(dir / "data.txt", data);
    receiver.SetFileName(target);
    sender.SetFileMask(dir / "data.txt");
    sender.StartTransmit();
    receiver.StartReceive();

    // A sender left alone by its receiver resends for ever; the station cancels it in the end.
    loop.serveUntil([&] { return received && sent; }, 600s);
    receiver.CancelProtocol();
    sender.CancelProtocol();
    loop.serveUntil([&] { return received && sent; }, 1s);

    std::string expected = data;
    expected.resize((data.size() + 127) / 128 * 128, xmodem::SUB);
    return { *sent, *received, ReadFile(target) == expected, faults.injected() };
}

} // namespace

TEST(XmLineFaultTest, NoDamagedFileIsEverReportedAsSuccess)
{
    TempDir dir;
    std::string data;
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i)
        data += static_cast<char>(random() & 0xFF);

    int recoveredFromFaults = 0;
    for (unsigned seed = 1; seed <= 150; ++seed) {
        const Outcome o = transferOverAFaultyLine(seed, data, dir);
        if (o.received == 0) {
            EXPECT_TRUE(o.intact) << "seed " << seed;
        }
        if (o.sent == 0) {
            EXPECT_EQ(o.received, 0) << "seed " << seed;
        }
        if (o.received == 0 && o.faults > 0)
            ++recoveredFromFaults;
    }
    // The faults did happen, and most transfers got through them.
    EXPECT_GT(recoveredFromFaults, 75);
}
