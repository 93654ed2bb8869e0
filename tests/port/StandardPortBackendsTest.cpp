// The programs' port back ends: the station's port as designed, and USB refused at open.

#include <gtest/gtest.h>

#include "platform/VirtualLoop.h"
#include "port/StandardPortBackends.h"
#include "port/TWsComPort.h"
#include "port/TXmProtocol.h"
#include "port/TdmPort.h"
#include "port/UnavailableUsbPort.h"

using namespace talvix;

TEST(StandardPortBackends, SerialNetworkPortsAreTheStationsDesign)
{
    VirtualLoop loop;
    StandardPortBackends backends(loop, ComPortNames());
    const auto port = TdmPort::NewCreate(backends, "");
    const auto* comPort = dynamic_cast<const TWsComPort*>(&port->ComPort());
    ASSERT_NE(comPort, nullptr);
    EXPECT_EQ(comPort->OutSize(), 1024);
    EXPECT_EQ(port->WsPort(), "10001");
    EXPECT_NE(dynamic_cast<const TXmProtocol*>(&port->Protocol()), nullptr);
    EXPECT_EQ(port->ProtocolType(), TProtocolType::ptXmodemCRC);
    EXPECT_FALSE(port->Open());
}

TEST(StandardPortBackends, AUsbStationCannotOpenItsPort)
{
    VirtualLoop loop;
    StandardPortBackends backends(loop, ComPortNames());
    const auto port = TdmPort::NewCreate(backends, "\\\\?\\usb#vid_10c4&pid_ea61#0001");
    EXPECT_EQ(port->DeviceLayer(), TDeviceLayer::dlUSB);
    try {
        port->SetOpen(true);
        FAIL() << "opened";
    } catch (const PortError& error) {
        EXPECT_EQ(error.code(), UnavailableUsbPort::ErrorCode);
    }
    EXPECT_FALSE(port->Open());
    port->SetOpen(false);
}
