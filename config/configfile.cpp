#include "config/configfile.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace config {

void Configuration::set(const QString &name, const QString &value, int line)
{
    const int i = indexOf(name);
    if (i >= 0)
        m_entries[i] = {name, value, line};
    else
        m_entries.append({name, value, line});
}

int Configuration::indexOf(const QString &name) const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].name == name)
            return i;
    }
    return -1;
}

QString Configuration::value(const QString &name) const
{
    const Entry *e = find(name);
    return e ? e->value : QString();
}

const Entry *Configuration::find(const QString &name) const
{
    const int i = indexOf(name);
    return i >= 0 ? &m_entries[i] : nullptr;
}

QString FileError::message() const
{
    if (line > 0)
        return QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(reason);
    return QStringLiteral("%1: %2").arg(file, reason);
}

QString quoted(const QString &text)
{
    const bool plain = !text.isEmpty() && !text.front().isSpace() && !text.back().isSpace()
                       && !text.contains(QLatin1Char('#')) && !text.startsWith(QLatin1Char('"'));
    if (plain)
        return text;
    QString out = QStringLiteral("\"");
    for (QChar ch : text) {
        if (ch == QLatin1Char('"') || ch == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += ch;
    }
    return out + QLatin1Char('"');
}

namespace {

// The value part of a line (after '='): a quoted text or everything up to a comment.
bool parseValue(QStringView rest, QString *value, QString *reason)
{
    rest = rest.trimmed();
    if (!rest.startsWith(QLatin1Char('"'))) {
        const qsizetype hash = rest.indexOf(QLatin1Char('#'));
        *value = (hash < 0 ? rest : rest.left(hash)).trimmed().toString();
        return true;
    }
    QString text;
    qsizetype i = 1;
    for (; i < rest.size(); ++i) {
        const QChar ch = rest[i];
        if (ch == QLatin1Char('\\') && i + 1 < rest.size()) {
            text += rest[++i];
        } else if (ch == QLatin1Char('"')) {
            break;
        } else {
            text += ch;
        }
    }
    if (i >= rest.size()) {
        *reason = QStringLiteral("the quoted text has no closing quote");
        return false;
    }
    const QStringView after = rest.mid(i + 1).trimmed();
    if (!after.isEmpty() && !after.startsWith(QLatin1Char('#'))) {
        *reason = QStringLiteral("text after the closing quote");
        return false;
    }
    *value = text;
    return true;
}

} // namespace

std::optional<FileError> parse(const QByteArray &bytes, const QString &fileName, Configuration *out)
{
    const auto fail = [&](int line, const QString &reason) { return FileError{fileName, line, reason}; };

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (utf8.hasError())
        return fail(0, QStringLiteral("not UTF-8 text"));

    const QStringList lines = text.split(QLatin1Char('\n'));
    static const QRegularExpression formatLine(QStringLiteral("^#\\s*(\\S+)\\s+(\\S+)\\s*$"));
    const auto header = formatLine.match(lines.first().trimmed());
    if (!header.hasMatch() || header.captured(1) != QLatin1String(kFormatName))
        return fail(1, QStringLiteral("not a configuration file (the first line must be \"# %1 %2\")")
                           .arg(QLatin1String(kFormatName))
                           .arg(kFormatVersion));
    if (header.captured(2) != QString::number(kFormatVersion))
        return fail(1, QStringLiteral("format version %1 is not known (this program reads version %2)")
                           .arg(header.captured(2))
                           .arg(kFormatVersion));

    static const QRegularExpression nameForm(QStringLiteral("^[A-Za-z][A-Za-z0-9_]*$"));
    Configuration parsed;
    for (int i = 1; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            return fail(lineNo, QStringLiteral("expected \"Name = value\""));
        const QString name = line.left(eq).trimmed();
        if (!nameForm.match(name).hasMatch())
            return fail(lineNo, QStringLiteral("\"%1\" is not a control name").arg(name));
        if (const Entry *first = parsed.find(name))
            return fail(lineNo, QStringLiteral("%1 is given twice (first on line %2)").arg(name).arg(first->line));
        QString value;
        QString reason;
        if (!parseValue(QStringView(line).mid(eq + 1), &value, &reason))
            return fail(lineNo, reason);
        parsed.set(name, value, lineNo);
    }
    *out = parsed;
    return std::nullopt;
}

} // namespace config
