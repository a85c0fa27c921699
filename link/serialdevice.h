#pragma once

#include <QObject>
#include <QString>

#include <memory>

// One serial device opened the platform's own way: QSerialPort on Linux, the Win32
// communications API on Windows. SerialChannel is its only user; it adds the rules that
// hold on every platform (a clean line before each write, one loss report).
class SerialDevice : public QObject
{
    Q_OBJECT

public:
    enum class OpenError {
        None,
        NotFound,   // no such device
        Permission, // not allowed, or held by another program
        Other,
    };

    explicit SerialDevice(QObject *parent = nullptr);
    ~SerialDevice() override;

    // The device the name opens: a link's canonical target on Linux, "\\.\COMn" on
    // Windows; empty when there is no such device.
    static QString resolve(const QString &name);

    // Opens the resolved device exclusively at the baud rate, 8N1, no flow control.
    bool open(const QString &device, int baud);
    void close();
    bool isOpen() const;

    // Hands the bytes to the driver and waits until it has them; returns how many it took.
    qint64 write(const QByteArray &bytes);
    // Copies up to capacity bytes that have already arrived; returns at once.
    qint64 read(char *buffer, qint64 capacity);
    qint64 bytesWaiting() const;
    // Drops what is buffered in both directions, the driver's buffers included.
    void purge();
    // Drops output still held after a write that did not finish.
    void purgePending();

    OpenError openError() const { return m_openError; }
    // The system's words for the last failed open, and its own error code (errno or
    // GetLastError) when the platform gives one.
    QString openErrorString() const { return m_openErrorString; }
    quint32 openSystemError() const { return m_openSystemError; }

signals:
    // The device has gone while open (adapter pulled, far end closed). May be emitted
    // more than once; the channel reports it once.
    void gone();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    OpenError m_openError = OpenError::None;
    QString m_openErrorString;
    quint32 m_openSystemError = 0;
};
