#include "TcpTerminalServer.h"

#include <QTcpSocket>

namespace talvix::termsim {

TcpTerminalServer::TcpTerminalServer(TerminalSet& terminals, const QHostAddress& address, quint16 port)
    : terminals_(terminals)
{
    if (!server_.listen(address, port)) {
        printLine("cannot listen on tcp " + address.toString().toStdString() + ":" + std::to_string(port) + ": "
            + server_.errorString().toStdString());
        return;
    }
    label_ = "tcp " + std::to_string(server_.serverPort());
    printLine("listening on tcp " + address.toString().toStdString() + ":" + std::to_string(server_.serverPort()));
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection())
            accept(socket);
    });
}

void TcpTerminalServer::accept(QTcpSocket* socket)
{
    sim::SimTerminal* terminal = nullptr;
    if (idle_.empty()) {
        terminal = &terminals_.create(label_);
    } else {
        terminal = idle_.back();
        idle_.pop_back();
    }
    const std::string prefix = terminals_.prefix(*terminal);
    printLine(prefix + " connected from " + socket->peerAddress().toString().toStdString() + ":"
        + std::to_string(socket->peerPort()));
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);

    terminal->setSend(
        [socket](const std::string& bytes) { socket->write(bytes.data(), static_cast<qint64>(bytes.size())); });
    terminal->setOnDropConnection([socket, prefix] {
        printLine(prefix + " drops the connection");
        socket->abort();
    });
    QObject::connect(socket, &QTcpSocket::readyRead, [socket, terminal] {
        const QByteArray bytes = socket->readAll();
        terminal->onBytes(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    });
    QObject::connect(socket, &QTcpSocket::disconnected, [this, socket, terminal, prefix] {
        printLine(prefix + " disconnected");
        terminal->lineLost();
        idle_.push_back(terminal);
        socket->deleteLater();
    });
}

} // namespace talvix::termsim
