// talvix5-termsim end to end: the program started on a free TCP port answers a status poll and
// ends cleanly on SIGTERM.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>

namespace {

// Serves Qt events until done() or the time is up.
template <typename Done> bool waitFor(Done done, int milliseconds = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

} // namespace

TEST(Termsim, AnswersTheStatusPollOnItsTcpPortAndStopsOnSigterm)
{
    static int argc = 1;
    static char name[] = "sim_termsim_tests";
    static char* argv[] = { name, nullptr };
    QCoreApplication app(argc, argv);

    QProcess termsim;
    QByteArray output;
    QObject::connect(&termsim, &QProcess::readyReadStandardOutput, [&] { output += termsim.readAllStandardOutput(); });
    termsim.start(TALVIX_TERMSIM, { "--tcp", "0", "--serial", "654321", "--records", "7" });
    ASSERT_TRUE(termsim.waitForStarted(5000));

    const QRegularExpression listening("listening on tcp 127\\.0\\.0\\.1:(\\d+)\\n");
    QRegularExpressionMatch match;
    ASSERT_TRUE(waitFor([&] { return (match = listening.match(QString::fromLatin1(output))).hasMatch(); }))
        << output.toStdString();
    const quint16 port = match.captured(1).toUShort();

    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", port);
    ASSERT_TRUE(socket.waitForConnected(5000));
    socket.write("V\rS\r\x11");
    QByteArray answer;
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] { answer += socket.readAll(); });
    EXPECT_TRUE(waitFor([&] { return answer.endsWith("S/N:654321 REC:00007 T0\r\n"); })) << answer.toStdString();
    EXPECT_TRUE(answer.startsWith("MDE TX5 SIM\r\n")) << answer.toStdString();
    EXPECT_TRUE(answer.contains("\r\nV20\r\n")) << answer.toStdString();

    const QByteArray prefix = "[tcp " + QByteArray::number(port) + " #1 S/N 654321] ";
    EXPECT_TRUE(waitFor([&] { return output.contains(prefix + "S\n"); })) << output.toStdString();
    EXPECT_TRUE(output.contains(prefix + "connected from 127.0.0.1:"));
    EXPECT_TRUE(output.contains(prefix + "V\n"));

    termsim.terminate();
    ASSERT_TRUE(termsim.waitForFinished(5000));
    EXPECT_EQ(termsim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(termsim.exitCode(), 0);
}
