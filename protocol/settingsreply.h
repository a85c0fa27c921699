#pragma once

#include <QByteArray>
#include <QString>

// Whether a settings reply carries a whole record that a read may be built on: one rule
// for reading, for writing over what a controller holds and for the production line.
namespace settingsreply {

// The record of a reply: from the character after its word to the CR (or a NUL) that
// ends it.
QByteArray recordOf(const QByteArray &text, int payloadPos);

// Why the record is malformed, or empty when it is well formed: shorter than the fixed
// part, a reply word inside it (a reply that swallowed the start of another), or the
// internet block's quotes and separators away from their offsets (a shifted record).
QString fault(const QByteArray &record);

// fault() of the reply's record.
inline QString replyFault(const QByteArray &text, int payloadPos)
{
    return fault(recordOf(text, payloadPos));
}

} // namespace settingsreply
