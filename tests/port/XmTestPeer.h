#pragma once
// A transfer engine on a port over an in-memory line, with a scripted terminal on the other end
// that sees every byte the engine sends (and when) and answers as a test tells it to.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/VirtualLoop.h"
#include "port/MemoryLink.h"
#include "port/TWsComPort.h"
#include "port/TXmProtocol.h"
#include "port/XmBlock.h"
#include "support/TempDir.h"

namespace talvix::test {

struct SentByte {
    Millis at;
    char byte;
    bool operator==(const SentByte&) const = default;
};

class XmEngineFixture : public ::testing::Test {
protected:
    XmEngineFixture()
    {
        link.setReceiver([this](std::string_view bytes) {
            for (char c : bytes) {
                sent.push_back({ loop.now(), c });
                if (peer)
                    peer(c);
            }
        });
        port.SetOutSize(1024);
        port.SetComNumber(1);
        port.SetOpen(true);
        engine.SetOnProtocolFinish([this](int code) {
            finishes.push_back(code);
            finishedAt = loop.now();
            inProgressInFinish = engine.InProgress();
            statusesBeforeFinish = statuses.size();
        });
        engine.SetOnProtocolStatus([this](std::uint16_t options) { statuses.push_back(options); });
    }

    // Serves the loop until the transfer has finished; its code, or 1 when it has not.
    int runToEnd(Millis limit = Millis { 600'000 })
    {
        loop.serveUntil([this] { return !finishes.empty(); }, limit);
        return finishes.empty() ? 1 : finishes.back();
    }

    std::string sentBytes() const
    {
        std::string s;
        for (const SentByte& b : sent)
            s += b.byte;
        return s;
    }

    // The terminal answers the n-th byte out of `triggers` it sees with replies[n].
    void answerInTurn(std::string triggers, std::vector<std::string> replies)
    {
        peer = [this, triggers, replies, step = std::size_t { 0 }](char c) mutable {
            if (step < replies.size() && triggers.find(c) != std::string::npos)
                link.write(replies[step++]);
        };
    }

    // The terminal as a receiver: after each whole block (of blockSize bytes) or EOT from the
    // engine it answers with what `reply` gives for it; anything else it takes in silence.
    void receiveWith(std::function<std::string(const std::string& unit)> reply, std::size_t blockSize = 133)
    {
        peer = [this, reply, blockSize, unit = std::string()](char c) mutable {
            unit += c;
            if (unit[0] == xmodem::SOH && unit.size() < blockSize)
                return;
            const bool answered = unit[0] == xmodem::SOH || unit[0] == xmodem::EOT;
            const std::string answer = answered ? reply(unit) : std::string();
            units.push_back(unit);
            unit.clear();
            link.write(answer);
        };
    }

    VirtualLoop loop;
    MemoryLink link { loop };
    TWsComPort port { loop, { [this](const TWsComPort&) { return link.makeStationEnd(); }, {} } };
    TXmProtocol engine { port };
    TempDir dir;

    std::vector<SentByte> sent;
    std::vector<std::string> units;
    std::function<void(char)> peer;
    std::vector<int> finishes;
    Millis finishedAt { -1 };
    bool inProgressInFinish = true;
    std::size_t statusesBeforeFinish = 0;
    std::vector<std::uint16_t> statuses;
};

} // namespace talvix::test
