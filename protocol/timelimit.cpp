#include "protocol/timelimit.h"

#include <QCoreApplication>

namespace timelimit {

QString clause(language::Language words, Cause cause, const QString &command, double seconds, const QString &last)
{
    const auto said = [words](const char *source) { return language::inLanguage(words, "protocol", source); };
    QString text = cause == Cause::NoAnswer
        ? said(QT_TRANSLATE_NOOP("protocol", "no answer to %1 within %2 s")).arg(command).arg(seconds)
        : said(QT_TRANSLATE_NOOP("protocol", "every answer to %1 within %2 s was malformed")).arg(command).arg(seconds);
    if (!last.isEmpty())
        text = said(QT_TRANSLATE_NOOP("protocol", "%1, the last: %2")).arg(text, last);
    return text;
}

} // namespace timelimit
