#include "shell/StationWindows.h"

#include <algorithm>

namespace talvix {

StationWindows::StationWindows(EventLoop& loop)
    : loop_(loop)
{ }

StationWindows::~StationWindows()
{
    order_.clear();
    owned_.clear();
    retired_->clear();
}

StationHandle& StationWindows::add(std::unique_ptr<StationHandle> station)
{
    StationHandle& added = *station;
    owned_.push_back(std::move(station));
    order_.insert(order_.begin(), &added);
    return added;
}

void StationWindows::activate(const StationHandle& station)
{
    const auto it = std::find(order_.begin(), order_.end(), &station);
    if (it != order_.end())
        std::rotate(order_.begin(), it, it + 1);
}

void StationWindows::close(const StationHandle& station)
{
    std::unique_ptr<StationHandle> closing = takeOut(station);
    if (!closing)
        return;
    // Out of the list before Close(), so a close reached again from inside it finds nothing.
    closing->Close();
    retired_->push_back(std::move(closing));
    loop_.post([retired = std::weak_ptr<Retired>(retired_)] {
        if (const auto waiting = retired.lock()) {
            Retired done;
            done.swap(*waiting); // a destructor that closes another window must not touch the list being cleared
        }
    });
}

StationHandle* StationWindows::active() const
{
    return order_.empty() ? nullptr : order_.front();
}

std::unique_ptr<StationHandle> StationWindows::takeOut(const StationHandle& station)
{
    const auto owner = std::find_if(owned_.begin(), owned_.end(), [&](const auto& s) { return s.get() == &station; });
    if (owner == owned_.end())
        return nullptr;
    std::unique_ptr<StationHandle> taken = std::move(*owner);
    owned_.erase(owner);
    order_.erase(std::find(order_.begin(), order_.end(), &station));
    return taken;
}

} // namespace talvix
