#pragma once
// The station windows of the main window, in window order.
//
// Window order is the stacking order of the window manager: the front (active) window first.
// A new window comes to the front, as does one the user activates; closing the front window
// leaves the next one active. A window taken out is closed at once but destroyed only from the
// event loop, because the close may have been asked from inside that station's own command;
// whatever is still waiting then is destroyed with this object.

#include <memory>
#include <vector>

#include "platform/EventLoop.h"
#include "shell/StationHandle.h"

namespace talvix {

class StationWindows {
public:
    explicit StationWindows(EventLoop& loop);
    ~StationWindows();
    StationWindows(const StationWindows&) = delete;
    StationWindows& operator=(const StationWindows&) = delete;

    StationHandle& add(std::unique_ptr<StationHandle> station);
    // Brings a window of this list to the front; anything else is ignored.
    void activate(const StationHandle& station);
    // Takes the window out of the list and closes it; anything not in the list is ignored.
    void close(const StationHandle& station);

    // The front window, or nullptr when there is none.
    StationHandle* active() const;
    const std::vector<StationHandle*>& inWindowOrder() const { return order_; }
    bool empty() const { return order_.empty(); }
    int count() const { return static_cast<int>(order_.size()); }

private:
    using Retired = std::vector<std::unique_ptr<StationHandle>>;

    std::unique_ptr<StationHandle> takeOut(const StationHandle& station);

    EventLoop& loop_;
    std::vector<std::unique_ptr<StationHandle>> owned_;
    std::vector<StationHandle*> order_;
    std::shared_ptr<Retired> retired_ = std::make_shared<Retired>();
};

} // namespace talvix
