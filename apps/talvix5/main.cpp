// talvix5: the communication program for handheld data-collection terminals.

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

#include "Version.h"

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("talvix5");
    QCoreApplication::setApplicationVersion(TALVIX_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription("Talvix5 - communication program for handheld data-collection terminals.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);

    std::fprintf(stderr, "talvix5: only --help and --version are available in this build.\n");
    return 2;
}
