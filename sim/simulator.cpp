#include "sim/simulator.h"

#include "link/portmap_unix.h"
#include "sim/recordlayout.h"
#include "sim/responder.h"
#include "sim/trace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace sim {

Simulator::Simulator(QObject *parent)
    : QObject(parent), m_record(layout::startRecord())
{
    m_pump.setSingleShot(true);
    m_pump.setTimerType(Qt::PreciseTimer);
    connect(&m_pump, &QTimer::timeout, this, &Simulator::pump);
    m_clock.start();
}

Simulator::~Simulator()
{
    close(nullptr);
}

bool Simulator::start(const QString &portsDir, int com, QString *error)
{
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    if (isRunning())
        return fail(tr("already running on %1").arg(m_linkPath));
    if (com < PortMap::kFirstCom || com > PortMap::kLastCom)
        return fail(tr("COM number %1 is outside %2 to %3")
                        .arg(com).arg(PortMap::kFirstCom).arg(PortMap::kLastCom));
    if (!QDir().mkpath(portsDir))
        return fail(tr("cannot create the ports folder %1").arg(portsDir));

    const QString link = portmap::linkPath(portsDir, com);
    const QFileInfo existing(link);
    if (existing.isSymLink()) {
        const QString target = existing.symLinkTarget();
        if (existing.exists())
            return fail(tr("COM%1 is taken: %2 -> %3").arg(com).arg(link, target));
        // A dangling link to a pseudo-terminal was left by a simulator that did not exit
        // cleanly; one to anything else is the user's (an adapter pinned to this number).
        if (!target.startsWith(QLatin1String("/dev/pts/")))
            return fail(tr("COM%1 is pinned to %2, which is not there").arg(com).arg(target));
        if (!QFile::remove(link))
            return fail(tr("cannot replace the link %1").arg(link));
    } else if (existing.exists()) {
        return fail(tr("%1 exists and is not a link").arg(link));
    }

    QString why;
    if (!m_pty.open(&why))
        return fail(why);
    m_slavePath = m_pty.slavePath();
    if (!QFile::link(m_slavePath, link)) {
        m_pty.close();
        m_slavePath.clear();
        return fail(tr("cannot create the link %1").arg(link));
    }
    m_linkPath = link;
    m_input.clear();
    resetOutput();
    m_readNotifier = std::make_unique<QSocketNotifier>(m_pty.masterFd(), QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &Simulator::onReadable);
    traceLine(tr("linked %1 -> %2").arg(m_linkPath, m_slavePath));
    return true;
}

void Simulator::stop()
{
    close(QT_TR_NOOP("stopped"));
}

void Simulator::hangUp()
{
    close(QT_TR_NOOP("hung up"));
}

void Simulator::close(const char *why)
{
    if (!isRunning() && m_linkPath.isEmpty())
        return;
    m_readNotifier.reset();
    resetOutput();
    m_input.clear();
    // Another simulator may have taken the name over since; leave its link alone.
    if (!m_linkPath.isEmpty() && QFileInfo(m_linkPath).symLinkTarget() == m_slavePath)
        QFile::remove(m_linkPath);
    m_pty.close();
    if (why)
        traceLine(tr("%1, removed %2").arg(tr(why), m_linkPath));
    m_linkPath.clear();
    m_slavePath.clear();
}

void Simulator::setRecord(const QByteArray &record)
{
    if (record == m_record)
        return;
    m_record = record;
    emit recordChanged();
}

void Simulator::setAnswering(bool on)
{
    if (on == m_answering)
        return;
    m_answering = on;
    if (!on) {
        resetOutput();
        m_input.clear();
    }
    traceLine(on ? tr("controller connected") : tr("controller disconnected"));
}

