#include "line/station.h"

#include "protocol/timelimit.h"

#include <QCoreApplication>

namespace line {

QString UnitResult::reasonIn(language::Language words) const
{
    const auto said = [words](const char *source) { return language::inLanguage(words, "line", source); };
    // The commands as the line's reader knows them: by what they do.
    const QString read = said(QT_TRANSLATE_NOOP("line", "READ_SET"));
    const QString written = said(QT_TRANSLATE_NOOP("line", "WRITE_SET_"));
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
        return said(QT_TRANSLATE_NOOP("line", "the controller stopped answering (%1)"))
            .arg(timelimit::clause(words, timelimit::Cause::NoAnswer, written, limitSeconds));
    case Failure::MalformedAnswers:
        // The window names no answer here: it would not fit.
        return timelimit::clause(words, timelimit::Cause::MalformedAnswers, read, limitSeconds,
                                 words == language::Language::Russian ? QString() : detail);
    case Failure::NoAnswerToRead:
        return said(QT_TRANSLATE_NOOP("line", "the controller stopped answering (%1)"))
            .arg(timelimit::clause(words, timelimit::Cause::NoAnswer, read, limitSeconds));
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
