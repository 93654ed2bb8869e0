#pragma once
// Simulated terminals on a TCP port, as a network serial server offers a serial line: raw bytes
// both ways, no Telnet. Every connection is served by a terminal of its own; a terminal whose
// connection has closed waits for the next connection to the port, so a station that reconnects
// finds its terminal's records and lock flag as they were, and many stations can share one port.

#include <QHostAddress>
#include <QTcpServer>

#include <vector>

#include "TerminalSet.h"

namespace talvix::termsim {

class TcpTerminalServer {
public:
    TcpTerminalServer(TerminalSet& terminals, const QHostAddress& address, quint16 port);
    // False, with the reason printed, when the port cannot be opened.
    bool listening() const { return server_.isListening(); }

private:
    void accept(QTcpSocket* socket);

    TerminalSet& terminals_;
    QTcpServer server_;
    std::string label_;
    std::vector<sim::SimTerminal*> idle_;
};

} // namespace talvix::termsim
