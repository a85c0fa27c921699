#include "tests/support/ptypeer.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <unistd.h>

PtyPeer::PtyPeer(const QString &portsDir, int com, QObject *parent) : QObject(parent)
{
    if (!m_pty.open(nullptr))
        return;
    m_slavePath = m_pty.slavePath();
    QDir().mkpath(portsDir);
    m_linkPath = portsDir + QStringLiteral("/com%1").arg(com);
    QFile::remove(m_linkPath);
    QFile::link(m_slavePath, m_linkPath);
    m_notifier = new QSocketNotifier(m_pty.masterFd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyPeer::onReadable);
}

PtyPeer::~PtyPeer()
{
    hangUp();
}

void PtyPeer::send(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_pty.isOpen() && done < bytes.size()) {
        const ssize_t n = ::write(m_pty.masterFd(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
    }
}

QByteArray PtyPeer::takeReceived()
{
    QByteArray out;
    out.swap(m_received);
    return out;
}

void PtyPeer::onReadable()
{
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_pty.masterFd(), buf, sizeof buf);
        if (n > 0) {
            m_received.append(buf, int(n));
            continue;
        }
        // EIO while no client holds the line is normal for a pty; stop at EAGAIN too.
        break;
    }
    emit receivedBytes();
}

void PtyPeer::hangUp()
{
    if (m_notifier) {
        m_notifier->setEnabled(false);
        delete m_notifier;
        m_notifier = nullptr;
    }
    m_pty.close();
    if (!m_linkPath.isEmpty())
        QFile::remove(m_linkPath);
}
