#include "controlscript.h"

namespace script {
namespace {

struct Line
{
    bool enabled = false;
    QString name;
    QString value;
};

Line parse(const QString &line)
{
    Line out;
    QString rest = line;
    if (rest.startsWith(QLatin1String("enabled:"))) {
        out.enabled = true;
        rest = rest.mid(8);
    }
    const qsizetype eq = rest.indexOf(QLatin1Char('='));
    out.name = rest.left(eq);
    out.value = rest.mid(eq + 1);
    return out;
}

bool isCheck(const QString &name)
{
    return name.startsWith(QLatin1String("CheckBox")) || name.startsWith(QLatin1String("RadioButton"));
}

} // namespace

void apply(Controls &c, const QStringList &lines)
{
    for (const QString &text : lines) {
        const Line l = parse(text);
        if (l.enabled)
            c.setEnabled(l.name, l.value == QLatin1String("1"));
        else if (isCheck(l.name))
            c.setChecked(l.name, l.value == QLatin1String("1"));
        else if (l.name.startsWith(QLatin1String("ComboBox")))
            c.setIndex(l.name, l.value.toInt());
        else
            c.setText(l.name, l.value);
    }
}

QStringList mismatches(const Controls &c, const QStringList &lines)
{
    QStringList out;
    for (const QString &text : lines) {
        const Line l = parse(text);
        QString actual;
        if (l.enabled)
            actual = c.enabled(l.name) ? QStringLiteral("1") : QStringLiteral("0");
        else if (isCheck(l.name))
            actual = c.checked(l.name) ? QStringLiteral("1") : QStringLiteral("0");
        else if (l.name.startsWith(QLatin1String("ComboBox")))
            actual = QString::number(c.index(l.name));
        else
            actual = c.text(l.name);
        if (actual != l.value)
            out << QStringLiteral("%1 (is: %2)").arg(text, actual);
    }
    return out;
}

QStringList enabledLines(const QStringList &names, bool on)
{
    QStringList out;
    for (const QString &name : names)
        out << QStringLiteral("enabled:%1=%2").arg(name).arg(on ? 1 : 0);
    return out;
}

QByteArray reply(const char *word, const QByteArray &payload)
{
    return QByteArray(word) + payload + '\r';
}

} // namespace script
