#include "link/serialchannel.h"

#include "link/exchangejournal.h"

#include <QTimer>

SerialChannel::SerialChannel(QObject *parent) : PortLine(parent)
{
    connect(&m_device, &SerialDevice::gone, this, [this] {
        if (m_open)
            loseConnection();
    });
}

bool SerialChannel::open(const QString &devicePath, int baud)
{
    if (m_open)
        return false;
    const QString path = SerialDevice::resolve(devicePath);
    if (!m_device.open(path, baud))
        return false;
    m_devicePath = path;
    m_losing = false;
    m_open = true;
    return true;
}

void SerialChannel::close()
{
    m_open = false;
    if (!m_device.isOpen())
        return;
    purgeBuffers();
    purgePending();
    m_device.close();
}

qint64 SerialChannel::write(const QByteArray &bytes)
{
    purgeBuffers();
    purgePending();
    const qint64 written = m_device.write(bytes);
    if (m_journal)
        m_journal->record(ExchangeJournal::Direction::Sent, m_journalPort, bytes, written);
    return written;
}

qint64 SerialChannel::read(char *buffer, qint64 capacity)
{
    const qint64 n = m_device.read(buffer, capacity);
    if (m_journal && n > 0)
        m_journal->record(ExchangeJournal::Direction::Received, m_journalPort, QByteArray(buffer, int(n)), n);
    return n;
}

void SerialChannel::setJournal(ExchangeJournal *journal, const QString &port)
{
    m_journal = journal;
    m_journalPort = port;
}

void SerialChannel::purgeBuffers()
{
    m_device.purge();
}

void SerialChannel::purgePending()
{
    m_device.purgePending();
}

void SerialChannel::loseConnection()
{
    // A vanished device keeps reporting errors (Qt 6.4 in a busy loop): stop listening at
    // once, and close and report from the event loop, outside the device's own callback.
    if (m_losing)
        return;
    m_losing = true;
    m_open = false;
    QTimer::singleShot(0, this, [this] {
        m_device.close();
        m_losing = false;
        emit lost();
    });
}
