#include <gtest/gtest.h>

#include <cerrno>

#include "platform/ProfileFile.h"
#include "port/ComPortNames.h"
#include "port/TcpDevice.h"
#include "port/WinsockErrors.h"
#include "support/TempDir.h"

using namespace talvix;
using namespace talvix::test;

TEST(ComPortNamesTest, TheSettingsFileFirstThenTheFixedTable)
{
    TempDir dir;
    ProfileFile settings(dir / "Talvix5.ini");
    settings.writeString("ComPorts", "COM3", "/dev/ttyUSB0");
    settings.writeString("ComPorts", "com20", "/dev/serial/by-id/terminal");
    const ComPortNames names(&settings);
    const std::pair<std::uint16_t, std::string> cases[] = {
        { 0, "" },
        { 1, "/dev/ttyS0" },
        { 3, "/dev/ttyUSB0" },
        { 16, "/dev/ttyS15" },
        { 17, "/dev/ttyUSB0" },
        { 20, "/dev/serial/by-id/terminal" },
        { 32, "/dev/ttyUSB15" },
        { 33, "/dev/ttyACM0" },
        { 48, "/dev/ttyACM15" },
        { 49, "" },
        { 50, "" },
    };
    for (const auto& [number, path] : cases)
        EXPECT_EQ(names.devicePath(number), path) << number;
    EXPECT_EQ(ComPortNames().devicePath(3), "/dev/ttyS2");
}

TEST(WinsockErrorsTest, ErrnoValuesBecomeWinsockNumbers)
{
    const std::pair<int, int> cases[] = {
        { ECONNREFUSED, 10061 },
        { ECONNRESET, 10054 },
        { ECONNABORTED, 10053 },
        { EPIPE, 10053 },
        { ENETRESET, 10052 },
        { EDESTADDRREQ, 10039 },
        { ETIMEDOUT, 10060 },
        { EHOSTUNREACH, 10065 },
        { ENETUNREACH, 10051 },
        { EXFULL, 10022 },
    };
    for (const auto& [errnoValue, winsock] : cases)
        EXPECT_EQ(winsockError(errnoValue), winsock) << errnoValue;
}

TEST(TcpDeviceTest, PortNumbersAndServiceNames)
{
    const std::pair<std::string, std::uint16_t> cases[] = {
        { "10001", 10001 },
        { "telnet", 23 },
        { "0", 0 },
        { "65535", 65535 },
        { "65536", 0 },
        { "", 0 },
        { "no-such-service", 0 },
        { "123456", 0 },
    };
    for (const auto& [text, port] : cases)
        EXPECT_EQ(TcpDevice::resolvePort(text), port) << text;
}
