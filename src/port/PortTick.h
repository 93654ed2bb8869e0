#pragma once
// The time unit of the serial/network port and its transfer engine: a tick of 1/18.2 s.

#include "platform/EventLoop.h"

namespace talvix {

inline constexpr Millis portTick { 55 };

constexpr Millis ticks(int count)
{
    return portTick * count;
}

} // namespace talvix
