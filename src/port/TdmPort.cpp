#include "port/TdmPort.h"

#include "port/SerialNetworkDmPort.h"
#include "port/UsbDmPort.h"

namespace talvix {

TdmPort::TdmPort(PortBackendFactory& backends, const std::string& id)
    : USBId(id)
    , ComPort_(backends.createComPort())
    , Protocol_(backends.createProtocol(*ComPort_))
    , USBPort_(!id.empty())
{ }

TdmPort::~TdmPort() = default;

std::unique_ptr<TdmPort> TdmPort::NewCreate(PortBackendFactory& backends, const std::string& USBId)
{
    if (USBId.empty())
        return std::make_unique<SerialNetworkDmPort>(backends);
    return std::make_unique<UsbDmPort>(backends, USBId);
}

} // namespace talvix