void Simulator::onReadable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_pty.masterFd(), buffer, sizeof buffer);
        if (n > 0) {
            m_input.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        // We hold a slave descriptor, so this should not happen; stop listening rather
        // than spin on a dead descriptor.
        traceLine(tr("read failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
        m_readNotifier->setEnabled(false);
        break;
    }

    if (!m_answering) {
        m_input.clear();
        return;
    }
    const QPointer<Simulator> alive(this);
    qsizetype cr;
    while ((cr = m_input.indexOf('\r')) >= 0) {
        QByteArray line = m_input.left(cr);
        m_input.remove(0, cr + 1);
        handleLine(std::move(line));
        if (!alive || !isRunning())
            return;
    }
    if (m_input.size() > kMaxLineBytes) {
        traceLine(tr("dropped %1 bytes without CR").arg(m_input.size()));
        m_input.clear();
    }
}

void Simulator::handleLine(QByteArray line)
{
    // Tolerate CR LF from a terminal program: the LF turns up before the next command.
    while (line.startsWith('\n'))
        line.remove(0, 1);
    if (line.isEmpty())
        return;

    traceLine(QStringLiteral("-> %1").arg(escaped(line)));
    const Response response = respond(m_record, line);
    if (response.recordChanged && line.startsWith("WRITE_SET_") && m_faults.corruptOffset >= 0
        && m_faults.corruptOffset < m_record.size()) {
        // A digit goes to the next one ('9' to '0'), anything else to '0'.
        char &byte = m_record[m_faults.corruptOffset];
        byte = (byte >= '0' && byte <= '8') ? char(byte + 1) : '0';
        traceLine(tr("   (stored with offset %1 changed)").arg(m_faults.corruptOffset));
    }
    // Listeners may stop or even delete the simulator.
    const QPointer<Simulator> alive(this);
    emit commandReceived(line);
    if (alive && response.recordChanged)
        emit recordChanged();
    // Pulled off the cable or hung up by a listener: no reply leaves.
    if (!alive || !isRunning() || !m_answering)
        return;
    if (!response.answered) {
        traceLine(tr("   (unknown command, no answer)"));
        return;
    }
    if (m_faults.silent || m_faults.dropReply) {
        traceLine(m_faults.silent ? tr("   (silent)") : tr("   (reply dropped)"));
        if (m_faults.once)
            m_faults = Faults();
        return;
    }

    const Faults faults = m_faults;
    if (faults.once)
        m_faults = Faults();
    QByteArray reply = response.reply;
    if (faults.truncateTo >= 0 && faults.truncateTo < reply.size())
        reply.truncate(faults.truncateTo);
    Job job;
    job.bytes = faults.garbageBefore + reply + faults.garbageAfter;
    job.dueMs = m_clock.elapsed() + qMax(0, faults.latencyMs);
    job.chunkBytes = qMax(0, faults.chunkBytes);
    job.chunkPauseMs = qMax(0, faults.chunkPauseMs);
    if (job.bytes.isEmpty())
        return;
    m_jobs.append(job);
    if (m_jobs.size() == 1)
        schedulePump(0);
}

void Simulator::schedulePump(qint64 ms)
{
    m_pump.start(int(qBound(qint64(0), ms, qint64(1000000))));
}

void Simulator::resetOutput()
{
    m_pump.stop();
    m_jobs.clear();
    m_sent = 0;
    m_chunkSent = 0;
    m_pauseUntilMs = 0;
    m_burstPending = true;
}

void Simulator::pump()
{
    if (m_jobs.isEmpty() || !isRunning())
        return;
    const Job &job = m_jobs.front();
    const qint64 nowMs = m_clock.elapsed();
    if (nowMs < job.dueMs) {
        schedulePump(job.dueMs - nowMs);
        return;
    }
    if (nowMs < m_pauseUntilMs) {
        schedulePump(m_pauseUntilMs - nowMs);
        return;
    }
    if (m_burstPending) {
        m_burstPending = false;
        m_burstStartNs = m_clock.nsecsElapsed();
        m_burstBytes = 0;
    }

    qint64 budget = job.bytes.size() - m_sent;
    if (job.chunkBytes > 0)
        budget = qMin<qint64>(budget, job.chunkBytes - m_chunkSent);
    if (m_pacing) {
        // The first byte leaves at once, each further one a byte time later.
        const qint64 due = (m_clock.nsecsElapsed() - m_burstStartNs) / kNsPerByte + 1;
        budget = qMin(budget, due - m_burstBytes);
    }
    if (budget > 0) {
        const ssize_t n = ::write(m_pty.masterFd(), job.bytes.constData() + m_sent, size_t(budget));
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            traceLine(tr("write failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
            resetOutput();
            return;
        }
        if (n > 0) {
            m_sent += n;
            m_chunkSent += n;
            m_burstBytes += n;
        }
    }

    if (m_sent == job.bytes.size()) {
        const QByteArray bytes = job.bytes;
        m_jobs.removeFirst();
        m_sent = 0;
        m_chunkSent = 0;
        m_burstPending = true;
        if (!m_jobs.isEmpty())
            schedulePump(0);
        traceLine(tr("<- %1 (%2 bytes)").arg(escaped(bytes)).arg(bytes.size()));
        emit replySent(bytes);
        return;
    }
    if (job.chunkBytes > 0 && m_chunkSent == job.chunkBytes) {
        // A chunk boundary without a pause still splits the write.
        m_chunkSent = 0;
        m_burstPending = true;
        m_pauseUntilMs = nowMs + job.chunkPauseMs;
        schedulePump(job.chunkPauseMs);
        return;
    }
    // Waiting for the line (pacing) or for room in the terminal's buffer.
    schedulePump(1);
}

void Simulator::traceLine(const QString &text) const
{
    if (!m_trace)
        return;
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace sim
