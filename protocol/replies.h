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
