#include "cli/devicejob.h"

#include "net/portnames.h"

#include "protocol/commands.h"
#include "records/records.h"
#include "records/startvalues.h"
#include "protocol/replies.h"
#include "protocol/timelimit.h"
#include "translations/language.h"

namespace {

// About how long a settings reply is: its word, a record like the start one, the end.
int settingsReplyLength()
{
    static const int length = [] {
        MemoryControls c = records::startControls();
        return replyLength(Reply::Settings, records::buildSettings(c).size());
    }();
    return length;
}

} // namespace

DeviceJob::DeviceJob(const QString &port, const PortMap &map, int timeoutMs, QObject *parent,
                     std::unique_ptr<Connection> connection)
    : QObject(parent),
      m_port(port),
      m_address(NetworkLine::looksLikeAddress(port) ? NetworkLine::parse(port, &m_missing) : std::nullopt),
      m_connection(connection ? std::move(connection) : std::make_unique<Connection>(Session::Timing::tool(timeoutMs))),
      m_session(m_connection->session()),
      m_timeoutMs(timeoutMs)
{
    // Resolved as the window's list resolves it: a link whose device has gone is not
    // replaced by the default table's device.
    const int com = portnames::comNumber(port);
    const PortMap::Resolution found = com ? map.resolve(com) : PortMap::Resolution{};
    m_device = found.device;
    if (m_device.isEmpty() && !found.link.isEmpty())
        m_missing = tr("%1 points to %2, which does not exist").arg(found.link, found.target);

    m_session.checkRecord = [this](const QByteArray &text, int payloadPos) {
        return checkSettings ? checkSettings(text, payloadPos) : QString();
    };
    connect(&m_session, &Session::sent, this, [this](Conversation::SendResult result) {
        m_lastProgress.invalidate();
        // A command asked again is the same wait going on.
        if (!m_waiting.isValid())
            m_waiting.start();
        // A port that vanished is reported once, through the session's lost().
        if (result == Conversation::SendResult::ShortWrite)
            fail(tr("the command could not be sent"));
    });
    connect(&m_session, &Session::receiving, this, [this] {
        heard();
        report(false);
    });
    connect(&m_session, &Session::refused, this, [this](const QString &fault) {
        m_refused = fault;
        heard();
        if (onProgress)
            onProgress(tr("READ_SET answer malformed, asking again: %1").arg(fault));
    });
    connect(&m_session, &Session::recordTaken, this, [this](const QByteArray &text, int payloadPos) {
        heard();
        report(true);
        if (onSettings)
            onSettings(text, payloadPos);
    });
    connect(&m_session, &Session::acknowledged, this, [this] {
        heard();
        report(true);
        if (onWritten)
            onWritten();
    });
    connect(&m_session, &Session::timedOut, this, [this] {
        const double seconds = m_timeoutMs / 1000.0;
        if (!m_refused.isEmpty())
            fail(timelimit::clause(language::current(), timelimit::Cause::MalformedAnswers,
                                   QStringLiteral("READ_SET"), seconds, m_refused));
        else
            // What a person can do about it first; the protocol's word for it after.
            fail(tr("the controller does not answer — check the cable, power and port number (%1)")
                     .arg(timelimit::clause(language::current(), timelimit::Cause::NoAnswer,
                                            QString::fromLatin1(m_session.lastCommand().trimmed().left(10)), seconds)));
    });
    connect(&m_session, &Session::lost, this, [this] {
        const auto *network = qobject_cast<const NetworkLine *>(m_connection->line());
        fail(network && !network->lostReason().isEmpty() ? network->lostReason() : tr("the port went away"));
    });
}

bool DeviceJob::open()
{
    if (m_address) {
        if (!m_connection->open(portName())) {
            fail(tr("cannot connect: %1").arg(m_connection->refusal().system));
            return false;
        }
        if (auto *network = qobject_cast<NetworkLine *>(m_connection->line())) {
            for (const QString &notice : network->takeNotices()) {
                if (onProgress)
                    onProgress(notice);
            }
        }
        m_session.attach();
        return true;
    }
    if (m_device.isEmpty()) {
        fail(m_missing.isEmpty() ? tr("no such port") : m_missing);
        return false;
    }
    if (!m_connection->open(m_device)) {
        // In the tool's language, whatever the window would say.
        fail(tr("%1 cannot be opened: %2").arg(m_device, m_connection->refusal().in(language::current())));
        return false;
    }
    m_session.attach();
    return true;
}

void DeviceJob::close()
{
    m_connection->close();
}

void DeviceJob::readSettings()
{
    m_refused.clear();
    m_session.readRecord(settingsReplyLength());
}

void DeviceJob::writeSettings(const QByteArray &record)
{
    m_session.write(QByteArray(command::kWriteSettings) + record + command::kCarriageReturn,
                    replyLength(Reply::SettingsWritten));
}

void DeviceJob::report(bool force)
{
    if (!onProgress)
        return;
    if (!force && m_lastProgress.isValid() && m_lastProgress.elapsed() < kProgressMs)
        return;
    m_lastProgress.start();
    const QString what = m_session.lastCommand().startsWith("WRITE") ? QStringLiteral("WRITE_SET_")
                                                                     : QStringLiteral("READ_SET");
    const Conversation &c = m_session.conversation();
    onProgress(tr("%1 %2/%3 bytes").arg(what).arg(c.received()).arg(c.expected()));
}

void DeviceJob::heard()
{
    m_waiting.invalidate();
    if (onHeard)
        onHeard();
}

void DeviceJob::fail(const QString &why)
{
    if (m_failed)
        return;
    m_failed = true;
    heard();
    close();
    if (onFailed)
        onFailed(why);
}
