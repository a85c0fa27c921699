#include "link/serialchannel.h"

#include "link/exchangejournal.h"

#include <QFileInfo>
#include <QTimer>

#include <poll.h>

namespace {
// A write hands the bytes to the driver; at 9600 baud even the longest record leaves
// the driver's buffer well within this time.
constexpr int kWriteTimeoutMs = 3000;
} // namespace

SerialChannel::SerialChannel(QObject *parent) : QObject(parent)
{
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialChannel::onError);
}

bool SerialChannel::open(const QString &devicePath, int baud)
{
    if (m_open)
        return false;
    const QString path = QFileInfo(devicePath).canonicalFilePath();
    if (path.isEmpty()) {
        m_openError = QSerialPort::DeviceNotFoundError;
        m_openErrorString = QStringLiteral("No such file or directory");
        return false;
    }
    m_devicePath = path;
    m_port.setPortName(path);
    // Qt applies the line settings as part of open; flow control is not touched here.
    m_port.setBaudRate(baud);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_openError = m_port.error();
        m_openErrorString = m_port.errorString();
        return false;
    }
    m_openError = QSerialPort::NoError;
    m_openErrorString.clear();
    m_losing = false;
    m_open = true;
    return true;
}

void SerialChannel::close()
{
    m_open = false;
    if (!m_port.isOpen())
        return;
    purgeBuffers();
    purgePending();
    m_port.close();
}

qint64 SerialChannel::write(const QByteArray &bytes)
{
    purgeBuffers();
    purgePending();
    qint64 written = 0;
    if (m_port.isOpen() && m_port.write(bytes) == bytes.size()) {
        if (!m_port.waitForBytesWritten(kWriteTimeoutMs) && m_port.bytesToWrite() > 0 && deviceGone())
            loseConnection();
        written = bytes.size() - m_port.bytesToWrite();
    } else if (m_open && deviceGone()) {
        loseConnection();
    }
    if (m_journal)
        m_journal->record(ExchangeJournal::Direction::Sent, m_journalPort, bytes, written);
    return written;
}

qint64 SerialChannel::read(char *buffer, qint64 capacity)
{
    qint64 n = 0;
    if (m_port.isOpen()) {
        // Take in what the driver holds now: the event loop may not have fetched the
        // last bytes into Qt's buffer yet, and a reply's end would wait a whole poll.
        pollfd fd {int(m_port.handle()), POLLIN, 0};
        if (::poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN))
            m_port.waitForReadyRead(0);
        n = m_port.read(buffer, capacity);
        if (n < 0)
            n = 0;
    }
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
    // Drops Qt's buffers and the driver's (tcflush) in both directions.
    if (m_port.isOpen())
        m_port.clear(QSerialPort::AllDirections);
}

void SerialChannel::purgePending()
{
    // Writes complete synchronously, so the only pending transfer is output that Qt
    // still holds after a timed-out write.
    if (m_port.isOpen() && m_port.bytesToWrite() > 0)
        m_port.clear(QSerialPort::Output);
}

bool SerialChannel::deviceGone() const
{
    return !QFileInfo::exists(m_devicePath);
}

void SerialChannel::onError(QSerialPort::SerialPortError error)
{
    if (!m_open)
        return;
    const bool fatal = error == QSerialPort::ResourceError || error == QSerialPort::ReadError
        || ((error == QSerialPort::WriteError || error == QSerialPort::DeviceNotFoundError) && deviceGone());
    if (fatal)
        loseConnection();
}

void SerialChannel::loseConnection()
{
    // Qt 6.4 repeats the read error in a busy loop once the far end is gone: stop
    // listening at once, and close and report from the event loop, outside Qt's own
    // notifier callback.
    if (m_losing)
        return;
    m_losing = true;
    m_open = false;
    QTimer::singleShot(0, this, [this] {
        if (m_port.isOpen())
            m_port.close();
        m_losing = false;
        emit lost();
    });
}
