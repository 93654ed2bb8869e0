#pragma once
// Line settings as termios attributes: raw bytes, the speed, character size, parity (mark and
// space through CMSPAR), stop bits and flow control of a LineSettings; kept apart from the device
// so the flags can be checked without one (pseudo-terminals force 8 bits without parity).

#include <termios.h>

#include "port/ByteDevice.h"

namespace talvix {

// False, leaving t as it was, for a baud rate termios has no speed for.
bool setLineAttributes(termios& t, const LineSettings& line);

} // namespace talvix
