#pragma once

#include <QByteArray>
#include <QString>

// The controller's line is single-byte Windows-1251 text. Characters that the code
// page cannot hold become '?', so a field never changes its width on the wire.
namespace wire {

QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);

// The Windows-1251 code of one character, or -1 when the code page has none.
int codeOf(QChar ch);

} // namespace wire
