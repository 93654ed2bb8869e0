// Benchmark helper (not a test): makes a received data file and stores it the way a station
// does after a reception, with DataListSave. Timing and memory are measured from outside by
// bench/store_received_file.sh.
//
//   store_received_file generate FILE MEGABYTES   a received file: header, records, footer, fill
//   store_received_file store RECEIVED TARGET     DataListSave into TARGET (header kept, footer
//                                                 dropped, CR LF line ends); prints the log line

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "platform/VirtualLoop.h"
#include "station/ReceivedDataStore.h"
#include "station/StationSettingsFile.h"
#include "station/TargetFileNaming.h"

namespace {

int generate(const std::string& path, long megabytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "%%STX/0001/004711/20240601/inventory.txt\r\n";
    const long long bytes = static_cast<long long>(megabytes) * 1024 * 1024;
    char record[64];
    long long written = 0;
    for (long n = 0; written < bytes; ++n) {
        const int length = std::snprintf(
            record, sizeof record, "40123456%05ld;20240601;%06ld;%4ld\r\n", n % 100000, n % 240000, n % 1000);
        out.write(record, length);
        written += length;
    }
    out << "%%ETX " << written << "\r\n" << std::string(77, '\x1A');
    return out ? 0 : 1;
}

// A station of one, with the factory transfer settings.
class BenchStation : public talvix::TargetFileStation {
public:
    int StationsNr() const override { return 1; }
    std::string SerialNumberShown() const override { return "004711"; }
    talvix::LocalDateTime localNow() const override { return talvix::systemLocalNow(); }
    std::string GetText(const std::string&, const std::string& Default) const override { return Default; }
};

int store(const std::string& received, const std::string& target)
{
    talvix::StationSettings settings;
    settings.EditDataPath = talvix::SettingDirectoryPart(target);
    settings.EditDataFileName = talvix::SettingNamePart(target);
    BenchStation station;
    talvix::TargetFileNaming naming(settings, station, "./");
    if (!naming.CreatePathAndFileName().DataPathUsable) {
        std::cerr << "the target's folder cannot be written\n";
        return 1;
    }
    talvix::VirtualLoop loop;
    talvix::ReceivedDataStore dataStore(
        naming, settings, loop, false, [](int, const std::string& line) { std::cout << line << "\n"; });
    if (!dataStore.DataListSave(received).Stored) {
        std::cerr << "DataListSave failed\n";
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "generate" && argc == 4)
        return generate(argv[2], std::atol(argv[3]));
    if (mode == "store" && argc == 4)
        return store(argv[2], argv[3]);
    std::cerr << "usage: store_received_file generate FILE MEGABYTES | store RECEIVED TARGET\n";
    return 2;
}
