#pragma once
// The devices of the programs: a SerialDevice on the path a COM number names, a TcpDevice for
// the network layer, and the "Select Port" list of COM ports present on this machine.

#include "platform/EventLoop.h"
#include "port/ComPortNames.h"
#include "port/TWsComPort.h"

namespace talvix {

PortDevices standardPortDevices(EventLoop& loop, ComPortNames names);

} // namespace talvix
