// talvix5: the communication program for handheld data-collection terminals.
//
// "talvix5 --headless [settings file]" runs the stations of the settings file without widgets:
// the main window's logic on the Qt event loop, every dialog answered without asking (see
// shell/headless/NonInteractiveDialogs.h), one line per station mode change and stored file on
// standard output, messages on standard error. SIGINT or SIGTERM ends it in order: stations
// closed, settings saved when changed, the log on disk, exit status 0. A start that fails
// (no settings file, stations that cannot be created) exits with 1.
// Without --headless the windowed program is meant, which needs the GUI build: exit status 2.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <csignal>
#include <iostream>
#include <string>
#include <utility>

#include "Version.h"
#include "platform/SignalPipe.h"
#include "platform/qt/QtLoop.h"
#include "platform/qt/QtProcessStarter.h"
#include "shell/SettingsLayout.h"
#include "shell/headless/HeadlessProgram.h"
#include "shell/headless/HeadlessReport.h"
#include "station/headless/HeadlessStations.h"

namespace {

using namespace talvix;

constexpr int StartFailed = 1;
constexpr int UsageError = 2;

int runHeadless(const std::string& settingsArgument)
{
    // A reader of the report that goes away must not end the stations' work with SIGPIPE; the
    // lines are then simply lost.
    std::signal(SIGPIPE, SIG_IGN);
    QtLoop loop;
    HeadlessDialogs dialogs(std::cerr);
    StreamHeadlessReport report(std::cout);
    HeadlessStationFactory stations(loop, dialogs, report, std::cerr);
    QtProcessStarter processes;
    HeadlessProgram program({ loop, dialogs, stations, processes }, ExecutableFolder(), settingsArgument);
    // Installed before the start, so a signal during it is served as soon as the loop runs.
    // Ctrl-C in a terminal may reach the program together with the SIGTERM of a script that
    // started it: the stop is announced and begun once.
    bool stopping = false;
    SignalPipe stopSignals(loop, { SIGINT, SIGTERM }, [&program, &stopping](int signalNumber) {
        if (std::exchange(stopping, true))
            return;
        std::cout << "talvix5 headless: stopping on " << (signalNumber == SIGINT ? "SIGINT" : "SIGTERM") << std::endl;
        program.close();
        QCoreApplication::quit();
    });
    if (!program.start())
        return StartFailed;
    std::cout << "talvix5 headless: running" << std::endl;
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("talvix5");
    QCoreApplication::setApplicationVersion(TALVIX_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Talvix5 - communication program for handheld data-collection terminals.\n\n"
        "--headless runs the stations of the settings file without a window: every question is\n"
        "answered without asking (confirmations: No; file choosers and the options dialog:\n"
        "cancelled; the password: refused, so a password-guarded action does not happen while a\n"
        "password is set). Each station mode change and each stored file is one line on standard\n"
        "output:\n"
        "  station <n> mode <ModeName> snr <serial> rec <records> [file <path>]\n"
        "SIGINT or SIGTERM closes the stations in order and exits with 0.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption headless("headless", "Run the stations without a window.");
    parser.addOption(headless);
    parser.addPositionalArgument(
        "settings", "The settings file (default: Talvix5.ini in the settings folder).", "[settings file]");
    parser.process(app);

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        std::cerr << "talvix5: only one settings file can be given\n";
        return UsageError;
    }
    if (!parser.isSet(headless)) {
        std::cerr << "talvix5: the windowed program needs the GUI build, which this build does not include.\n"
                     "Run the stations without a window with: talvix5 --headless [settings file]\n";
        return UsageError;
    }
    return runHeadless(positional.isEmpty() ? std::string() : QFile::encodeName(positional.front()).toStdString());
}
