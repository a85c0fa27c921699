#include "line/station.h"

#include <QCoreApplication>

namespace line {

QString UnitResult::reasonIn(language::Language words) const
{
    const auto said = [words](const char *source) { return language::inLanguage(words, "line", source); };
    switch (failure) {
    case Failure::None:
        break;
    case Failure::BackupNotSaved:
        return said(QT_TRANSLATE_NOOP("line", "the backup cannot be saved: %1")).arg(detail);
    case Failure::RecordMalformed:
        return said(QT_TRANSLATE_NOOP("line", "the record to write would read as malformed: %1; nothing written")).arg(detail);
    case Failure::NotSent:
        return said(QT_TRANSLATE_NOOP("line", "the command could not be sent"));
    case Failure::NoAnswerToWrite:
        return said(QT_TRANSLATE_NOOP("line", "the controller stopped answering (no answer to WRITE_SET_ within %1 s)"))
            .arg(limitSeconds);
    case Failure::MalformedAnswers: {
        // The window names no answer here: it would not fit.
        if (words == language::Language::Russian)
            return said(QT_TRANSLATE_NOOP("line", "every answer to READ_SET within %1 s was malformed")).arg(limitSeconds);
        return said(QT_TRANSLATE_NOOP("line", "every answer to READ_SET within %1 s was malformed, the last: %2"))
            .arg(limitSeconds)
            .arg(detail);
    }
    case Failure::NoAnswerToRead:
        return said(QT_TRANSLATE_NOOP("line", "the controller stopped answering (no answer to READ_SET within %1 s)"))
            .arg(limitSeconds);
    case Failure::PortGone:
        return said(QT_TRANSLATE_NOOP("line", "the port went away"));
    case Failure::Stopped:
        return said(QT_TRANSLATE_NOOP("line", "stopped"));
    case Failure::ReadBackDiffers:
        return said(QT_TRANSLATE_NOOP("line", "%1 byte(s) read back differ from those written, the first at offset %2"))
            .arg(differing)
            .arg(firstAt);
    }
    return {};
}

} // namespace line
