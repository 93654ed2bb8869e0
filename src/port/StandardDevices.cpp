#include "port/StandardDevices.h"

#include "port/SerialDevice.h"
#include "port/TcpDevice.h"

namespace talvix {

PortDevices standardPortDevices(EventLoop& loop, ComPortNames names)
{
    PortDevices devices;
    devices.create = [&loop, names](const TWsComPort& port) -> std::unique_ptr<ByteDevice> {
        if (port.DeviceLayer() == TDeviceLayer::dlWinsock)
            return std::make_unique<TcpDevice>(loop, port.WsAddress(), port.WsPort());
        const std::string path = port.DeviceLayer() == TDeviceLayer::dlWin32 ? names.devicePath(port.ComNumber()) : "";
        if (path.empty())
            throw PortError(-2001, "ie_BadId - Specified comport doesn't exist");
        return std::make_unique<SerialDevice>(loop, path, port.lineSettings(), port.DTR(), port.RTS());
    };
    devices.listComPorts = [names] {
        std::vector<std::uint16_t> present;
        for (std::uint16_t n = 1; n <= highestComNumber; ++n) {
            const std::string path = names.devicePath(n);
            if (!path.empty() && SerialDevice::probe(path) != SerialDevice::Presence::Missing)
                present.push_back(n);
        }
        return present;
    };
    return devices;
}

} // namespace talvix
