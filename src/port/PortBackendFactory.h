#pragma once
// Makes the back ends of a port object. The program's factory builds the real serial/network
// and USB ports; tests build ports over an in-memory link. Which back end a port object uses is
// fixed when it is created, so the factory is asked once per port object.

#include <memory>
#include <string>

#include "port/ComPortBackend.h"
#include "port/ProtocolBackend.h"
#include "port/UsbPortBackend.h"

namespace talvix {

class PortBackendFactory {
public:
    virtual ~PortBackendFactory() = default;
    // Closed, in its configured state.
    virtual std::unique_ptr<ComPortBackend> createComPort() = 0;
    // The transfer engine bound to port, which outlives it.
    virtual std::unique_ptr<ProtocolBackend> createProtocol(ComPortBackend& port) = 0;
    // Closed; asked only for a non-empty identification.
    virtual std::unique_ptr<UsbPortBackend> createUsbPort(const std::string& USBId) = 0;
};

} // namespace talvix
