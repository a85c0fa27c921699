#pragma once

#include "translations/language.h"

#include <QString>

// What the Win32 error codes of the communications API mean for a COM port. Kept free of
// <windows.h> so that the mapping is the same, and tested, on every platform.
namespace win32 {

enum class PortFault {
    NoSuchPort, // the system has no port of that number
    InUse,      // another program holds the port
    Gone,       // the device went away while open (adapter pulled)
    Other,      // anything else: the system's own message says what
};

PortFault classifyOpenError(quint32 code);
// Whether a failed read, write or status query means the device is no longer there.
bool meansDeviceGone(quint32 code);

// Why "COMn" cannot be opened, in the user's words (Russian, as the window speaks, or
// English, as tavrix-cli's result lines); systemMessage is the system's text for the
// code (FormatMessage), used when there is nothing better to say.
QString openRefusalReasonIn(language::Language words, quint32 code, const QString &systemMessage);
QString openRefusalReason(quint32 code, const QString &systemMessage);
QString openRefusalReasonInEnglish(quint32 code, const QString &systemMessage);

} // namespace win32
