#include "net/portnames.h"

#include "link/portmap.h"

#include <QList>
#include <QRegularExpression>

namespace portnames {

int comNumber(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^com(\\d{1,2})$"), QRegularExpression::CaseInsensitiveOption);
    const auto m = form.match(text);
    const int com = m.hasMatch() ? m.captured(1).toInt() : 0;
    return com >= PortMap::kFirstCom && com <= PortMap::kLastCom ? com : 0;
}

namespace {
QList<NetworkLine::Address> &addresses()
{
    static QList<NetworkLine::Address> known;
    return known;
}
} // namespace

int number(const QString &text, QString *why)
{
    if (const int com = comNumber(text))
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
