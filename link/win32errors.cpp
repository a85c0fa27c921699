#include "link/win32errors.h"

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

QString u(const char *text)
{
    return QString::fromUtf8(text);
}
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

QString openRefusalReason(quint32 code, const QString &systemMessage)
{
    switch (classifyOpenError(code)) {
    case PortFault::NoSuchPort:
        return u("нет такого порта: адаптер не подключён или получил другой номер (смотрите "
                 "«Диспетчер устройств» → «Порты (COM и LPT)»)");
    case PortFault::InUse:
        return u("занят другой программой (какой именно, Windows сообщает только администратору; "
                 "закройте терминалы и другие программы, работающие с портом)");
    case PortFault::Gone:
        return u("устройство отключено");
    case PortFault::Other:
        break;
    }
    const QString words = systemMessage.trimmed();
    if (words.isEmpty())
        return u("не открывается: ошибка Windows %1").arg(code);
    return u("не открывается: %1 (ошибка Windows %2)").arg(words).arg(code);
}

QString openRefusalReasonInEnglish(quint32 code, const QString &systemMessage)
{
    switch (classifyOpenError(code)) {
    case PortFault::NoSuchPort:
        return QStringLiteral("no such port: the adapter is not plugged in or has another number (see Device Manager, "
                              "Ports (COM & LPT))");
    case PortFault::InUse:
        return QStringLiteral("busy: another program holds it (Windows tells which only to an administrator)");
    case PortFault::Gone:
        return QStringLiteral("the device has been unplugged");
    case PortFault::Other:
        break;
    }
    const QString words = systemMessage.trimmed();
    if (words.isEmpty())
        return QStringLiteral("the system refuses it: Windows error %1").arg(code);
    return QStringLiteral("the system refuses it: %1 (Windows error %2)").arg(words).arg(code);
}

} // namespace win32
