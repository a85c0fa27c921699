#include "cli/portnames.h"

#include "cli/tool.h"

#include <QList>

namespace portnames {

namespace {
QList<NetworkLine::Address> &addresses()
{
    static QList<NetworkLine::Address> known;
    return known;
}
} // namespace

int number(const QString &text, QString *why)
{
    if (const int com = Tool::comNumber(text))
        return com;
    if (!NetworkLine::looksLikeAddress(text))
        return 0;
    const std::optional<NetworkLine::Address> parsed = NetworkLine::parse(text, why);
    if (!parsed)
        return 0;
    QList<NetworkLine::Address> &known = addresses();
    for (int i = 0; i < known.size(); ++i) {
        if (known[i].text() == parsed->text())
            return kFirstAddress + i;
    }
    known.append(*parsed);
    return kFirstAddress + int(known.size()) - 1;
}

bool isAddress(int number)
{
    return number >= kFirstAddress && number - kFirstAddress < addresses().size();
}

std::optional<NetworkLine::Address> address(int number)
{
    if (!isAddress(number))
        return std::nullopt;
    return addresses().at(number - kFirstAddress);
}

QString name(int number)
{
    if (const auto a = address(number))
        return a->text();
    return QStringLiteral("COM%1").arg(number);
}

QString fileStem(int number)
{
    QString stem = name(number);
    stem.replace(QStringLiteral("://"), QStringLiteral("-")).replace(QLatin1Char(':'), QLatin1Char('-'));
    stem.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
    return stem;
}

} // namespace portnames
