#include "line/stationlink.h"

#include "link/portdiagnosis.h"
#include "protocol/commands.h"
#include "protocol/settingsreply.h"

namespace line {

namespace {

// A settings reply is about this long: the word, 607 characters, the end.
constexpr int kSettingsReplyBytes = 617;

} // namespace

StationLink::StationLink(QObject *parent) : QObject(parent)
{
    connect(&m_channel, &SerialChannel::lost, this, [this] {
        m_conversation.end();
        emit lost();
    });
}

bool StationLink::open(const QString &device, QString *why)
{
    if (m_channel.open(device, Conversation::kBaudRate))
        return true;
    *why = refusalToOpen(device, m_channel).inEnglish;
    return false;
}

void StationLink::close()
{
    m_channel.close();
    m_conversation.end();
}

bool StationLink::askSettings()
{
    const QByteArray line = QByteArray(command::kReadSettings) + command::kCarriageReturn;
    return m_conversation.ask(line, kSettingsReplyBytes) == Conversation::SendResult::Sent;
}

bool StationLink::writeSettings(const QByteArray &record)
{
    const QByteArray line = command::kWriteSettings + record + command::kCarriageReturn;
    return m_conversation.send(line, int(qstrlen("WRITE_SET_OK") + 1)) == Conversation::SendResult::Sent;
}

std::optional<StationLink::Heard> StationLink::collect()
{
    if (!m_channel.isOpen())
        return std::nullopt;
    const auto received = m_conversation.collect();
    if (!received)
        return std::nullopt;
    Heard heard;
    for (const FoundReply &found : received->replies) {
        if (found.row->reply == Reply::Settings && !heard.settings) {
            heard.settings = true;
            heard.record = settingsreply::recordOf(received->text, found.payloadPos);
        } else if (found.row->reply == Reply::SettingsWritten) {
            heard.written = true;
        }
    }
    return heard;
}

} // namespace line
