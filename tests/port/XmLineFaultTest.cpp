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

// The terminal end of the line as a device, for a second port; the faults sit here, on both
// directions.
class FaultyTerminalEnd final : public ByteDevice {
public:
    FaultyTerminalEnd(MemoryLink& link, LineFaults& faults)
        : link_(link)
        , faults_(faults)
    { }
    ~FaultyTerminalEnd() override { close(); }

    void open() override
    {
        open_ = true;
        link_.setReceiver([this](std::string_view bytes) {
            inbox_ += faults_.pass(bytes);
            if (!inbox_.empty() && events().readable)
                events().readable();
        });
    }
    void close() override
    {
        open_ = false;
        link_.setReceiver({});
    }
    bool isOpen() const override { return open_; }
    std::size_t write(std::string_view bytes) override
    {
        link_.write(faults_.pass(bytes));
        return bytes.size();
    }
    std::size_t read(char* buffer, std::size_t capacity) override
    {
        const std::size_t n = std::min(capacity, inbox_.size());
        std::copy_n(inbox_.begin(), n, buffer);
        inbox_.erase(0, n);
        return n;
    }
    void setReading(bool) override { }

private:
    MemoryLink& link_;
    LineFaults& faults_;
    std::string inbox_;
    bool open_ = false;
};

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
    TWsComPort terminal(
        loop, { [&](const TWsComPort&) { return std::make_unique<FaultyTerminalEnd>(link, faults); }, {} });
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
