#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QObject>
#include <QSerialPort>

// The configurator's side of the line in the tests: a real QSerialPort on the port's
// canonical device, collecting every byte and counting the deliveries.
class SerialClient : public QObject
{
public:
    explicit SerialClient(QObject *parent = nullptr) : QObject(parent)
    {
        connect(&port, &QSerialPort::readyRead, this, [this] {
            if (received.isEmpty())
                firstByteMs = clock.elapsed();
            received += port.readAll();
            ++deliveries;
        });
        connect(&port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
            // Qt repeats these in a busy loop once the far end is gone: close at the first.
            if (e == QSerialPort::ReadError || e == QSerialPort::ResourceError) {
                lost = true;
                port.close();
            }
        });
    }

    bool open(const QString &link)
    {
        port.setPortName(QFileInfo(link).canonicalFilePath());
        port.setBaudRate(9600);
        return port.open(QIODevice::ReadWrite);
    }

    // Starts a fresh exchange: forgets what came before and times from the write.
    void send(const QByteArray &command)
    {
        received.clear();
        deliveries = 0;
        firstByteMs = -1;
        clock.start();
        port.write(command + '\r');
    }

    QSerialPort port;
    QByteArray received;
    int deliveries = 0;
    bool lost = false;
    QElapsedTimer clock;
    qint64 firstByteMs = -1;
};
