// talvix5-termsim: simulated handheld terminals for the demo, the tests and the benchmarks, on TCP
// ports (as a network serial server offers them) and on pseudo-terminals (for serial stations).
// It prints one line per connection, per command received and per transfer, and ends with exit
// code 0 on SIGINT or SIGTERM, removing its links.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <list>
#include <optional>

#include "PtyTerminal.h"
#include "TcpTerminalServer.h"
#include "TerminalSet.h"
#include "Version.h"
#include "platform/SignalPipe.h"
#include "platform/qt/QtLoop.h"

using namespace talvix;
using namespace talvix::termsim;

namespace {

const char* const description = R"(Simulated handheld terminals for Talvix5.

Each --tcp PORT listens like a network serial server (raw bytes, no Telnet); every connection is
served by a terminal of its own, and a terminal whose connection closed waits for the next
connection to that port with its records and lock flag as they were. PORT 0 takes a free port;
the "listening on" line names it. Each --pty PATH makes a pseudo-terminal and a symbolic link to
it at PATH, for a serial station; the link is removed at exit.

Terminal n (counted from 0 in the order they are made) has the serial number --serial + n. It
answers the status poll V/S and the clock poll T, obeys T0, T1, CLRMEM, S/N:, SETTIM:, CLRERR, UA
and BP, and sends its data by XModem-CRC on XD (XD:name for a named file, XDMPERR for its error
log). New records come every --every seconds and on SIGUSR1, --new-records at a time; records
already marked transmitted (T1) are replaced by them. SIGINT and SIGTERM end the program.)";

std::optional<long> number(const QString& text, long min, long max)
{
    bool ok = false;
    const long value = text.toLong(&ok);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return value;
}

[[noreturn]] void fail(const std::string& message)
{
    std::fprintf(stderr, "talvix5-termsim: %s\n", message.c_str());
    std::exit(2);
}

long numberOption(const QCommandLineParser& parser, const QString& name, long min, long max)
{
    const auto value = number(parser.value(name), min, max);
    if (!value)
        fail("--" + name.toStdString() + " needs a number from " + std::to_string(min) + " to " + std::to_string(max));
    return *value;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("talvix5-termsim");
    QCoreApplication::setApplicationVersion(TALVIX_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        { "tcp", "Serve terminals on TCP port <port> (repeatable).", "port" },
        { "bind", "Address the TCP ports listen on (default 127.0.0.1).", "address", "127.0.0.1" },
        { "pty", "Make a pseudo-terminal linked at <path> (repeatable).", "path" },
        { "serial", "Serial number of the first terminal, up to six digits (default 123456).", "number", "123456" },
        { "generation", "Two digits of the V line (default 20; odd: update accepted; 30 and up: four-digit years).",
            "number", "20" },
        { "records", "Records at the start, generated with header and footer lines (default 10).", "count", "10" },
        { "records-file", "Data memory at the start: the contents of <file> instead of generated records.", "file" },
        { "header-name", "File name the header line of generated records names.", "name" },
        { "lock", "Lock flag at the start: T0, T1 (transmitted), T2 (inhibited) or T3 (default T0).", "flag", "T0" },
        { "answer-delay", "Delay of every answer in milliseconds (default 0).", "ms", "0" },
        { "new-records", "Records added by --every and SIGUSR1 (default 5).", "count", "5" },
        { "every", "Add new records every <seconds> seconds (default 0: never).", "seconds", "0" },
        { "stall-after", "Fault: the XModem sender falls silent after <blocks> blocks.", "blocks" },
        { "drop-after", "Fault: a TCP connection is dropped after <blocks> blocks of a transfer.", "blocks" },
        { "noise", "Fault: every <n>-th byte the terminal sends is inverted.", "n" },
        { "quiet", "Print connections and transfers only, no line per command." },
    });
    parser.process(app);

    TerminalSettings settings;
    settings.serialBase = numberOption(parser, "serial", 0, 999999);
    settings.config.generation = static_cast<int>(numberOption(parser, "generation", 0, 99));
    settings.records = static_cast<int>(numberOption(parser, "records", 0, 99999));
    settings.config.recordFormat.headerFileName = parser.value("header-name").toStdString();
    settings.config.answerDelay = Millis { numberOption(parser, "answer-delay", 0, 60000) };
    settings.quiet = parser.isSet("quiet");
    const QString lock = parser.value("lock").toUpper();
    if (lock.size() != 2 || lock[0] != 'T' || lock[1] < '0' || lock[1] > '3')
        fail("--lock needs T0, T1, T2 or T3");
    settings.config.lock = static_cast<sim::LockFlag>(lock[1].toLatin1());
    if (parser.isSet("stall-after"))
        settings.config.transferFaults.stallAfterBlocks
            = static_cast<int>(numberOption(parser, "stall-after", 0, 1 << 30));
    if (parser.isSet("drop-after"))
        settings.config.transferFaults.dropAfterBlocks
            = static_cast<int>(numberOption(parser, "drop-after", 0, 1 << 30));
    if (parser.isSet("noise"))
        settings.config.noise.corruptEvery = static_cast<int>(numberOption(parser, "noise", 1, 1 << 30));

    std::string recordsFile;
    if (parser.isSet("records-file")) {
        settings.recordsFile = parser.value("records-file").toStdString();
        QFile file(parser.value("records-file"));
        if (!file.open(QIODevice::ReadOnly))
            fail("cannot read " + settings.recordsFile);
        const QByteArray bytes = file.readAll();
        recordsFile.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    const int newRecords = static_cast<int>(numberOption(parser, "new-records", 1, 99999));
    const long everySeconds = numberOption(parser, "every", 0, 86400);
    const QHostAddress address(parser.value("bind"));
    if (address.isNull())
        fail("--bind needs an IP address");
    if (parser.values("tcp").isEmpty() && parser.values("pty").isEmpty())
        fail("nothing to serve: give --tcp PORT or --pty PATH (see --help)");

    QtLoop loop;
    TerminalSet terminals(loop, settings, recordsFile);
    std::list<TcpTerminalServer> servers;
    for (const QString& port : parser.values("tcp")) {
        const auto value = number(port, 0, 65535);
        if (!value)
            fail("--tcp needs a port number from 0 to 65535");
        if (!servers.emplace_back(terminals, address, static_cast<quint16>(*value)).listening())
            return 1;
    }
    std::list<PtyTerminal> ptys;
    for (const QString& path : parser.values("pty"))
        if (!ptys.emplace_back(loop, terminals, path.toStdString()).ready())
            return 1;

    SignalPipe signalPipe(loop, { SIGINT, SIGTERM, SIGUSR1 }, [&](int signal) {
        if (signal == SIGUSR1)
            terminals.addRecords(newRecords);
        else
            QCoreApplication::quit();
    });
    std::unique_ptr<Timer> newRecordsTimer;
    if (everySeconds > 0) {
        newRecordsTimer = loop.createTimer([&] { terminals.addRecords(newRecords); });
        newRecordsTimer->setInterval(Millis { everySeconds * 1000 });
        newRecordsTimer->start();
    }
    const int code = QCoreApplication::exec();
    printLine("stopped");
    return code;
}
