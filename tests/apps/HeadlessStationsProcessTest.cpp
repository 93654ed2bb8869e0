// talvix5 --headless against talvix5-termsim, both run as processes: automatic receptions over
// TCP and over a pseudo-terminal, a simulator killed and started again on its port, a restarted
// program that continues its file numbering, and ser2net as a real network serial server between
// a network station and the simulator's pseudo-terminal.
//
// The simulator's terminal has 12 generated records at the start; a station with AutoRec stores
// them into DataFileName ("net-%S-###.txt": the serial number and a running number from 000) and
// locks the terminal with T1. Every wait is a limit against a hang, never a measurement.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <thread>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

using namespace talvix::test;
using namespace std::chrono_literals;

namespace {

const std::string Serial = "100002";
constexpr int StartRecords = 12;
constexpr int NewRecords = 6;
// Start, three status polls (about 2.4 s) and a short XModem transfer take a few seconds.
constexpr auto ReceptionLimit = 30s;
constexpr auto StartLimit = 10s;
// A network station tries again 10 s after the connection dropped, then needs its three polls.
constexpr auto ReconnectLimit = 10s + 10s;

// The simulator's generated records 1 to 18: number, an EAN-13 of prefix 400 with that number,
// quantity 1.
const char* const RecordLines[] = { "000001;4000000000013;1", "000002;4000000000020;1", "000003;4000000000037;1",
    "000004;4000000000044;1", "000005;4000000000051;1", "000006;4000000000068;1", "000007;4000000000075;1",
    "000008;4000000000082;1", "000009;4000000000099;1", "000010;4000000000105;1", "000011;4000000000112;1",
    "000012;4000000000129;1", "000013;4000000000136;1", "000014;4000000000143;1", "000015;4000000000150;1",
    "000016;4000000000167;1", "000017;4000000000174;1", "000018;4000000000181;1" };

std::string recordLines(int first, int count)
{
    std::string lines;
    for (int number = first; number < first + count; ++number)
        lines += std::string(RecordLines[number - 1]) + "\r\n";
    return lines;
}

std::string fiveDigits(int count)
{
    char text[8];
    std::snprintf(text, sizeof text, "%05d", count);
    return text;
}

// A program looked up like a shell does, with the system folders a non-root PATH may lack.
std::optional<std::string> findProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(std::string(path ? path : "") + ":/usr/sbin:/sbin");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0)
            return folder + "/" + name;
    return std::nullopt;
}

// A TCP port on 127.0.0.1 that was free a moment ago.
int freeTcpPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("no free TCP port");
    ::close(fd);
    return ntohs(address.sin_port);
}

// Whether something listens on 127.0.0.1:port, told by the kernel's table, so no connection is
// made to find out.
bool listeningOn(int port)
{
    std::ifstream table("/proc/net/tcp");
    char local[16];
    std::snprintf(local, sizeof local, "0100007F:%04X", port);
    std::string slot, address, remote, state;
    std::string rest;
    std::getline(table, rest);
    while (table >> slot >> address >> remote >> state) {
        if (address == local && state == "0A")
            return true;
        std::getline(table, rest);
    }
    return false;
}

enum class Transport { Tcp, Pty };

