#include "tests/support/ptypeer.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

PtyPeer::PtyPeer(const QString &portsDir, int com, QObject *parent) : QObject(parent)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0)
        return;
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        ::close(master);
        return;
    }
    m_slavePath = QString::fromLocal8Bit(ptsname(master));
    // Holding the slave open keeps the line up between clients; raw mode before any byte.
    m_slave = ::open(m_slavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios tio{};
    if (m_slave >= 0 && tcgetattr(m_slave, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(m_slave, TCSANOW, &tio);
    }
    m_master = master;
    QDir().mkpath(portsDir);
    m_linkPath = portsDir + QStringLiteral("/com%1").arg(com);
    QFile::remove(m_linkPath);
    QFile::link(m_slavePath, m_linkPath);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyPeer::onReadable);
}

PtyPeer::~PtyPeer()
{
    hangUp();
}

void PtyPeer::send(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
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
        const ssize_t n = ::read(m_master, buf, sizeof buf);
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
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
    if (!m_linkPath.isEmpty())
        QFile::remove(m_linkPath);
}
