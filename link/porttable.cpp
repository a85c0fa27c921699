#include "link/portdiagnosis.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>

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
    const auto said = [words](const char *source) { return language::inLanguage(words, "link", source); };
    const QString headers[] = {QStringLiteral("COM"), said(QT_TRANSLATE_NOOP("link", "Device")),
                               said(QT_TRANSLATE_NOOP("link", "Free")), said(QT_TRANSLATE_NOOP("link", "Details"))};
    const QString yes = said(QT_TRANSLATE_NOOP("link", "yes"));
    const QString no = said(QT_TRANSLATE_NOOP("link", "no"));
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
    const QString folder = said(QT_TRANSLATE_NOOP("link", "Ports folder: %1")) + QStringLiteral("\n\n");
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
