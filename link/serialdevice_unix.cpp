#include "link/serialdevice.h"

#include <QFileInfo>
#include <QSerialPort>

#include <poll.h>

namespace {
// A write hands the bytes to the driver; at 9600 baud even the longest record leaves
// the driver's buffer well within this time.
constexpr int kWriteTimeoutMs = 3000;

SerialDevice::OpenError fromQt(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError:
        return SerialDevice::OpenError::None;
    case QSerialPort::DeviceNotFoundError:
        return SerialDevice::OpenError::NotFound;
    case QSerialPort::PermissionError:
        return SerialDevice::OpenError::Permission;
    default:
        return SerialDevice::OpenError::Other;
    }
}
} // namespace

struct SerialDevice::Impl
{
    QSerialPort port;
    QString path;

    bool deviceGone() const { return !QFileInfo::exists(path); }
};

SerialDevice::SerialDevice(QObject *parent) : QObject(parent), d(std::make_unique<Impl>())
{
    connect(&d->port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (!d->port.isOpen())
            return;
        const bool fatal = error == QSerialPort::ResourceError || error == QSerialPort::ReadError
            || ((error == QSerialPort::WriteError || error == QSerialPort::DeviceNotFoundError) && d->deviceGone());
        if (fatal)
            emit gone();
    });
}

SerialDevice::~SerialDevice() = default;

QString SerialDevice::resolve(const QString &name)
{
    return QFileInfo(name).canonicalFilePath();
}

bool SerialDevice::open(const QString &device, int baud)
{
    d->path = device;
    if (device.isEmpty() || !QFileInfo::exists(device)) {
        m_openError = OpenError::NotFound;
        m_openErrorString = QStringLiteral("No such file or directory");
        m_openSystemError = 0;
        return false;
    }
    d->port.setPortName(device);
    // Qt applies the line settings as part of open; flow control is not touched here.
    d->port.setBaudRate(baud);
    d->port.setDataBits(QSerialPort::Data8);
    d->port.setParity(QSerialPort::NoParity);
    d->port.setStopBits(QSerialPort::OneStop);
    if (!d->port.open(QIODevice::ReadWrite)) {
        m_openError = fromQt(d->port.error());
        m_openErrorString = d->port.errorString();
        m_openSystemError = 0;
        return false;
    }
    m_openError = OpenError::None;
    m_openErrorString.clear();
    m_openSystemError = 0;
    return true;
}

void SerialDevice::close()
{
    if (d->port.isOpen())
        d->port.close();
}

bool SerialDevice::isOpen() const
{
    return d->port.isOpen();
}

qint64 SerialDevice::write(const QByteArray &bytes)
{
    if (!d->port.isOpen() || d->port.write(bytes) != bytes.size()) {
        if (d->deviceGone())
            emit gone();
        return 0;
    }
    if (!d->port.waitForBytesWritten(kWriteTimeoutMs) && d->port.bytesToWrite() > 0 && d->deviceGone())
        emit gone();
    return bytes.size() - d->port.bytesToWrite();
}

qint64 SerialDevice::read(char *buffer, qint64 capacity)
{
    if (!d->port.isOpen())
        return 0;
    // Take in what the driver holds now: the event loop may not have fetched the last
    // bytes into Qt's buffer yet, and a reply's end would wait a whole poll.
    pollfd fd {int(d->port.handle()), POLLIN, 0};
    if (::poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN))
        d->port.waitForReadyRead(0);
    const qint64 n = d->port.read(buffer, capacity);
    return n < 0 ? 0 : n;
}

qint64 SerialDevice::bytesWaiting() const
{
    return d->port.isOpen() ? d->port.bytesAvailable() : 0;
}

void SerialDevice::purge()
{
    // Drops Qt's buffers and the driver's (tcflush) in both directions.
    if (d->port.isOpen())
        d->port.clear(QSerialPort::AllDirections);
}

void SerialDevice::purgePending()
{
    // Writes complete synchronously, so the only pending transfer is output that Qt
    // still holds after a timed-out write.
    if (d->port.isOpen() && d->port.bytesToWrite() > 0)
        d->port.clear(QSerialPort::Output);
}
