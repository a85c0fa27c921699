#pragma once

#include "translations/language.h"

#include <QString>

// How a command's time limit ran out, worded once for every front end: the tool and the
// line each put their own advice around this clause.
namespace timelimit {

enum class Cause {
    NoAnswer,         // nothing whole came back
    MalformedAnswers, // answers came, each refused
};

// "no answer to READ_SET within 2.5 s", or "every answer to READ_SET within 2.5 s was
// malformed", followed by ", the last: <fault>" when `last` is given. `command` is named
// as the caller names it to its reader.
QString clause(language::Language words, Cause cause, const QString &command, double seconds,
               const QString &last = {});

} // namespace timelimit
