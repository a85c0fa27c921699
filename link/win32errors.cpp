#include "link/win32errors.h"

#include <QCoreApplication>

namespace win32 {
namespace {
// The codes by number, as <winerror.h> defines them.
constexpr quint32 kInvalidFunction = 1;
constexpr quint32 kFileNotFound = 2;
constexpr quint32 kPathNotFound = 3;
constexpr quint32 kAccessDenied = 5;
constexpr quint32 kInvalidHandle = 6;
constexpr quint32 kBadCommand = 22;
constexpr quint32 kGenFailure = 31;
constexpr quint32 kSharingViolation = 32;
constexpr quint32 kDevNotExist = 55;
constexpr quint32 kBadUnit = 20;
constexpr quint32 kNotReady = 21;
constexpr quint32 kOperationAborted = 995;
constexpr quint32 kDeviceNotConnected = 1167;
constexpr quint32 kDeviceRemoved = 1617;
constexpr quint32 kNoSuchDevice = 433;
} // namespace

PortFault classifyOpenError(quint32 code)
{
    switch (code) {
    // The name leads to no serial driver (Wine says so of a number it maps to nothing).
    case kInvalidFunction:
    case kFileNotFound:
    case kPathNotFound:
    case kDevNotExist:
    case kBadUnit:
    case kNoSuchDevice:
    case kDeviceNotConnected:
        return PortFault::NoSuchPort;
    // A COM port is opened exclusively: a second open is refused as access denied.
    case kAccessDenied:
    case kSharingViolation:
        return PortFault::InUse;
    case kDeviceRemoved:
        return PortFault::Gone;
    default:
        return PortFault::Other;
    }
}

bool meansDeviceGone(quint32 code)
{
    switch (code) {
    case kAccessDenied: // a USB adapter's driver refuses everything once it is unplugged
    case kInvalidHandle:
    case kBadCommand:
    case kGenFailure:
    case kDevNotExist:
    case kNotReady:
    case kFileNotFound:
    case kOperationAborted:
    case kDeviceNotConnected:
    case kDeviceRemoved:
    case kNoSuchDevice:
        return true;
    default:
        return false;
    }
}

QString openRefusalReasonIn(language::Language words, quint32 code, const QString &systemMessage)
{
    const auto said = [words](const char *source) { return language::inLanguage(words, "link", source); };
    switch (classifyOpenError(code)) {
    case PortFault::NoSuchPort:
        return said(QT_TRANSLATE_NOOP("link", "no such port: the adapter is not plugged in or has another number "
                                              "(see Device Manager, Ports (COM & LPT))"));
    case PortFault::InUse:
        return said(QT_TRANSLATE_NOOP("link", "busy: another program holds it (Windows tells which only to an administrator)"));
    case PortFault::Gone:
        return said(QT_TRANSLATE_NOOP("link", "the device has been unplugged"));
    case PortFault::Other:
        break;
    }
    const QString told = systemMessage.trimmed();
    if (told.isEmpty())
        return said(QT_TRANSLATE_NOOP("link", "the system refuses it: Windows error %1")).arg(code);
    return said(QT_TRANSLATE_NOOP("link", "the system refuses it: %1 (Windows error %2)")).arg(told).arg(code);
}

QString openRefusalReason(quint32 code, const QString &systemMessage)
{
    return openRefusalReasonIn(language::Language::Russian, code, systemMessage);
}

QString openRefusalReasonInEnglish(quint32 code, const QString &systemMessage)
{
    return openRefusalReasonIn(language::Language::English, code, systemMessage);
}

} // namespace win32
