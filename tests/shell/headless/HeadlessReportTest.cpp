// The lines --headless writes to standard output for its stations.

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "shell/headless/HeadlessReport.h"

using namespace talvix;

namespace {

struct ReportCase {
    const char* name;
    std::function<void(HeadlessReport&)> calls;
    std::string lines;
    friend void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }
};

class HeadlessReportTest : public ::testing::TestWithParam<ReportCase> { };

TEST_P(HeadlessReportTest, WritesOneLinePerCall)
{
    std::ostringstream out;
    StreamHeadlessReport report(out);
    GetParam().calls(report);
    EXPECT_EQ(out.str(), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Lines, HeadlessReportTest,
    ::testing::Values(
        ReportCase { "ModeChange", [](HeadlessReport& r) { r.onModeChange(1, "Online", "123456", "00012"); },
            "station 1 mode Online snr 123456 rec 00012\n" },
        ReportCase { "EmptyFieldsAreDashes", [](HeadlessReport& r) { r.onModeChange(2, "Status", "", ""); },
            "station 2 mode Status snr - rec -\n" },
        ReportCase { "TerminalBytesStayOneWord",
            [](HeadlessReport& r) { r.onModeChange(-1, "Online", "12 3\r\n\xFC", "7"); },
            "station -1 mode Online snr 12[20]3[0D][0A]\xC3\xBC rec 7\n" },
        ReportCase { "FileRepeatsTheLastState",
            [](HeadlessReport& r) {
                r.onModeChange(1, "DatenEmpfangen", "123456", "00012");
                r.onModeChange(2, "Online", "654321", "00000");
                r.onFileStored(1, "/data/My Files/123456_001.txt");
            },
            "station 1 mode DatenEmpfangen snr 123456 rec 00012\n"
            "station 2 mode Online snr 654321 rec 00000\n"
            "station 1 mode DatenEmpfangen snr 123456 rec 00012 file /data/My Files/123456_001.txt\n" },
        ReportCase { "FileBeforeAnyMode", [](HeadlessReport& r) { r.onFileStored(3, "/data/a\nb.txt"); },
            "station 3 mode - snr - rec - file /data/a[0A]b.txt\n" }),
    [](const auto& c) { return std::string(c.param.name); });

} // namespace
