#include "config/configfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cctype>
#include <QStringDecoder>

namespace config {

void Configuration::set(const QString &name, const QString &value, int line)
{
    const int i = indexOf(name);
    if (i >= 0) {
        m_entries[i] = {name, value, line};
    } else {
        m_index.insert(name, int(m_entries.size()));
        m_entries.append({name, value, line});
    }
}

int Configuration::indexOf(const QString &name) const
{
    return m_index.value(name, -1);
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

namespace {

QString hexEscape(char16_t ch)
{
    return QStringLiteral("\\x") + QString::number(uint(ch), 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

} // namespace

QString quoted(const QString &text)
{
    const bool hasControl = std::any_of(text.begin(), text.end(), [](QChar ch) { return isControl(ch.unicode()); });
    const bool plain = !text.isEmpty() && !text.front().isSpace() && !text.back().isSpace() && !hasControl
                       && !text.contains(QLatin1Char('#')) && !text.startsWith(QLatin1Char('"'));
    if (plain)
        return text;
    QString out = QStringLiteral("\"");
    for (QChar ch : text) {
        if (isControl(ch.unicode())) {
            out += hexEscape(ch.unicode());
            continue;
        }
        if (ch == QLatin1Char('"') || ch == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += ch;
    }
    return out + QLatin1Char('"');
}

QString excerpt(const QString &text)
{
    constexpr int kShown = 40;
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (out.size() >= kShown) {
            out += QStringLiteral("…");
            break;
        }
        const QChar ch = text.at(i);
        // Never cut between the two halves of a character.
        if (ch.isHighSurrogate() && i + 1 < text.size() && out.size() + 1 >= kShown) {
            out += QStringLiteral("…");
            break;
        }
        out += isControl(ch.unicode()) ? hexEscape(ch.unicode()) : QString(ch);
    }
    return out;
}

QString characterName(char32_t ch)
{
    const QString code = QStringLiteral("U+") + QString::number(uint(ch), 16).toUpper().rightJustified(4, QLatin1Char('0'));
    switch (ch) {
    case 0:
        return QStringLiteral("NUL (U+0000)");
    case '\r':
        return QCoreApplication::translate("config", "a carriage return (%1)").arg(code);
    case '\n':
        return QCoreApplication::translate("config", "a line feed (%1)").arg(code);
    case '\t':
        return QCoreApplication::translate("config", "a tab (%1)").arg(code);
    case ' ':
        return QCoreApplication::translate("config", "a space (%1)").arg(code);
    default:
        break;
    }
    if (isControl(ch))
        return QCoreApplication::translate("config", "a control character (%1)").arg(code);
    return QStringLiteral("'%1' (%2)").arg(QString::fromUcs4(&ch, 1), code);
}

std::optional<FileError> readFile(const QString &path, QByteArray *bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileError{path, 0, file.errorString()};
    const auto tooLarge = [&] {
        return FileError{path, 0, QCoreApplication::translate("config", "larger than %1 bytes: not a configuration file").arg(kMaxFileBytes)};
    };
    // A regular file says its size; a device or a pipe is read up to one byte past the limit.
    if (file.size() > kMaxFileBytes)
        return tooLarge();
    QByteArray read;
    for (;;) {
        const QByteArray chunk = file.read(kMaxFileBytes + 1 - read.size());
        if (chunk.isEmpty())
            break;
        read += chunk;
        if (read.size() > kMaxFileBytes)
            return tooLarge();
    }
    if (file.error() != QFileDevice::NoError)
        return FileError{path, 0, file.errorString()};
    *bytes = read;
    return std::nullopt;
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
            // "\xHH": a control character, as the file writes one.
            const auto hex = [&](qsizetype at) { return at < rest.size() && rest[at].unicode() < 128 && isxdigit(rest[at].unicode()) != 0; };
            const uint code = hex(i + 2) && hex(i + 3) ? rest.mid(i + 2, 2).toUInt(nullptr, 16) : 0x20;
            if (rest[i + 1] == QLatin1Char('x') && isControl(code)) {
                text += QChar(char16_t(code));
                i += 3;
            } else {
                text += rest[++i];
            }
        } else if (ch == QLatin1Char('"')) {
            break;
        } else {
            text += ch;
        }
    }
    if (i >= rest.size()) {
        *reason = QCoreApplication::translate("config", "the quoted text has no closing quote");
        return false;
    }
    const QStringView after = rest.mid(i + 1).trimmed();
    if (!after.isEmpty() && !after.startsWith(QLatin1Char('#'))) {
        *reason = QCoreApplication::translate("config", "text after the closing quote");
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
        return fail(0, QCoreApplication::translate("config", "not UTF-8 text"));

    const QStringList lines = text.split(QLatin1Char('\n'));
    static const QRegularExpression formatLine(QStringLiteral("^#\\s*(\\S+)\\s+(\\S+)\\s*$"));
    const auto header = formatLine.match(lines.first().trimmed());
    if (!header.hasMatch() || header.captured(1) != QLatin1String(kFormatName))
        return fail(1, QCoreApplication::translate("config", "not a configuration file (the first line must be \"# %1 %2\")")
                           .arg(QLatin1String(kFormatName))
                           .arg(kFormatVersion));
    if (header.captured(2) != QString::number(kFormatVersion))
        return fail(1, QCoreApplication::translate("config", "format version %1 is not known (this program reads version %2)")
                           .arg(excerpt(header.captured(2)))
                           .arg(kFormatVersion));

    Configuration parsed;
    for (int i = 1; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            return fail(lineNo, QCoreApplication::translate("config", "expected \"Name = value\""));
        const QString name = line.left(eq).trimmed();
        // A control name or the name a person reads in the window ("Номер 3-го
        // абонента"): which control it names is the catalog's business.
        const bool hasControl = std::any_of(name.begin(), name.end(), [](QChar ch) { return isControl(ch.unicode()); });
        if (name.isEmpty() || hasControl || name.startsWith(QLatin1Char('"')))
            return fail(lineNo, QCoreApplication::translate("config", "\"%1\" is not a control name").arg(excerpt(name)));
        if (const Entry *first = parsed.find(name))
            return fail(lineNo, QCoreApplication::translate("config", "%1 is given twice (first on line %2)").arg(excerpt(name)).arg(first->line));
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
