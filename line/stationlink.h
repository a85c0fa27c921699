#pragma once

#include "link/serialchannel.h"
#include "protocol/conversation.h"

#include <QObject>
#include <optional>

class ExchangeJournal;

namespace line {

// The one owner of a station's port: its channel and the conversation on it. The
// station only says what to send and takes settings records and acknowledgements.
class StationLink : public QObject
{
    Q_OBJECT

public:
    explicit StationLink(QObject *parent = nullptr);

    bool open(const QString &device, QString *why);
    void close();
    bool isOpen() const { return m_channel.isOpen(); }
    void setJournal(ExchangeJournal *journal, const QString &port) { m_channel.setJournal(journal, port); }

    // READ_SET; again() is asked before a repeat goes (not while a reply arrives).
    bool askSettings();
    bool mayAskAgain() { return m_conversation.mayRepeat(); }
    // A new unit may answer with what the last one held: take its first answer.
    void welcomeAnyAnswer() { m_conversation.welcomeAnyAnswer(); }
    bool writeSettings(const QByteArray &record);

    // Bytes received since the last command.
    qint64 received() const { return m_conversation.received(); }

    struct Heard
    {
        bool settings = false;    // a settings reply: record holds its payload
        bool written = false;     // the settings write was acknowledged
        QByteArray record;
    };
    // Takes what has arrived; nothing until a whole text has come.
    std::optional<Heard> collect();

signals:
    void lost();

private:
    SerialChannel m_channel;
    Conversation m_conversation {m_channel};
};

} // namespace line
