#include "link/serialdevice.h"

#include "link/win32errors.h"

#include <QRegularExpression>
#include <QTimer>

#include <windows.h>

namespace {
// How often an idle open port is asked whether its device is still there: Windows
// tells a pulled adapter only to the next call on it.
constexpr int kWatchMs = 500;
// A synchronous write may take the record's time on the wire (about 0.7 s) and more.
constexpr DWORD kWriteTimeoutMs = 3000;
constexpr DWORD kWriteTimeoutPerByteMs = 2;

QString systemMessage(DWORD code)
{
    wchar_t *text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                       | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    QString message;
    if (n > 0 && text)
        message = QString::fromWCharArray(text, int(n)).trimmed();
    LocalFree(text);
    return message;
}
} // namespace

struct SerialDevice::Impl
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    QTimer watch;

    bool isOpen() const { return handle != INVALID_HANDLE_VALUE; }
};

SerialDevice::SerialDevice(QObject *parent) : QObject(parent), d(std::make_unique<Impl>())
{
    d->watch.setInterval(kWatchMs);
    connect(&d->watch, &QTimer::timeout, this, [this] { bytesWaiting(); });
}

SerialDevice::~SerialDevice()
{
    close();
}

QString SerialDevice::resolve(const QString &name)
{
    // "COM5" and "\\.\COM5" both name the system's port 5; the device namespace form
    // is the one that also opens COM10 and above.
    static const QRegularExpression com(QStringLiteral("^(?:\\\\\\\\\\.\\\\)?(COM[1-9][0-9]*)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(name);
    return m.hasMatch() ? QStringLiteral("\\\\.\\") + m.captured(1).toUpper() : QString();
}

bool SerialDevice::open(const QString &device, int baud)
{
    auto fail = [this](DWORD code) {
        m_openSystemError = code;
        m_openErrorString = systemMessage(code);
        switch (win32::classifyOpenError(code)) {
        case win32::PortFault::NoSuchPort:
        case win32::PortFault::Gone:
            m_openError = OpenError::NotFound;
            break;
        case win32::PortFault::InUse:
            m_openError = OpenError::Permission;
            break;
        case win32::PortFault::Other:
            m_openError = OpenError::Other;
            break;
        }
        return false;
    };
    if (device.isEmpty())
        return fail(ERROR_FILE_NOT_FOUND);
    HANDLE h = CreateFileW(reinterpret_cast<LPCWSTR>(device.utf16()), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return fail(GetLastError());

    DCB dcb {};
    dcb.DCBlength = sizeof dcb;
    COMMTIMEOUTS timeouts {};
    // Reads return at once with what has arrived; a write may take its time on the wire.
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    timeouts.WriteTotalTimeoutMultiplier = kWriteTimeoutPerByteMs;
    bool ok = GetCommState(h, &dcb);
    if (ok) {
        dcb.BaudRate = DWORD(baud);
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fParity = FALSE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        dcb.fAbortOnError = FALSE;
        ok = SetCommState(h, &dcb) && SetCommTimeouts(h, &timeouts);
    }
    if (!ok) {
        const DWORD code = GetLastError();
        CloseHandle(h);
        return fail(code);
    }
    d->handle = h;
    m_openError = OpenError::None;
    m_openErrorString.clear();
    m_openSystemError = 0;
    d->watch.start();
    return true;
}

void SerialDevice::close()
{
    d->watch.stop();
    if (!d->isOpen())
        return;
    CloseHandle(d->handle);
    d->handle = INVALID_HANDLE_VALUE;
}

bool SerialDevice::isOpen() const
{
    return d->isOpen();
}

qint64 SerialDevice::write(const QByteArray &bytes)
{
    if (!d->isOpen())
        return 0;
    DWORD written = 0;
    if (!WriteFile(d->handle, bytes.constData(), DWORD(bytes.size()), &written, nullptr)) {
        if (win32::meansDeviceGone(GetLastError()))
            emit gone();
    }
    return qint64(written);
}

qint64 SerialDevice::read(char *buffer, qint64 capacity)
{
    if (!d->isOpen() || capacity <= 0)
        return 0;
    DWORD n = 0;
    if (!ReadFile(d->handle, buffer, DWORD(std::min<qint64>(capacity, MAXDWORD)), &n, nullptr)) {
        if (win32::meansDeviceGone(GetLastError()))
            emit gone();
        return 0;
    }
    return qint64(n);
}

qint64 SerialDevice::bytesWaiting() const
{
    if (!d->isOpen())
        return 0;
    DWORD errors = 0;
    COMSTAT status {};
    if (!ClearCommError(d->handle, &errors, &status)) {
        if (win32::meansDeviceGone(GetLastError()))
            emit const_cast<SerialDevice *>(this)->gone();
        return 0;
    }
    return qint64(status.cbInQue);
}

void SerialDevice::purge()
{
    if (d->isOpen())
        PurgeComm(d->handle, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
}

void SerialDevice::purgePending()
{
    // Writes are synchronous: nothing of ours is pending once write() has returned.
}
