#include "port/MemoryLink.h"

#include <algorithm>
#include <deque>
#include <string>

#include "port/DeferredCalls.h"

namespace talvix {

namespace {

using Micros = std::int64_t;

// One direction of the line: bytes queued with the time each finishes crossing.
class Lane {
public:
    using Deliver = std::function<void(std::string_view bytes, Micros arrival)>;

    Lane(EventLoop& loop, std::uint32_t bytesPerSecond, Deliver deliver)
        : calls_(loop)
        , bytesPerSecond_(bytesPerSecond)
        , deliver_(std::move(deliver))
        , timer_(loop.createTimer([this] { deliverDue(); }))
    {
        timer_->setSingleShot(true);
    }

    void push(std::string_view bytes, Micros sendTime)
    {
        if (bytes.empty())
            return;
        const Micros start = std::max(sendTime, lineFree_);
        queue_.push_back({ std::string(bytes), 0, start });
        lineFree_ = dueOf(queue_.back(), bytes.size() - 1);
        schedule();
    }

    std::size_t pending() const
    {
        std::size_t n = 0;
        for (const Chunk& c : queue_)
            n += c.bytes.size() - c.taken;
        return n;
    }

    bool empty() const { return queue_.empty(); }

    // Drops what has not arrived yet, as a transmitter flushing its queue would.
    void discard()
    {
        queue_.clear();
        lineFree_ = 0;
    }

private:
    struct Chunk {
        std::string bytes;
        std::size_t taken;
        Micros start;
    };

    Micros dueOf(const Chunk& c, std::size_t index) const
    {
        if (bytesPerSecond_ == 0)
            return c.start;
        return c.start + static_cast<Micros>((index + 1) * 1'000'000ULL / bytesPerSecond_);
    }

    Micros nowMicros() const { return calls_.loop().now().count() * 1000; }

    void schedule()
    {
        if (queue_.empty())
            return;
        if (bytesPerSecond_ == 0) {
            if (!posted_) {
                posted_ = true;
                calls_.post([this] {
                    posted_ = false;
                    deliverDue();
                });
            }
            return;
        }
        const Chunk& first = queue_.front();
        const Micros due = dueOf(first, first.taken);
        const Micros wait = std::max<Micros>(0, due - nowMicros());
        timer_->setInterval(Millis { (wait + 999) / 1000 });
        timer_->start();
    }

    void deliverDue()
    {
        const Micros now = nowMicros();
        while (!queue_.empty()) {
            Chunk& c = queue_.front();
            std::size_t end = c.taken;
            while (end < c.bytes.size() && dueOf(c, end) <= now)
                ++end;
            if (end == c.taken)
                break;
            const std::string bytes = c.bytes.substr(c.taken, end - c.taken);
            const Micros arrival = dueOf(c, end - 1);
            c.taken = end;
            if (c.taken == c.bytes.size())
                queue_.pop_front();
            deliver_(bytes, arrival);
        }
        schedule();
    }

    DeferredCalls calls_;
    std::uint32_t bytesPerSecond_;
    Deliver deliver_;
    std::unique_ptr<Timer> timer_;
    std::deque<Chunk> queue_;
    Micros lineFree_ = 0;
    bool posted_ = false;
};

} // namespace

class StationEnd;

class MemoryLinkCore {
public:
    MemoryLinkCore(EventLoop& loop, std::uint32_t bytesPerSecond)
        : loop_(loop)
        , calls_(loop)
        , toStation_(loop, bytesPerSecond, [this](std::string_view b, Micros t) { arriveAtStation(b, t); })
        , toTerminal_(loop, bytesPerSecond, [this](std::string_view b, Micros t) { arriveAtTerminal(b, t); })
    { }

    // The time a write happens on the line's clock: inside a delivery, the arrival time.
    Micros sendTime() const { return answerTime_ >= 0 ? answerTime_ : loop_.now().count() * 1000; }

    void arriveAtStation(std::string_view bytes, Micros arrival);
    void arriveAtTerminal(std::string_view bytes, Micros arrival)
    {
        const Micros before = answerTime_;
        answerTime_ = arrival;
        if (receiver_) {
            auto receiver = receiver_;
            receiver(bytes);
        }
        answerTime_ = before;
    }
    void checkHangup();

    EventLoop& loop_;
    DeferredCalls calls_;
    Lane toStation_;
    Lane toTerminal_;
    std::function<void(std::string_view)> receiver_;
    StationEnd* station_ = nullptr;
    bool hangup_ = false;
    Micros answerTime_ = -1;
    int hangupCode_ = 0;
};

class StationEnd final : public ByteDevice {
public:
    explicit StationEnd(std::weak_ptr<MemoryLinkCore> core)
        : core_(std::move(core))
        , calls_(lockedLoop())
    { }
    ~StationEnd() override { close(); }

    void open() override
    {
        auto core = core_.lock();
        if (!core)
            throw PortError(-2001, "ie_BadId - Specified comport doesn't exist");
        if (core->station_)
            core->station_->cutOff();
        core->station_ = this;
        core->hangup_ = false;
        open_ = true;
        calls_.post([this] {
            if (events().connected)
                events().connected();
        });
    }

