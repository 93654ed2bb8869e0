#pragma once
// The back ends of the programs' port objects: a TWsComPort on the standard devices (a
// SerialDevice for the COM number's path, a TcpDevice for the network layer) configured as the
// station's port (output buffer 1024 bytes, network port "10001"), with a TXmProtocol bound to
// it. USB ports are not available yet: a USB station's port raises PortError when it opens.

#include "platform/EventLoop.h"
#include "port/ComPortNames.h"
#include "port/PortBackendFactory.h"

namespace talvix {

class SelectPortDialog;

class StandardPortBackends final : public PortBackendFactory {
public:
    // selectPort: the "Select Port" dialog for a serial port opened without a number (may be
    // null: such an open then fails).
    StandardPortBackends(EventLoop& loop, ComPortNames names, SelectPortDialog* selectPort = nullptr);

    std::unique_ptr<ComPortBackend> createComPort() override;
    std::unique_ptr<ProtocolBackend> createProtocol(ComPortBackend& port) override;
    std::unique_ptr<UsbPortBackend> createUsbPort(const std::string& USBId) override;

    static constexpr std::uint16_t StationOutSize = 1024;

private:
    EventLoop& loop_;
    ComPortNames names_;
    SelectPortDialog* selectPort_;
};

} // namespace talvix
