#include "port/StandardPortBackends.h"

#include "port/StandardDevices.h"
#include "port/TWsComPort.h"
#include "port/TXmProtocol.h"
#include "port/UnavailableUsbPort.h"

namespace talvix {

StandardPortBackends::StandardPortBackends(EventLoop& loop, ComPortNames names, SelectPortDialog* selectPort)
    : loop_(loop)
    , names_(names)
    , selectPort_(selectPort)
{ }

std::unique_ptr<ComPortBackend> StandardPortBackends::createComPort()
{
    auto port = std::make_unique<TWsComPort>(loop_, standardPortDevices(loop_, names_));
    port->SetOutSize(StationOutSize);
    port->SetWsPort("10001");
    port->setSelectPortDialog(selectPort_);
    return port;
}

// The engine is bound to the port this factory made, which is always a TWsComPort.
std::unique_ptr<ProtocolBackend> StandardPortBackends::createProtocol(ComPortBackend& port)
{
    return std::make_unique<TXmProtocol>(dynamic_cast<TWsComPort&>(port));
}

std::unique_ptr<UsbPortBackend> StandardPortBackends::createUsbPort(const std::string&)
{
    return std::make_unique<UnavailableUsbPort>();
}

} // namespace talvix
