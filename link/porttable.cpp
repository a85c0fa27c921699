#include "link/portdiagnosis.h"

#include <QDir>

#include <algorithm>

namespace {

QString u(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

QString PortStatus::summary() const
{
    // A device named by the COM number itself (Windows) is not named twice.
    QStringList parts;
    if (!device.isEmpty() && device.compare(QStringLiteral("COM%1").arg(com), Qt::CaseInsensitive) != 0)
        parts << device;
    if (!description.isEmpty())
        parts << description;
    if (parts.isEmpty())
        return QStringLiteral("COM%1").arg(com);
    return QStringLiteral("COM%1 — %2").arg(com).arg(parts.join(QStringLiteral(" · ")));
}

QString formatPortTable(const QList<PortStatus> &ports, const QString &portsDir, language::Language words)
{
    const bool russian = words == language::Language::Russian;
    const QString headers[] = {QStringLiteral("COM"), russian ? u("Устройство") : QStringLiteral("Device"),
                               russian ? u("Свободен") : QStringLiteral("Free"),
                               russian ? u("Подробности") : QStringLiteral("Details")};
    const QString yes = russian ? u("да") : QStringLiteral("yes");
    const QString no = russian ? u("нет") : QStringLiteral("no");
    int comWidth = headers[0].size();
    int deviceWidth = headers[1].size();
    for (const PortStatus &s : ports) {
        comWidth = std::max(comWidth, int(QStringLiteral("COM%1").arg(s.com).size()));
        deviceWidth = std::max(deviceWidth, int(s.device.size()));
    }
    const int freeWidth = headers[2].size();
    auto row = [&](const QString &com, const QString &device, const QString &free, const QString &why) {
        QString line = com.leftJustified(comWidth + 2) + device.leftJustified(deviceWidth + 2);
        line += why.isEmpty() ? free : free.leftJustified(freeWidth + 2) + why;
        return line + QLatin1Char('\n');
    };
    // Windows numbers its ports itself: there is no folder of links to name.
    const QString folder = russian ? u("Папка ссылок: %1\n\n") : QStringLiteral("Ports folder: %1\n\n");
    QString text = portsDir.isEmpty() ? QString() : folder.arg(QDir::toNativeSeparators(portsDir));
    text += row(headers[0], headers[1], headers[2], headers[3]);
    for (const PortStatus &s : ports) {
        QString why = s.reason;
        if (s.isFree())
            why = s.description;
        else if (!s.description.isEmpty())
            why += QStringLiteral(" (") + s.description + QLatin1Char(')');
        const QString device = s.device.isEmpty() ? QStringLiteral("—") : s.device;
        text += row(QStringLiteral("COM%1").arg(s.com), device, s.isFree() ? yes : no, why);
    }
    return text;
}