class HeadlessStations : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(root / "data");
        std::filesystem::create_directories(root / "log");
    }

    // The simulator with one terminal of serial number Serial and StartRecords records, on a TCP
    // port (0: a free one) or on the pseudo-terminal linked at ptyPath(); the port it serves.
    int startTermsim(Transport transport, int port = 0)
    {
        std::vector<std::string> arguments { "--serial", Serial, "--records", std::to_string(StartRecords),
            "--new-records", std::to_string(NewRecords) };
        if (transport == Transport::Tcp)
            arguments.insert(arguments.end(), { "--tcp", std::to_string(port) });
        else
            arguments.insert(arguments.end(), { "--pty", ptyPath() });
        termsim.emplace(TALVIX5_TERMSIM_BINARY, arguments);
        if (transport == Transport::Pty) {
            const auto line = termsim->waitForLineContaining("] on " + ptyPath() + " -> ", StartLimit);
            if (!line)
                throw std::runtime_error("the simulator made no pseudo-terminal: " + termsim->out() + termsim->err());
            termsimPrefix = "[pty " + ptyPath() + " #1 S/N " + Serial + "]";
            return 0;
        }
        const std::string listening = "listening on tcp 127.0.0.1:";
        const auto line = termsim->waitForLineContaining(listening, StartLimit);
        if (!line || line->rfind(listening, 0) != 0)
            throw std::runtime_error("the simulator does not listen: " + termsim->out() + termsim->err());
        const int served = std::stoi(line->substr(listening.size()));
        termsimPrefix = "[tcp " + std::to_string(served) + " #1 S/N " + Serial + "]";
        return served;
    }

    // Settings with one station of the given port keys, storing automatically into
    // data/<filePrefix>-<serial>-###.txt.
    void writeSettings(const std::string& portKeys, const std::string& filePrefix = "net")
    {
        filePrefix_ = filePrefix;
        WriteFile(root / "Talvix5.ini",
            "[MainWnd]\nVersion=500\nLogLevel=1\nLogPath=" + (root / "log/") + "\nUsbEnable=0\nChildNo=1\n"
                + "\n[ComPorts]\nCOM40=" + ptyPath() + "\n\n[STATION1]\n" + portKeys
                + "AutoRec=1\nDataPath=" + (root / "data/") + "\nDataFileName=" + filePrefix + "-%S-###.txt\n");
    }
    // talvix5 --headless on the settings as they are, the user's own folders untouched.
    void startTalvix5()
    {
        talvix5.emplace(TALVIX5_BINARY, std::vector<std::string> { "--headless", root / "Talvix5.ini" },
            std::vector<std::string> { "HOME=" + root.path(), "XDG_DATA_HOME=" + (root / "xdg") });
    }
    static std::string networkStation(int port)
    {
        return "Com=0\nWinsock=1\nWsAddress=127.0.0.1\nWsPort=" + std::to_string(port) + "\n";
    }
    static std::string serialStation() { return "Com=40\nWinsock=0\nBaud=19200\n"; }

    std::string ptyPath() const { return root / "com40"; }
    std::string dataFile(int number) const
    {
        char name[64];
        std::snprintf(name, sizeof name, "-%s-%03d.txt", Serial.c_str(), number);
        return root / ("data/" + filePrefix_ + name);
    }

    // The station reported storing data file `number` (on a line from offset `from` on), which
    // holds the header line and records first..first+count-1, and the terminal got its lock.
    void expectReception(int number, int first, int count, std::size_t from = 0)
    {
        const std::string path = dataFile(number);
        const std::string reported
            = "station 1 mode data[20]receiving snr " + Serial + " rec " + fiveDigits(count) + " file " + path;
        const auto line = talvix5->waitForLineContaining(" file ", ReceptionLimit, from);
        ASSERT_TRUE(line) << diagnostics();
        EXPECT_EQ(*line, reported) << diagnostics();

        const std::string stored = ReadFile(path);
        // The terminal's date and time when its records were made: ddmmyy/hhnnss.
        const std::regex header("%%STX/" + Serial + "/[0-9]{6}/[0-9]{6}\r\n");
        const std::size_t headerEnd = stored.find('\n') + 1;
        EXPECT_TRUE(std::regex_match(stored.substr(0, headerEnd), header)) << stored;
        EXPECT_EQ(stored.substr(headerEnd), recordLines(first, count)) << path;
        expectLocked();
    }
    void expectLocked()
    {
        EXPECT_TRUE(termsim->waitForLineContaining(termsimPrefix + " T1", ReceptionLimit, termsimMark))
            << termsim->out() << diagnostics();
        termsimMark = termsim->out().size();
    }

    std::string diagnostics() const
    {
        std::string text = "\n--- talvix5 output:\n" + (talvix5 ? talvix5->out() + talvix5->err() : "");
        text += "--- talvix5 log:\n";
        for (const auto& entry : std::filesystem::directory_iterator(root / "log"))
            text += ReadFile(entry.path());
        return text;
    }

    TempDir root;
    std::optional<ChildProcess> termsim;
    std::optional<ChildProcess> talvix5; // destroyed first: the program stops before its terminal
    std::string termsimPrefix; // "[tcp PORT #1 S/N 100002]" before each command line it prints
    std::size_t termsimMark = 0; // where the simulator's lines of the next reception begin
    std::string filePrefix_ = "net";
};

