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

namespace {

// What the user reads, in the window's Russian and in the English of tavrix-cli's lines.
struct Words
{
    const char *noSuchPort;
    const char *inUse;
    const char *gone;
    const char *refused;          // %1: the system's message, %2: the code
    const char *refusedWithoutWords;
};

const Words kRussian {
    "нет такого порта: адаптер не подключён или получил другой номер (смотрите "
    "«Диспетчер устройств» → «Порты (COM и LPT)»)",
    "занят другой программой (какой именно, Windows сообщает только администратору; "
    "закройте терминалы и другие программы, работающие с портом)",
    "устройство отключено",
    "не открывается: %1 (ошибка Windows %2)",
    "не открывается: ошибка Windows %1",
};

const Words kEnglish {
    "no such port: the adapter is not plugged in or has another number (see Device Manager, Ports (COM & LPT))",
    "busy: another program holds it (Windows tells which only to an administrator)",
    "the device has been unplugged",
    "the system refuses it: %1 (Windows error %2)",
    "the system refuses it: Windows error %1",
};

QString reason(const Words &words, quint32 code, const QString &systemMessage)
{
    switch (classifyOpenError(code)) {
    case PortFault::NoSuchPort:
        return u(words.noSuchPort);
    case PortFault::InUse:
        return u(words.inUse);
    case PortFault::Gone:
        return u(words.gone);
    case PortFault::Other:
        break;
    }
    const QString said = systemMessage.trimmed();
    if (said.isEmpty())
        return u(words.refusedWithoutWords).arg(code);
    return u(words.refused).arg(said).arg(code);
}

} // namespace

QString openRefusalReason(quint32 code, const QString &systemMessage)
{
    return reason(kRussian, code, systemMessage);
}

QString openRefusalReasonInEnglish(quint32 code, const QString &systemMessage)
{
    return reason(kEnglish, code, systemMessage);
}

} // namespace win32
