// Benchmark helper (not a test): makes a received data file and stores it the way a station
// does, cleaning it in place and appending it to a target file. Timing and memory are measured
// from outside by bench/store_received_file.sh.
//
//   store_received_file generate FILE MEGABYTES   a received file: header, records, footer, fill
//   store_received_file store RECEIVED TARGET     CopyTlvFile (header kept, footer dropped, CR LF)
//                                                 then AddFile; prints the line count

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "station/FileFunctions.h"

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

int store(const std::string& received, const std::string& target)
{
    std::string name;
    const int lines = talvix::CopyTlvFile(received, true, false, talvix::lsCRLF, name);
    if (!talvix::AddFile(target, received)) {
        std::cerr << "AddFile failed\n";
        return 1;
    }
    std::cout << lines << " lines, header name " << name << "\n";
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
