#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "port/PortRecorders.h"
#include "port/TdmPort.h"

using namespace talvix;
using talvix::test::Journal;
using talvix::test::RecordingBackends;

namespace {

constexpr const char* Device = "\\\\?\\usb#vid_10c4&pid_ea61#0001";

struct Route {
    const char* member;
    std::function<void(TdmPort&)> call;
    Journal serial; // what the serial/network back end records
    Journal usb; // what the USB back end records
};

} // namespace

// Every member reaches the back end chosen at creation and no other; members without a meaning
// for USB reach nothing.
TEST(TdmPortRoutes, EachMemberReachesOnlyTheBackEndChosenAtCreation)
{
    const std::vector<Route> routes = {
        { "Open", [](TdmPort& p) { p.SetOpen(true); }, { "com:SetOpen" }, { "usb:SetUSBId", "usb:Open" } },
        { "DeviceLayer", [](TdmPort& p) { p.SetDeviceLayer(TDeviceLayer::dlWinsock); }, { "com:SetDeviceLayer" }, {} },
        { "ComNumber", [](TdmPort& p) { p.SetComNumber(4); }, { "com:SetComNumber" }, {} },
        { "WsAddress", [](TdmPort& p) { p.SetWsAddress("10.0.0.9"); }, { "com:SetWsAddress", "com:SetWsTelnet" }, {} },
        { "WsPort", [](TdmPort& p) { p.SetWsPort("10001"); }, { "com:SetWsPort" }, {} },
        { "Baud", [](TdmPort& p) { p.SetBaud(38400); }, { "com:SetBaud" }, { "usb:SetBaud" } },
        { "DataBits", [](TdmPort& p) { p.SetDataBits(7); }, { "com:SetDataBits" }, { "usb:SetDataBits" } },
        { "StopBits", [](TdmPort& p) { p.SetStopBits(1); }, { "com:SetStopBits" }, { "usb:SetStopBits" } },
        { "Parity", [](TdmPort& p) { p.SetParity(TParity::pEven); }, { "com:SetParity" }, { "usb:SetParity" } },
        { "DTR", [](TdmPort& p) { p.SetDTR(false); }, { "com:SetDTR" }, {} },
        { "RTS", [](TdmPort& p) { p.SetRTS(false); }, { "com:SetRTS" }, {} },
        { "OnTriggerAvail", [](TdmPort& p) { p.SetOnTriggerAvail([](std::uint16_t) {}); }, { "com:SetOnTriggerAvail" },
            { "usb:SetOnUSBDataAvail" } },
        { "OnWsConnect", [](TdmPort& p) { p.SetOnWsConnect([] {}); }, { "com:SetOnWsConnect" }, {} },
        { "OnWsDisconnect", [](TdmPort& p) { p.SetOnWsDisconnect([] {}); }, { "com:SetOnWsDisconnect" }, {} },
        { "OnWsError", [](TdmPort& p) { p.SetOnWsError([](int) {}); }, { "com:SetOnWsError" }, {} },
        { "OnTriggerOutBuffUsed", [](TdmPort& p) { p.SetOnTriggerOutBuffUsed([] {}); },
            { "com:SetOnTriggerOutbuffUsed" }, { "usb:SetOnTriggerOutbuffUsed" } },
        { "OnAddLog", [](TdmPort& p) { p.SetOnAddLog([](int, const std::string&) {}); }, {}, { "usb:SetOnUSBAddLog" } },
        { "OnProtocolFinish", [](TdmPort& p) { p.SetOnProtocolFinish([](int) {}); }, { "xm:SetOnProtocolFinish" },
            { "usb:SetOnTransFinish" } },
        { "OnProtocolStatus", [](TdmPort& p) { p.SetOnProtocolStatus([](std::uint16_t) {}); },
            { "xm:SetOnProtocolStatus" }, { "usb:SetOnTransStatus" } },
        { "PutString", [](TdmPort& p) { p.PutString("V\r"); }, { "com:PutString" }, { "usb:WriteStr" } },
        { "GetChar", [](TdmPort& p) { p.GetChar(); }, { "com:GetChar" }, { "usb:GetRcvChar" } },
        { "FlushInBuffer", [](TdmPort& p) { p.FlushInBuffer(); }, { "com:FlushInBuffer" }, {} },
        { "FlushOutBuffer", [](TdmPort& p) { p.FlushOutBuffer(); }, { "com:FlushOutBuffer" },
            { "usb:FlushOutBuffer" } },
        { "RemoveAllTriggers", [](TdmPort& p) { p.RemoveAllTriggers(); }, { "com:RemoveAllTriggers" }, {} },
        { "AddStatusTrigger", [](TdmPort& p) { p.AddStatusTrigger(2); }, { "com:AddStatusTrigger" }, {} },
        { "SetStatusTrigger", [](TdmPort& p) { p.SetStatusTrigger(7, 0, true); }, { "com:SetStatusTrigger" },
            { "usb:SetOutbuffTrigger" } },
        { "FileName", [](TdmPort& p) { p.SetFileName("/tmp/a"); }, { "xm:SetFileName" }, { "usb:SetFilename" } },
        { "FileMask", [](TdmPort& p) { p.SetFileMask("/tmp/b"); }, { "xm:SetFileMask" }, { "usb:SetFilename" } },
        { "ProtocolType", [](TdmPort& p) { p.SetProtocolType(TProtocolType::ptXmodemCRC); }, { "xm:SetProtocolType" },
            {} },
        { "StartReceive", [](TdmPort& p) { p.StartReceive(); }, { "xm:StartReceive" }, { "usb:StartReceive" } },
        { "StartTransmit", [](TdmPort& p) { p.StartTransmit(); }, { "xm:StartTransmit" }, { "usb:StartTransmit" } },
        { "CancelProtocol", [](TdmPort& p) { p.CancelProtocol(); }, { "xm:CancelProtocol" }, { "usb:CancelProtocol" } },
    };
    for (const Route& route : routes) {
        SCOPED_TRACE(route.member);
        RecordingBackends serialBackends;
        auto serial = TdmPort::NewCreate(serialBackends, "");
        route.call(*serial);
        EXPECT_EQ(serialBackends.journal, route.serial);

        RecordingBackends usbBackends;
        auto usb = TdmPort::NewCreate(usbBackends, Device);
        route.call(*usb);
        EXPECT_EQ(usbBackends.journal, route.usb);
    }
}

