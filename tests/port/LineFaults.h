#pragma once
// A line that drops a byte or flips one of its bits now and then, at most `budget` times.

#include <memory>
#include <random>
#include <string>
#include <string_view>

#include "port/ByteDevice.h"

namespace talvix::test {

class LineFaults {
public:
    // On average one fault in `oneIn` bytes.
    LineFaults(unsigned seed, int budget, unsigned oneIn)
        : random_(seed)
        , budget_(budget)
        , oneIn_(oneIn)
    { }

    std::string pass(std::string_view bytes)
    {
        std::string out;
        for (char c : bytes) {
            if (budget_ > 0 && random_() % oneIn_ == 0) {
                --budget_;
                ++injected_;
                if (random_() % 2 == 0)
                    continue;
                c = static_cast<char>(c ^ (1 << (random_() % 8)));
            }
            out += c;
        }
        return out;
    }
    int injected() const { return injected_; }

private:
    std::mt19937 random_;
    int budget_;
    unsigned oneIn_;
    int injected_ = 0;
};

// A device seen through a faulty line: both what it reads and what it writes pass the faults.
class FaultyDevice final : public ByteDevice {
public:
    FaultyDevice(std::unique_ptr<ByteDevice> inner, LineFaults& faults)
        : inner_(std::move(inner))
        , faults_(faults)
    { }

    void open() override
    {
        inner_->setEvents(events());
        inner_->open();
    }
    void close() override { inner_->close(); }
    bool isOpen() const override { return inner_->isOpen(); }
    std::size_t write(std::string_view bytes) override
    {
        inner_->write(faults_.pass(bytes));
        return bytes.size();
    }
    std::size_t read(char* buffer, std::size_t capacity) override
    {
        const std::size_t n = inner_->read(buffer, capacity);
        const std::string passed = faults_.pass(std::string_view(buffer, n));
        std::copy(passed.begin(), passed.end(), buffer);
        return passed.size();
    }
    void setReading(bool enabled) override { inner_->setReading(enabled); }

private:
    std::unique_ptr<ByteDevice> inner_;
    LineFaults& faults_;
};

} // namespace talvix::test
