#pragma once
// A line that drops a byte or flips one of its bits now and then, at most `budget` times.

#include <random>
#include <string>
#include <string_view>

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

} // namespace talvix::test
