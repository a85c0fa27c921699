#include "app/networkaddresses.h"

#include "net/networkline.h"

#include <QSettings>

namespace networkaddresses {

namespace {

const char kKey[] = "network/addresses";

// tavrix/configurator.ini, as the window's other settings.
QSettings settings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tavrix"),
                     QStringLiteral("configurator"));
}

void store(const QStringList &addresses)
{
    QSettings s = settings();
    s.setValue(QLatin1String(kKey), addresses);
}

} // namespace

QStringList remembered()
{
    // A file edited by hand may hold anything: only valid addresses, each once.
    QStringList addresses;
    for (const QString &text : settings().value(QLatin1String(kKey)).toStringList()) {
        const auto address = NetworkLine::parse(text.trimmed());
        if (address && !addresses.contains(address->text()))
            addresses << address->text();
        if (addresses.size() == kKept)
            break;
    }
    return addresses;
}

void remember(const QString &address)
{
    QStringList addresses = remembered();
    addresses.removeAll(address);
    addresses.prepend(address);
    store(addresses.mid(0, kKept));
}

void forget(const QString &address)
{
    QStringList addresses = remembered();
    if (addresses.removeAll(address) > 0)
        store(addresses);
}

} // namespace networkaddresses
