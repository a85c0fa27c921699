#pragma once

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

// Loopback ports for the servers the network tests start.
namespace loopback {

// A port nobody listens on now, from the system's own choice.
inline quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Something listens there: a connection is taken (and dropped at once).
inline bool accepts(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    const bool ok = socket.waitForConnected(200);
    socket.abort();
    return ok;
}

} // namespace loopback