TEST(TdmPortRoutes, ReadsComeFromTheBackEndInUse)
{
    RecordingBackends serialBackends;
    auto serial = TdmPort::NewCreate(serialBackends, "");
    EXPECT_FALSE(serial->USBPort());
    EXPECT_EQ(serial->OutBuffUsed(), 11);
    EXPECT_TRUE(serial->InProgress());
    EXPECT_EQ(serial->BytesTransferred(), 1280);
    EXPECT_EQ(serial->RecordsTransferred(), 10);
    EXPECT_EQ(serial->GetChar(), 'c');
    EXPECT_EQ(serial->AddStatusTrigger(2), 7);

    RecordingBackends usbBackends;
    auto usb = TdmPort::NewCreate(usbBackends, Device);
    EXPECT_TRUE(usb->USBPort());
    EXPECT_EQ(usb->USBId, Device);
    EXPECT_EQ(usb->OutBuffUsed(), 22);
    EXPECT_FALSE(usb->InProgress());
    EXPECT_EQ(usb->BytesTransferred(), 256);
    EXPECT_EQ(usb->RecordsTransferred(), 2);
    EXPECT_EQ(usb->GetChar(), 'u');
}

TEST(TdmPortUsb, FixedResultsHoldWhateverIsWrittenAndTheIdlePortStaysUntouched)
{
    RecordingBackends backends;
    auto port = TdmPort::NewCreate(backends, Device);
    port->SetDeviceLayer(TDeviceLayer::dlWin32);
    port->SetComNumber(3);
    port->SetWsAddress("192.168.1.20");
    port->SetWsPort("10001");
    port->SetDTR(true);
    port->SetRTS(true);
    port->SetProtocolType(TProtocolType::ptXmodemCRC);
    port->FlushInBuffer();
    port->RemoveAllTriggers();

    EXPECT_EQ(port->DeviceLayer(), TDeviceLayer::dlUSB);
    EXPECT_EQ(backends.com->DeviceLayer(), TDeviceLayer::dlWin32);
    EXPECT_EQ(port->ComNumber(), 0);
    EXPECT_EQ(port->WsAddress(), "");
    EXPECT_EQ(port->WsPort(), "");
    EXPECT_FALSE(port->DTR());
    EXPECT_FALSE(port->RTS());
    EXPECT_EQ(port->ProtocolType(), TProtocolType::ptNoProtocol);
    EXPECT_EQ(port->AddStatusTrigger(1), 0);
    EXPECT_TRUE(backends.journal.empty());
}

