#pragma once

#include "link/serialdevice.h"
#include "net/telnetcodec.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class QTcpServer;
class QTcpSocket;

// Lends a local serial port to one RFC 2217 client at a time: the client's data goes to
// the port and the port's to the client, the client's line settings are applied and
// answered with the value in force. A second client is told the port is taken and
// closed; the first is not disturbed.
class ComPortServer : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 kDefaultPort = 2217;

    explicit ComPortServer(QObject *parent = nullptr);
    ~ComPortServer() override;

    // Opens the device at 9600 8N1 and listens; false with errorString().
    bool start(const QString &device, const QHostAddress &address, quint16 port);
    void stop();
    QString errorString() const { return m_error; }
    quint16 listeningPort() const;
    // The speed in force on the device.
    int baud() const { return m_baud; }

    // What happened, as a line for the operator: who connected and when, who was refused.
    std::function<void(const QString &line)> onEvent;

    // The value in force to answer a client's setting with; the speed may change the
    // device's rate when it can be set, other values stay 8N1 with no flow control.
    quint32 answerFor(quint8 command, quint32 asked);

signals:
    // The serial port went away while serving.
    void portLost();

private:
    void onNewConnection();
    void onClientData();
    void onClientGone();
    void pumpSerial();
    void say(const QString &line);
    void handle(const TelnetCodec::Event &event);
    void reply(quint8 verb, quint8 option);

    QTcpServer *m_server = nullptr;
    QPointer<QTcpSocket> m_client;
    QString m_clientName;
    SerialDevice m_device;
    QString m_devicePath;
    int m_baud = 9600;
    TelnetCodec m_codec;
    QList<QByteArray> m_said; // option commands already sent to this client
    QTimer m_pump;
    QString m_error;
};
