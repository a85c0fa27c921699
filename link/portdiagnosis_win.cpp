#include "link/portdiagnosis.h"

#include "link/portmap.h"
#include "link/portscan.h"
#include "link/serialchannel.h"
#include "link/win32errors.h"

#include <QHash>
#include <QRegularExpression>

#include <windows.h>
#include <devguid.h>
#include <setupapi.h>

namespace {

QString deviceText(HDEVINFO set, SP_DEVINFO_DATA &info, DWORD property)
{
    wchar_t buffer[512] {};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(set, &info, property, &type, reinterpret_cast<BYTE *>(buffer),
                                           sizeof buffer - sizeof(wchar_t), nullptr)
        || type != REG_SZ)
        return {};
    return QString::fromWCharArray(buffer).trimmed();
}

} // namespace

// The names Device Manager shows under "Ports (COM & LPT)", by port name ("COM5" ->
// "USB-SERIAL CH340"). The friendly name ends with the port in brackets; that is dropped.
QHash<QString, QString> portscan::knownDevices()
{
    QHash<QString, QString> known;
    HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return known;
    SP_DEVINFO_DATA info {};
    info.cbSize = sizeof info;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &info); ++i) {
        HKEY key = SetupDiOpenDevRegKey(set, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        wchar_t port[64] {};
        DWORD size = sizeof port - sizeof(wchar_t);
        DWORD type = 0;
        const bool named = RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE *>(port), &size)
                == ERROR_SUCCESS
            && type == REG_SZ;
        RegCloseKey(key);
        if (!named)
            continue;
        const QString portName = QString::fromWCharArray(port).trimmed().toUpper();
        QString name = deviceText(set, info, SPDRP_FRIENDLYNAME);
        if (name.isEmpty())
            name = deviceText(set, info, SPDRP_DEVICEDESC);
        name.remove(QRegularExpression(QStringLiteral("\\s*\\(COM[0-9]+\\)$"), QRegularExpression::CaseInsensitiveOption));
        if (!name.isEmpty())
            known.insert(portName, name);
    }
    SetupDiDestroyDeviceInfoList(set);
    return known;
}

QString portscan::describe(const PortStatus &s, const KnownDevices &known, language::Language)
{
    return known.value(s.device.toUpper());
}

bool portscan::noUartBehind(const QString &, const QString &)
{
    return false;
}

portscan::Place portscan::locate(const PortMap &map, int com, language::Language)
{
    // The COM number is the system's own name: the probe tells whether it is there.
    PortStatus s;
    s.com = com;
    s.device = map.devicePath(com);
    return {s, true};
}

OpenRefusal refusalToOpen(const QString &, const SerialChannel &channel)
{
    const quint32 code = channel.openSystemError();
    OpenRefusal refusal;
    refusal.code = code;
    refusal.system = channel.openErrorString();
    switch (win32::classifyOpenError(code)) {
    case win32::PortFault::NoSuchPort:
        refusal.state = PortStatus::State::Absent;
        break;
    case win32::PortFault::Gone:
        refusal.state = PortStatus::State::Gone;
        refusal.cause = OpenRefusal::Cause::Gone;
        break;
    case win32::PortFault::InUse:
        refusal.state = PortStatus::State::Busy;
        refusal.cause = OpenRefusal::Cause::Busy;
        break;
    case win32::PortFault::Other:
        break;
    }
    return refusal;
}

// Windows says which of its errors it was; the words follow the code.
QString OpenRefusal::in(language::Language words) const
{
    return win32::openRefusalReasonIn(words, code, system);
}
