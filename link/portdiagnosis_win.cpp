#include "link/portdiagnosis.h"

#include "link/portmap.h"
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

// The names Device Manager shows under "Ports (COM & LPT)", by port name ("COM5" ->
// "USB-SERIAL CH340"). The friendly name ends with the port in brackets; that is dropped.
QHash<QString, QString> knownDevices()
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

} // namespace

PortStatus::State explainRefusal(const QString &, const SerialChannel &channel, QString *reason)
{
    const quint32 code = channel.openSystemError();
    *reason = win32::openRefusalReason(code, channel.openErrorString());
    switch (win32::classifyOpenError(code)) {
    case win32::PortFault::NoSuchPort:
        return PortStatus::State::Absent;
    case win32::PortFault::Gone:
        return PortStatus::State::Gone;
    case win32::PortFault::InUse:
        return PortStatus::State::Busy;
    case win32::PortFault::Other:
        break;
    }
    return PortStatus::State::Refused;
}

QString refusalInEnglish(PortStatus::State, const QString &, const SerialChannel &channel)
{
    return win32::openRefusalReasonInEnglish(channel.openSystemError(), channel.openErrorString());
}

QList<PortStatus> diagnosePorts(const PortMap &map, SerialChannel &probe)
{
    const QHash<QString, QString> known = knownDevices();
    QList<PortStatus> out;
    for (int com = PortMap::kFirstCom; com <= PortMap::kLastCom; ++com) {
        PortStatus s;
        s.com = com;
        s.device = map.devicePath(com);
        if (probe.open(s.device, 9600)) {
            probe.close();
            s.state = PortStatus::State::Free;
        } else {
            s.state = explainRefusal(s.device, probe, &s.reason);
            // Most numbers are simply not there; the long advice is for the port the user picked.
            if (s.state == PortStatus::State::Absent)
                s.reason = QString::fromUtf8("нет такого порта");
        }
        s.description = known.value(s.device.toUpper());
        out << s;
    }
    return out;
}
