#pragma once

#include "link/portline.h"
#include "link/serialdevice.h"

class ExchangeJournal;

// The program's one serial link. Reads never wait; every write starts from a clean
// line (both purges first), so a reply can only come from the command just sent.
// The platform's serial API stays behind SerialDevice.
class SerialChannel : public PortLine
{
    Q_OBJECT

public:
    using OpenError = SerialDevice::OpenError;

    explicit SerialChannel(QObject *parent = nullptr);

    bool isOpen() const override { return m_open; }
    QString devicePath() const { return m_devicePath; }

    // Opens the serial device exclusively at the baud rate, 8N1. Refused while already
    // open. A link is followed to its target, so the lock file is the one other
    // programs use; a device that has gone is not replaced by anything else.
    bool open(const QString &devicePath, int baud);
    bool open(const QString &devicePath) override { return open(devicePath, kBaudRate); }
    void close() override;
    QString path() const override { return m_devicePath; }

    // Writes the whole text synchronously; returns the number of bytes the driver took.
    qint64 write(const QByteArray &bytes) override;
    // Copies up to capacity bytes that have already arrived; returns at once.
    qint64 read(char *buffer, qint64 capacity) override;
    // Bytes received and not read yet.
    qint64 bytesWaiting() const override { return m_device.bytesWaiting(); }

    // Why the last open failed.
    OpenError openError() const { return m_device.openError(); }
    QString openErrorString() const { return m_device.openErrorString(); }
    quint32 openSystemError() const { return m_device.openSystemError(); }

    void purgeBuffers();
    void purgePending();

    // Every command written and every chunk read from now on goes into the journal,
    // under the port's name. The journal must outlive the channel or be unset first.
    void setJournal(ExchangeJournal *journal, const QString &port = {}) override;

    // lost(): the port went away while open (adapter pulled, far end gone). The channel
    // has closed itself already.

private:
    void loseConnection();

    SerialDevice m_device;
    QString m_devicePath;
    bool m_open = false;
    bool m_losing = false;
    ExchangeJournal *m_journal = nullptr;
    QString m_journalPort;
};
