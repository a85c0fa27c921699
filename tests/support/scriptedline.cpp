#include "tests/support/scriptedline.h"

#include "link/exchangejournal.h"
#include "sim/responder.h"

#include <algorithm>

ScriptedLine::ScriptedLine(StepClock &clock, QByteArray record, Script script)
    : m_clock(clock), m_record(std::move(record)), m_script(std::move(script)), m_loss(m_script.loseAtMs, &clock)
{
    m_loss.setSingleShot(true);
    connect(&m_loss, &Period::timeout, this, &ScriptedLine::loseNow);
    if (m_script.loseAtMs >= 0)
        m_loss.start();
}

void ScriptedLine::loseNow()
{
    if (!m_open)
        return;
    m_open = false;
    m_inFlight.clear();
    m_arrived.clear();
    m_replyEndsUs.clear();
    m_lineFreeUs = m_clock.now() * 1000;
    emit lost();
}

bool ScriptedLine::open(const QString &port)
{
    if (m_open && !m_path.isEmpty())
        return false;
    if (m_script.refuseOpen)
        return false;
    // What came while it was closed is gone; what the controller still sends comes.
    arrive();
    m_arrived.clear();
    m_open = true;
    m_path = port;
    return true;
}

void ScriptedLine::close()
{
    m_open = false;
}

void ScriptedLine::setJournal(ExchangeJournal *journal, const QString &port)
{
    m_journal = journal;
    m_journalPort = port;
}

void ScriptedLine::arrive() const
{
    const qint64 nowUs = m_clock.now() * 1000;
    auto due = std::find_if(m_inFlight.begin(), m_inFlight.end(), [nowUs](const Byte &b) { return b.atUs > nowUs; });
    for (auto it = m_inFlight.begin(); it != due; ++it)
        m_arrived.append(it->value);
    m_inFlight.erase(m_inFlight.begin(), due);
}

qint64 ScriptedLine::write(const QByteArray &bytes)
{
    if (!m_open)
        return -1;
    // The purge throws away what has arrived unread; what the controller is still
    // sending comes all the same.
    arrive();
    m_arrived.clear();
    const int index = int(m_commands.size());
    QByteArray line = bytes;
    if (line.endsWith('\r'))
        line.chop(1);
    m_commands.append(line);
    m_commandTimes.append(m_clock.now());
    if (onCommand)
        onCommand(line);
    const qint64 taken = index == m_script.shortWriteAt ? bytes.size() - 1 : bytes.size();
    if (m_journal)
        m_journal->record(ExchangeJournal::Direction::Sent, m_journalPort, bytes, taken);
    if (taken < bytes.size())
        return taken;

    if (m_script.silent)
        return bytes.size();
    const sim::Response response = sim::respond(m_record, line);
    if (response.recordChanged && m_script.corruptOffset >= 0 && m_script.corruptOffset < m_record.size()) {
        // A digit goes to the next one ('9' to '0'), anything else to '0'.
        char &byte = m_record[m_script.corruptOffset];
        byte = (byte >= '0' && byte <= '8') ? char(byte + 1) : '0';
    }
    if (!response.answered || index < m_script.silentFor)
        return bytes.size();
    const bool faulty = m_script.faultyReplies != 0;
    if (m_script.faultyReplies > 0)
        --m_script.faultyReplies;
    const Script clean;
    const Script &f = faulty ? m_script : clean;
    QByteArray reply = response.reply;
    if (f.truncateTo >= 0)
        reply.truncate(f.truncateTo);
    reply = f.garbageBefore + reply + f.garbageAfter;
    qint64 atUs = std::max(m_clock.now() * 1000 + qint64(f.latencyMs) * 1000, m_lineFreeUs);
    for (int i = 0; i < reply.size(); ++i) {
        if (f.chunkBytes > 0 && i > 0 && i % f.chunkBytes == 0)
            atUs += qint64(f.chunkPauseMs) * 1000;
        if (m_script.paced)
            atUs += kUsPerByte;
        m_inFlight.append({atUs, reply.at(i)});
    }
    m_lineFreeUs = atUs;
    m_replyEndsUs.append(atUs);
    return bytes.size();
}

int ScriptedLine::owedReplies() const
{
    const qint64 nowUs = m_clock.now() * 1000;
    return int(std::count_if(m_replyEndsUs.cbegin(), m_replyEndsUs.cend(), [nowUs](qint64 end) { return end > nowUs; }));
}

qint64 ScriptedLine::read(char *buffer, qint64 capacity)
{
    arrive();
    const qint64 n = std::min<qint64>(capacity, m_arrived.size());
    std::copy_n(m_arrived.constData(), n, buffer);
    if (m_journal && n > 0)
        m_journal->record(ExchangeJournal::Direction::Received, m_journalPort, m_arrived.left(n), n);
    m_arrived.remove(0, n);
    return n;
}

qint64 ScriptedLine::bytesWaiting() const
{
    arrive();
    return m_arrived.size();
}