    void close() override
    {
        if (auto core = core_.lock(); core && core->station_ == this)
            core->station_ = nullptr;
        cutOff();
    }

    bool isOpen() const override { return open_; }

    std::size_t write(std::string_view bytes) override
    {
        auto core = core_.lock();
        if (!open_ || !core)
            return 0;
        core->toTerminal_.push(bytes, core->sendTime());
        return bytes.size();
    }

    std::size_t read(char* buffer, std::size_t capacity) override
    {
        const std::size_t n = std::min(capacity, inbox_.size());
        std::copy_n(inbox_.begin(), n, buffer);
        inbox_.erase(0, n);
        return n;
    }

    void setReading(bool enabled) override
    {
        reading_ = enabled;
        if (enabled && !inbox_.empty())
            calls_.post([this] { signalReadable(); });
    }

    std::size_t pendingOutput() const override
    {
        auto core = core_.lock();
        return core ? core->toTerminal_.pending() : 0;
    }

    void discardOutput() override
    {
        if (auto core = core_.lock())
            core->toTerminal_.discard();
    }

    void receive(std::string_view bytes)
    {
        inbox_.append(bytes);
        signalReadable();
    }

    void hangUp(int code)
    {
        cutOff();
        if (events().lost)
            events().lost(code);
    }

private:
    EventLoop& lockedLoop() const { return core_.lock()->loop_; }

    void cutOff()
    {
        open_ = false;
        inbox_.clear();
        calls_.cancelAll();
    }

    void signalReadable()
    {
        if (open_ && reading_ && !inbox_.empty() && events().readable)
            events().readable();
    }

    std::weak_ptr<MemoryLinkCore> core_;
    DeferredCalls calls_;
    std::string inbox_;
    bool open_ = false;
    bool reading_ = true;
};

// The terminal side as a device: what arrives waits in its inbox until read.
class TerminalEnd final : public ByteDevice {
public:
    TerminalEnd(MemoryLink& link, EventLoop& loop)
        : link_(link)
        , calls_(loop)
    { }
    ~TerminalEnd() override { close(); }

    void open() override
    {
        open_ = true;
        link_.setReceiver([this](std::string_view bytes) {
            inbox_ += bytes;
            if (reading_ && events().readable)
                events().readable();
        });
    }
    void close() override
    {
        if (open_)
            link_.setReceiver({});
        open_ = false;
        inbox_.clear();
        calls_.cancelAll();
    }
    bool isOpen() const override { return open_; }
    std::size_t write(std::string_view bytes) override
    {
        if (!open_)
            return 0;
        link_.write(bytes);
        return bytes.size();
    }
    std::size_t read(char* buffer, std::size_t capacity) override
    {
        const std::size_t n = std::min(capacity, inbox_.size());
        std::copy_n(inbox_.begin(), n, buffer);
        inbox_.erase(0, n);
        return n;
    }
    void setReading(bool enabled) override
    {
        reading_ = enabled;
        if (enabled && !inbox_.empty())
            calls_.post([this] {
                if (reading_ && !inbox_.empty() && events().readable)
                    events().readable();
            });
    }

private:
    MemoryLink& link_;
    DeferredCalls calls_;
    std::string inbox_;
    bool open_ = false;
    bool reading_ = true;
};

void MemoryLinkCore::arriveAtStation(std::string_view bytes, Micros arrival)
{
    if (!station_)
        return;
    const Micros before = answerTime_;
    answerTime_ = arrival;
    station_->receive(bytes);
    answerTime_ = before;
    checkHangup();
}

void MemoryLinkCore::checkHangup()
{
    if (!hangup_ || !toStation_.empty())
        return;
    hangup_ = false;
    if (StationEnd* end = station_) {
        station_ = nullptr;
        end->hangUp(hangupCode_);
    }
}

MemoryLink::MemoryLink(EventLoop& loop, std::uint32_t bytesPerSecond)
    : core_(std::make_shared<MemoryLinkCore>(loop, bytesPerSecond))
{ }

MemoryLink::~MemoryLink() = default;

std::unique_ptr<ByteDevice> MemoryLink::makeStationEnd()
{
    return std::make_unique<StationEnd>(core_);
}

std::unique_ptr<ByteDevice> MemoryLink::makeTerminalEnd()
{
    return std::make_unique<TerminalEnd>(*this, core_->loop_);
}

bool MemoryLink::stationConnected() const
{
    return core_->station_ != nullptr;
}

void MemoryLink::write(std::string_view bytes)
{
    core_->toStation_.push(bytes, core_->sendTime());
}

void MemoryLink::setReceiver(std::function<void(std::string_view)> receiver)
{
    core_->receiver_ = std::move(receiver);
}

void MemoryLink::disconnect(int code)
{
    if (!core_->station_)
        return;
    core_->hangup_ = true;
    core_->hangupCode_ = code;
    core_->calls_.post([core = core_.get()] { core->checkHangup(); });
}

std::size_t MemoryLink::pendingToTerminal() const
{
    return core_->toTerminal_.pending();
}

} // namespace talvix
