#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <vector>

// The controller's reply words, in the order in which a complete text is searched.
enum class Reply {
    SettingsWritten,
    PhonesWritten,
    KeysWritten,
    SmsWritten,
    GprsWritten,
    Settings,
    Phones,
    Keys,
    Sms,
    Gprs,
};

struct ReplyRow
{
    Reply reply;
    const char *word;
    const char *message; // shown with an information icon and an empty caption
};

extern const std::array<ReplyRow, 10> kReplyTable;

struct FoundReply
{
    const ReplyRow *row;
    int payloadPos; // first character after the reply word
};

// Every reply word present in the text, in table order (not in order of arrival).
std::vector<FoundReply> findReplies(const QByteArray &text);

// The row of a reply word.
const ReplyRow &replyRow(Reply reply);

// A reply as the controller frames it: its word, the payload and CR; the payload starts
// at payloadPos of the text, as findReplies() finds it.
struct FramedReply
{
    QByteArray text;
    int payloadPos;
};
FramedReply framedReply(Reply reply, const QByteArray &payload = {});
// The settings reply that carries this record.
inline FramedReply settingsReply(const QByteArray &record)
{
    return framedReply(Reply::Settings, record);
}
// How many bytes the controller's answer has: its word, a payload this long, and CR.
int replyLength(Reply reply, qsizetype payloadBytes = 0);
