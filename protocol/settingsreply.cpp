#include "protocol/settingsreply.h"

#include "records/payload.h"
#include "records/recordmap.h"
#include "protocol/replies.h"

#include <QCoreApplication>

namespace settingsreply {

QByteArray recordOf(const QByteArray &text, int payloadPos)
{
    const records::Payload p(text, payloadPos);
    return p.mid(0, p.size());
}

QString fault(const QByteArray &record)
{
    // The earliest word first: it is where the record stops being one.
    int first = -1;
    const char *word = nullptr;
    for (const ReplyRow &row : kReplyTable) {
        const int at = int(record.indexOf(row.word));
        if (at >= 0 && (first < 0 || at < first)) {
            first = at;
            word = row.word;
        }
    }
    if (word)
        return QCoreApplication::translate("protocol", "the reply word %1 stands inside the record at offset %2 (%3)")
            .arg(QLatin1String(word))
            .arg(first)
            .arg(records::placeAt(record, first).meaning);
    return records::settingsRecordFault(record);
}

} // namespace settingsreply
