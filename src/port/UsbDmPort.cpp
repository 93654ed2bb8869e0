#include "port/UsbDmPort.h"

namespace talvix {

UsbDmPort::UsbDmPort(PortBackendFactory& backends, const std::string& id)
    : TdmPort(backends, id)
    , USBxp_(backends.createUsbPort(id))
{ }

UsbDmPort::~UsbDmPort()
{
    USBxp_->SetOpen(false);
}

void UsbDmPort::SetOpen(bool open)
{
    if (open)
        USBxp().SetUSBId(USBId);
    USBxp().SetOpen(open);
}

} // namespace talvix
