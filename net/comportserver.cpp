#include "net/comportserver.h"

#include <QDateTime>
#include <QTcpServer>
#include <QTcpSocket>

namespace {
// How often the port's input is looked at: a fraction of one character's time at 9600.
constexpr int kPumpMs = 2;

QString now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString peerName(const QTcpSocket *socket)
{
    QHostAddress address = socket->peerAddress();
    bool ok = false;
    const QHostAddress v4(address.toIPv4Address(&ok));
    if (ok)
        address = v4;
    return QStringLiteral("%1:%2").arg(address.toString()).arg(socket->peerPort());
}
} // namespace

ComPortServer::ComPortServer(QObject *parent) : QObject(parent)
{
    m_pump.setInterval(kPumpMs);
    connect(&m_pump, &QTimer::timeout, this, &ComPortServer::pumpSerial);
    connect(&m_device, &SerialDevice::gone, this, [this] {
        if (!m_device.isOpen())
            return;
        m_device.close();
        emit portLost();
    });
}

ComPortServer::~ComPortServer()
{
    stop();
}

bool ComPortServer::start(const QString &device, const QHostAddress &address, quint16 port)
{
    m_devicePath = device;
    if (!m_device.open(device, m_baud)) {
        m_error = tr("%1 cannot be opened: %2").arg(device, m_device.openErrorString());
        return false;
    }
    m_server = new QTcpServer(this);
    m_server->setMaxPendingConnections(4);
    if (!m_server->listen(address, port)) {
        m_error = tr("cannot listen on %1:%2: %3").arg(address.toString()).arg(port).arg(m_server->errorString());
        m_device.close();
        return false;
    }
    connect(m_server, &QTcpServer::newConnection, this, &ComPortServer::onNewConnection);
    m_pump.start();
    return true;
}

void ComPortServer::stop()
{
    m_pump.stop();
    if (m_client) {
        m_client->disconnect(this);
        m_client->flush();
        m_client->disconnectFromHost();
        m_client->deleteLater();
        m_client = nullptr;
    }
    if (m_server) {
        m_server->close();
        m_server->deleteLater();
        m_server = nullptr;
    }
    if (m_device.isOpen())
        m_device.close();
}

quint16 ComPortServer::listeningPort() const
{
    return m_server ? m_server->serverPort() : 0;
}

void ComPortServer::say(const QString &line)
{
    if (onEvent)
        onEvent(line);
}

void ComPortServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        // A client that has just left may not have been noticed yet: look before refusing.
        if (m_client)
            m_client->waitForReadyRead(0);
        if (m_client) {
            say(tr("%1: %2 refused, the port is in use by %3").arg(now(), peerName(socket), m_clientName));
            // Plain text: a Telnet client shows it, any other reads it in its data.
            socket->write(tr("The port is in use by %1; try again later.\r\n").arg(m_clientName).toUtf8());
            socket->disconnectFromHost();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            continue;
        }
        m_client = socket;
        m_clientName = peerName(socket);
        m_codec.reset();
        m_said.clear();
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, &ComPortServer::onClientData);
        connect(socket, &QTcpSocket::disconnected, this, &ComPortServer::onClientGone);
        // A reset ends the client as a close does.
        connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
            if (error != QAbstractSocket::SocketTimeoutError) // the look below, not a fault
                onClientGone();
        });
        say(tr("%1: %2 connected").arg(now(), m_clientName));
        // What the client will ask for anyway; asking first saves it a round trip.
        reply(TelnetCodec::DO, TelnetCodec::ComPort);
        // What the client sent before this connection is nothing of the controller's.
        m_device.purge();
    }
}

void ComPortServer::onClientGone()
{
    if (!m_client)
        return;
    say(tr("%1: %2 disconnected").arg(now(), m_clientName));
    m_client->disconnect(this);
    m_client->deleteLater();
    m_client = nullptr;
}

void ComPortServer::onClientData()
{
    if (!m_client)
        return;
    const QByteArray data = m_codec.feed(m_client->readAll());
    int from = 0;
    for (const TelnetCodec::Event &event : m_codec.takeEvents()) {
        if (event.at > from && m_device.isOpen())
            m_device.write(data.mid(from, event.at - from));
        from = event.at;
        handle(event);
    }
    if (from < data.size() && m_device.isOpen())
        m_device.write(data.mid(from));
}

void ComPortServer::reply(quint8 verb, quint8 option)
{
    const QByteArray bytes = TelnetCodec::command(verb, option);
    if (m_said.contains(bytes) || !m_client)
        return;
    m_said.append(bytes);
    m_client->write(bytes);
}

void ComPortServer::handle(const TelnetCodec::Event &event)
{
    using T = TelnetCodec;
    const bool ours = event.option == T::Binary || event.option == T::SuppressGoAhead || event.option == T::ComPort;
    switch (event.verb) {
    case T::WILL:
        reply(ours ? T::DO : T::DONT, event.option);
        return;
    case T::DO:
        reply(ours && event.option != T::ComPort ? T::WILL : T::WONT, event.option);
        return;
    case T::WONT:
    case T::DONT:
        return;
    case T::SB:
        break;
    default:
        return;
    }
    quint32 asked = 0;
    if (event.option != T::ComPort || !comport::value(event.payload, &asked))
        return;
    const quint8 command = quint8(event.payload.at(0));
    if (command == comport::PurgeData) {
        m_device.purge();
    } else if (command == comport::NotifyLineState || command == comport::NotifyModemState
               || command == comport::FlowSuspend || command == comport::FlowResume || command > comport::PurgeData) {
        return;
    }
    const quint32 inForce = answerFor(command, asked);
    if (m_client)
        m_client->write(T::subnegotiation(T::ComPort, comport::payload(command + comport::kServerOffset, inForce)));
    if (command == comport::SetBaudRate && asked != 0)
        say(tr("%1: %2 set speed %3 → %4").arg(now(), m_clientName).arg(asked).arg(inForce));
}

quint32 ComPortServer::answerFor(quint8 command, quint32 asked)
{
    switch (command) {
    case comport::SetBaudRate:
        if (asked != 0 && int(asked) != m_baud && asked <= 4000000) {
            // The device is reopened at the new rate; if it will not take it, the old one stands.
            m_device.close();
            if (m_device.open(m_devicePath, int(asked)))
                m_baud = int(asked);
            else
                m_device.open(m_devicePath, m_baud);
        }
        return quint32(m_baud);
    case comport::SetDataSize:
        return 8;
    case comport::SetParity:
        return comport::ParityNone;
    case comport::SetStopSize:
        return comport::StopOne;
    case comport::SetControl:
        // Flow control is none; DTR and RTS questions are answered as asked.
        return asked <= 3 ? 1 : asked;
    default:
        return asked;
    }
}

void ComPortServer::pumpSerial()
{
    if (!m_device.isOpen())
        return;
    const qint64 waiting = m_device.bytesWaiting();
    if (waiting <= 0)
        return;
    QByteArray bytes(int(waiting), Qt::Uninitialized);
    const qint64 n = m_device.read(bytes.data(), waiting);
    if (n <= 0)
        return;
    bytes.truncate(int(n));
    if (m_client && m_client->state() == QAbstractSocket::ConnectedState)
        m_client->write(TelnetCodec::escape(bytes));
    // With nobody connected, what the controller says is nobody's.
}
