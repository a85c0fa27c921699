#include "protocol/replies.h"

#include "protocol/commands.h"

#include <cstring>

const std::array<ReplyRow, 10> kReplyTable = {{
    {Reply::SettingsWritten, "WRITE_SET_OK", "Запись НАСТРОЕК прошла успешно"},
    {Reply::PhonesWritten, "WRITE_ABON_OK", "Запись ТЕЛЕФОНЫХ НОМЕРОВ прошла успешно"},
    {Reply::KeysWritten, "WRITE_DALLAS_OK", "Запись КЛЮЧЕЙ I-BUTTON прошла успешно"},
    {Reply::SmsWritten, "WRITE_SMS_OK", "Запись ТЕКСТОВ SMS сообщений прошла успешно"},
    {Reply::GprsWritten, "WRITE_APN_OK", "Запись НАСТРОЕК ИНТЕРНЕТ СОЕДИНЕНИЯ прошла успешно"},
    {Reply::Settings, "READ_SET_", "Чтение НАСТРОЕК прошло успешно"},
    {Reply::Phones, "READ_ABON_", "Чтение ТЕЛЕФОНЫХ НОМЕРОВ прошло успешно"},
    {Reply::Keys, "READ_DALLAS_", "Чтение КЛЮЧЕЙ I-BUTTON прошло успешно"},
    {Reply::Sms, "READ_SMS_", "Чтение ТЕКСТОВ SMS сообщений прошло успешно"},
    {Reply::Gprs, "READ_APN_", "Чтение НАСТРОЕК ИНТЕРНЕТ СОЕДИНЕНИЯ прошло успешно"},
}};

std::vector<FoundReply> findReplies(const QByteArray &text)
{
    std::vector<FoundReply> found;
    for (const ReplyRow &row : kReplyTable) {
        const qsizetype at = text.indexOf(row.word);
        if (at >= 0)
            found.push_back({&row, int(at + qsizetype(std::strlen(row.word)))});
    }
    return found;
}

const ReplyRow &replyRow(Reply reply)
{
    return kReplyTable[size_t(reply)];
}

FramedReply framedReply(Reply reply, const QByteArray &payload)
{
    const QByteArray word = replyRow(reply).word;
    return {word + payload + command::kCarriageReturn, int(word.size())};
}

int replyLength(Reply reply, qsizetype payloadBytes)
{
    return int(qstrlen(replyRow(reply).word) + payloadBytes + 1);
}
