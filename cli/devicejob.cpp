#include "cli/devicejob.h"

#include "link/portdiagnosis.h"
#include "protocol/commands.h"
#include "protocol/records/records.h"
#include "protocol/records/startvalues.h"
#include "protocol/replies.h"

namespace {

QByteArray line(const char *word, const QByteArray &payload = {})
{
    return QByteArray(word) + payload + command::kCarriageReturn;
}

// About how long a settings reply is: its word, a record like the start one, the end.
int settingsReplyLength()
{
    static const int length = [] {
        MemoryControls c = records::startControls();
        return int(qstrlen("READ_SET_") + records::buildSettings(c).size() + 1);
    }();
    return length;
}

} // namespace

DeviceJob::DeviceJob(int com, const PortMap &map, int timeoutMs, QObject *parent)
    : QObject(parent), m_com(com), m_timeoutMs(timeoutMs)
{
    // Resolved as the window's list resolves it: a link whose device has gone is not
    // replaced by the default table's device.
    const PortMap::Resolution port = map.resolve(com);
    m_device = port.device;
    if (m_device.isEmpty() && !port.link.isEmpty())
        m_missing = QStringLiteral("%1 points to %2, which does not exist").arg(port.link, port.target);
    m_poll.setInterval(kPollMs);
    m_repeat.setInterval(Conversation::kRepeatMs);
    m_deadline.setSingleShot(true);
    connect(&m_poll, &QTimer::timeout, this, &DeviceJob::collectReply);
    connect(&m_repeat, &QTimer::timeout, this, &DeviceJob::repeat);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (!m_refused.isEmpty())
            fail(QStringLiteral("every answer to READ_SET within %1 s was malformed, the last: %2")
                     .arg(m_timeoutMs / 1000.0)
                     .arg(m_refused));
        else
            fail(QStringLiteral("no answer to %1 within %2 s")
                     .arg(QString::fromLatin1(m_command.trimmed().left(10)))
                     .arg(m_timeoutMs / 1000.0));
    });
    connect(&m_channel, &SerialChannel::lost, this, [this] { fail(QStringLiteral("the port went away")); });
}

bool DeviceJob::open()
{
    if (m_device.isEmpty()) {
        fail(m_missing.isEmpty() ? QStringLiteral("no such port") : m_missing);
        return false;
    }
    if (!m_channel.open(m_device, Conversation::kBaudRate)) {
        QString reason;
        const PortStatus::State state = explainRefusal(m_device, m_channel, &reason);
        // The tool speaks English; the window's Russian reason is for the window.
        fail(QStringLiteral("%1 cannot be opened: %2").arg(m_device, refusalInEnglish(state, m_device, m_channel)));
        return false;
    }
    m_poll.start();
    return true;
}

void DeviceJob::close()
{
    m_poll.stop();
    m_repeat.stop();
    m_deadline.stop();
    m_waiting = Waiting::Nothing;
    m_channel.close();
    m_conversation.end();
}

void DeviceJob::readSettings()
{
    m_waiting = Waiting::Settings;
    m_refused.clear();
    ask();
    m_repeat.start();
    m_deadline.start(m_timeoutMs);
}

void DeviceJob::writeSettings(const QByteArray &record)
{
    m_waiting = Waiting::Written;
    m_repeat.stop();
    m_command = line(command::kWriteSettings, record);
    sent(m_conversation.send(m_command, int(qstrlen("WRITE_SET_OK") + 1)));
    m_deadline.start(m_timeoutMs);
}

void DeviceJob::ask()
{
    m_command = line(command::kReadSettings);
    sent(m_conversation.ask(m_command, settingsReplyLength()));
}

void DeviceJob::sent(Conversation::SendResult result)
{
    m_lastProgress.invalidate();
    // A port that vanished is reported once, through the channel's lost().
    if (result == Conversation::SendResult::ShortWrite)
        fail(QStringLiteral("the command could not be sent"));
}

void DeviceJob::repeat()
{
    // Take what has come first: the repeat purges the line, and waits while a reply is
    // arriving.
    collectReply();
    if (m_waiting == Waiting::Settings && m_conversation.mayRepeat())
        ask();
}

void DeviceJob::collectReply()
{
    if (!m_channel.isOpen() || m_waiting == Waiting::Nothing)
        return;
    const qint64 before = m_conversation.received();
    const auto received = m_conversation.collect();
    if (!received) {
        if (m_conversation.received() > before)
            report(false);
        return;
    }
    for (const FoundReply &found : received->replies) {
        if (m_waiting == Waiting::Settings && found.row->reply == Reply::Settings) {
            if (checkSettings) {
                m_refused = checkSettings(received->text, found.payloadPos);
                if (!m_refused.isEmpty()) {
                    if (onProgress)
                        onProgress(QStringLiteral("READ_SET answer malformed, asking again: %1").arg(m_refused));
                    ask();
                    m_repeat.start();
                    return;
                }
            }
            m_waiting = Waiting::Nothing;
            m_repeat.stop();
            m_deadline.stop();
            report(true);
            if (onSettings)
                onSettings(received->text, found.payloadPos);
            return;
        }
        if (m_waiting == Waiting::Written && found.row->reply == Reply::SettingsWritten) {
            m_waiting = Waiting::Nothing;
            m_deadline.stop();
            report(true);
            if (onWritten)
                onWritten();
            return;
        }
    }
}

void DeviceJob::report(bool force)
{
    if (!onProgress)
        return;
    if (!force && m_lastProgress.isValid() && m_lastProgress.elapsed() < kProgressMs)
        return;
    m_lastProgress.start();
    const QString what = m_waiting == Waiting::Written || m_command.startsWith("WRITE")
                             ? QStringLiteral("WRITE_SET_")
                             : QStringLiteral("READ_SET");
    onProgress(QStringLiteral("%1 %2/%3 bytes").arg(what).arg(m_conversation.received()).arg(m_conversation.expected()));
}

void DeviceJob::fail(const QString &why)
{
    if (m_failed)
        return;
    m_failed = true;
    close();
    if (onFailed)
        onFailed(why);
}