struct TransportCase {
    const char* name;
    Transport transport;
    const char* filePrefix;
    friend void PrintTo(const TransportCase& c, std::ostream* os) { *os << c.name; }
};

class OneReception : public HeadlessStations, public ::testing::WithParamInterface<TransportCase> { };

TEST_P(OneReception, StoresTheRecordsIntoTheFirstNumberedFileAndLocksTheTerminal)
{
    const int port = startTermsim(GetParam().transport);
    writeSettings(
        GetParam().transport == Transport::Tcp ? networkStation(port) : serialStation(), GetParam().filePrefix);
    startTalvix5();
    expectReception(0, 1, StartRecords);
}

INSTANTIATE_TEST_SUITE_P(Transports, OneReception,
    ::testing::Values(TransportCase { "Tcp", Transport::Tcp, "net" }, TransportCase { "Pty", Transport::Pty, "ser" }),
    [](const auto& c) { return std::string(c.param.name); });

TEST_F(HeadlessStations, ReconnectsToASimulatorStartedAgainOnItsPortAndReceivesAgain)
{
    const int port = startTermsim(Transport::Tcp);
    writeSettings(networkStation(port));
    startTalvix5();
    ASSERT_NO_FATAL_FAILURE(expectReception(0, 1, StartRecords));

    std::size_t mark = talvix5->out().size();
    termsim->signal(SIGKILL);
    EXPECT_EQ(termsim->wait(StartLimit), 128 + SIGKILL);
    ASSERT_TRUE(talvix5->waitForLineContaining("station 1 mode disconnect ", StartLimit, mark)) << diagnostics();

    // A new simulator process: the same terminal with its records unread again.
    mark = talvix5->out().size();
    termsimMark = 0;
    ASSERT_EQ(startTermsim(Transport::Tcp, port), port);
    EXPECT_TRUE(talvix5->waitForLineContaining(
        "station 1 mode online snr " + Serial + " rec " + fiveDigits(StartRecords), ReconnectLimit, mark))
        << diagnostics();
    expectReception(1, 1, StartRecords, mark);
}

TEST_F(HeadlessStations, AProgramStartedAgainContinuesTheFileNumbering)
{
    const int port = startTermsim(Transport::Tcp);
    writeSettings(networkStation(port));
    startTalvix5();
    ASSERT_NO_FATAL_FAILURE(expectReception(0, 1, StartRecords));
    talvix5->signal(SIGTERM);
    EXPECT_EQ(talvix5->wait(StartLimit), 0) << diagnostics();
    const std::string first = ReadFile(dataFile(0));

    // The locked records give way to new ones while no station is connected.
    termsim->signal(SIGUSR1);
    ASSERT_TRUE(termsim->waitForLineContaining(
        termsimPrefix + " " + std::to_string(NewRecords) + " new records, " + std::to_string(NewRecords) + " in memory",
        StartLimit, termsimMark))
        << termsim->out();
    startTalvix5();
    expectReception(1, StartRecords + 1, NewRecords);
    EXPECT_EQ(ReadFile(dataFile(0)), first);
    EXPECT_FALSE(FileExists(dataFile(2)));
}

TEST_F(HeadlessStations, ReceivesThroughSer2netLikeOverTheDirectConnection)
{
    const auto ser2net = findProgram("ser2net");
    if (!ser2net)
        GTEST_SKIP() << "ser2net is not installed (scripts/setup.sh installs it)";
    startTermsim(Transport::Pty);
    const int port = freeTcpPort();
    WriteFile(root / "ser2net.yaml",
        "connection: &terminal\n  accepter: tcp,127.0.0.1," + std::to_string(port) + "\n  connector: serialdev,"
            + ptyPath() + ",19200n81,local\n");
    // In the foreground, without UUCP lock files in the system's lock folder.
    ChildProcess server(*ser2net, { "-n", "-d", "-u", "-c", root / "ser2net.yaml" });
    const auto deadline = std::chrono::steady_clock::now() + StartLimit;
    while (!listeningOn(port) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(listeningOn(port)) << "ser2net does not listen on " << port << ":\n" << server.out() << server.err();

    writeSettings(networkStation(port));
    startTalvix5();
    expectReception(0, 1, StartRecords);
}

} // namespace
