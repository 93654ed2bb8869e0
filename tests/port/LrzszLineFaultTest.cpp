// Our XModem against lrzsz through a relay that drops or damages a few bytes in both
// directions: a transfer either delivers the file intact or ends with a nonzero code. All
// transfers run at once, each on its own line, since lrzsz recovers on one-second timeouts.

#include <sys/socket.h>

#include <random>

#include "ChildProcess.h"
#include "LineFaults.h"
#include "QtLoopFixture.h"
#include "port/MemoryLink.h"
#include "port/TWsComPort.h"
#include "port/TXmProtocol.h"
#include "port/XmBlock.h"
#include "support/TempDir.h"

using namespace talvix;
using namespace talvix::test;
using namespace std::chrono_literals;

namespace {

// lrzsz on one end of a socket pair; the other end is relayed, through the faults, to the
// terminal side of an in-memory line whose station end is our port.
struct FaultySession {
    FaultySession(EventLoop& loop, const std::string& folder, unsigned seed, const std::vector<std::string>& peer)
        : link(loop)
        , faults(seed, 3, 300)
        , port(loop, { [this](const TWsComPort&) { return link.makeStationEnd(); }, {} })
        , engine(port)
    {
        int pair[2];
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair);
        relay = pair[0];
        child = std::make_unique<ChildProcess>(peer, pair[1], folder);
        ::close(pair[1]);
        link.setReceiver([this](std::string_view bytes) {
            const std::string out = faults.pass(bytes);
            [[maybe_unused]] const auto n = ::send(relay, out.data(), out.size(), MSG_NOSIGNAL);
        });
        watch = loop.watchFd(relay, FdEvent::Read, [this] {
            char buffer[4096];
            const ssize_t n = ::recv(relay, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0)
                link.write(faults.pass(std::string_view(buffer, static_cast<std::size_t>(n))));
            else
                watch->setEnabled(false);
        });
        port.SetComNumber(1);
        port.SetOutSize(1024);
        port.SetOpen(true);
        engine.SetOnProtocolFinish([this](int c) { code = c; });
        // Shorter waits, so a lost block is asked for again well within lrzsz's ten seconds; but
        // longer than the second rx keeps still after an EOT, or each EOT would restart it.
        engine.SetXYmodemBlockWait(40);
    }
    ~FaultySession()
    {
        watch.reset();
        ::close(relay);
    }

    MemoryLink link;
    LineFaults faults;
    TWsComPort port;
    TXmProtocol engine;
    int relay = -1;
    std::unique_ptr<ChildProcess> child;
    std::unique_ptr<FdWatch> watch;
    std::optional<int> code;
};

class LrzszLineFault : public QtLoopFixture {
protected:
    static constexpr unsigned transfers = 8;

    LrzszLineFault()
    {
        std::mt19937 random(11);
        for (int i = 0; i < 3000; ++i)
            data += static_cast<char>(random() & 0xFF);
        expected = data;
        expected.resize((data.size() + 127) / 128 * 128, xmodem::SUB);
    }

    void runAll(const std::vector<std::string>& peer, const std::function<void(FaultySession&)>& start)
    {
        for (unsigned seed = 1; seed <= transfers; ++seed) {
            const std::string folder = dir / std::to_string(seed);
            WriteFile(folder + "/source.bin", data);
            sessions.push_back(std::make_unique<FaultySession>(loop, folder, seed, peer));
            start(*sessions.back());
        }
        serveUntil(
            [&] { return std::all_of(sessions.begin(), sessions.end(), [](auto& s) { return s->code.has_value(); }); },
            60s);
        // What still runs is what the station's own time-out would cancel.
        for (auto& s : sessions)
            s->engine.CancelProtocol();
        serveUntil(
            [&] { return std::all_of(sessions.begin(), sessions.end(), [](auto& s) { return s->code.has_value(); }); },
            1s);
    }

    void expectFaultsInjected() const
    {
        int injected = 0;
        for (const auto& s : sessions)
            injected += s->faults.injected();
        EXPECT_GE(injected, static_cast<int>(transfers));
    }

    TempDir dir;
    std::string data;
    std::string expected;
    std::vector<std::unique_ptr<FaultySession>> sessions;
};

} // namespace

TEST_F(LrzszLineFault, OurReceiveFromSxNeverReportsADamagedFileAsSuccess)
{
    runAll({ "sx", "source.bin" }, [&](FaultySession& s) {
        s.engine.SetFileName(dir / ("RECEIVED" + std::to_string(sessions.size()) + ".TMP"));
        s.engine.StartReceive();
    });
    int succeeded = 0;
    for (std::size_t i = 0; i < sessions.size(); ++i) {
        if (sessions[i]->code == 0) {
            ++succeeded;
            EXPECT_TRUE(ReadFile(dir / ("RECEIVED" + std::to_string(i + 1) + ".TMP")) == expected) << i + 1;
        }
    }
    expectFaultsInjected();
    EXPECT_GE(succeeded, static_cast<int>(transfers) / 2) << "lrzsz and we get through most faults";
}

TEST_F(LrzszLineFault, OurSendToRxNeverReportsAnUndeliveredFileAsSuccess)
{
    runAll({ "rx", "-c", "out.bin" }, [&](FaultySession& s) {
        s.engine.SetFileMask(dir / (std::to_string(sessions.size()) + "/source.bin"));
        s.engine.StartTransmit();
    });
    int succeeded = 0;
    for (std::size_t i = 0; i < sessions.size(); ++i) {
        if (sessions[i]->code == 0) {
            ++succeeded;
            EXPECT_TRUE(ReadFile(dir / (std::to_string(i + 1) + "/out.bin")) == expected) << i + 1;
        }
    }
    expectFaultsInjected();
    EXPECT_GE(succeeded, static_cast<int>(transfers) / 2) << "lrzsz and we get through most faults";
}