TEST(TdmPortUsb, FileNameAndFileMaskAreOneField)
{
    RecordingBackends backends;
    auto usb = TdmPort::NewCreate(backends, Device);
    usb->SetFileName("/data/in.tmp");
    usb->SetFileMask("/upload/prog.mot");
    EXPECT_EQ(usb->FileName(), "/upload/prog.mot");
    EXPECT_EQ(usb->FileMask(), "/upload/prog.mot");

    RecordingBackends serialBackends;
    auto serial = TdmPort::NewCreate(serialBackends, "");
    serial->SetFileName("/data/in.tmp");
    serial->SetFileMask("/upload/prog.mot");
    EXPECT_EQ(serial->FileName(), "/data/in.tmp");
    EXPECT_EQ(serial->FileMask(), "/upload/prog.mot");
}

TEST(TdmPortUsb, ReopenAddressesTheSameDeviceWithTheBaudChosenWhileClosed)
{
    RecordingBackends backends;
    auto port = TdmPort::NewCreate(backends, Device);
    port->SetOpen(true);
    EXPECT_TRUE(port->Open());
    port->SetOpen(false);
    backends.usb->usbId.clear(); // the USB port forgets the device when it closes
    port->SetBaud(57600);
    port->SetOpen(true);
    EXPECT_TRUE(port->Open());
    EXPECT_EQ(backends.usb->openedId, Device);
    EXPECT_EQ(backends.usb->baudAtOpen, 57600);
}

TEST(TdmPortUsb, TheOutputTriggerIsArmedWithTheHandleAddStatusTriggerGave)
{
    RecordingBackends backends;
    auto port = TdmPort::NewCreate(backends, Device);
    const std::uint16_t handle = port->AddStatusTrigger(2);
    port->SetStatusTrigger(handle, 0, true);
    EXPECT_TRUE(backends.usb->triggerArmed);
}

TEST(TdmPortUsb, NetworkEventsAreNotKeptAndOnAddLogIs)
{
    RecordingBackends backends;
    auto port = TdmPort::NewCreate(backends, Device);
    port->SetOnWsConnect([] {});
    port->SetOnWsDisconnect([] {});
    port->SetOnWsError([](int) {});
    int logged = 0;
    port->SetOnAddLog([&](int, const std::string&) { ++logged; });
    EXPECT_FALSE(port->OnWsConnect());
    EXPECT_FALSE(port->OnWsDisconnect());
    EXPECT_FALSE(port->OnWsError());
    EXPECT_FALSE(backends.com->onConnect);
    ASSERT_TRUE(port->OnAddLog());
    backends.usb->onLog(9, "snd:V\r");
    EXPECT_EQ(logged, 1);
}

TEST(TdmPortUsb, FreeingThePortObjectClosesTheUsbPort)
{
    RecordingBackends backends;
    auto port = TdmPort::NewCreate(backends, Device);
    port->SetOpen(true);
    backends.journal.clear();
    port.reset();
    EXPECT_EQ(backends.journal, Journal { "usb:Close" });
}

TEST(TdmPortSerial, EverySettingOfTheAddressSwitchesTelnetOff)
{
    RecordingBackends backends;
    auto port = TdmPort::NewCreate(backends, "");
    port->SetWsAddress("terminal-server");
    EXPECT_FALSE(backends.com->telnet);
    backends.com->telnet = true;
    port->SetWsAddress("terminal-server");
    EXPECT_FALSE(backends.com->telnet);
    EXPECT_EQ(port->WsAddress(), "terminal-server");
}

TEST(TdmPortSerial, OnAddLogIsNotKept)
{
    RecordingBackends backends;
    auto port = TdmPort::NewCreate(backends, "");
    port->SetOnAddLog([](int, const std::string&) {});
    EXPECT_FALSE(port->OnAddLog());
    EXPECT_EQ(backends.usb, nullptr);
}
