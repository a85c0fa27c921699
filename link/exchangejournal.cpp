#include "link/exchangejournal.h"

#include "wire/wiretext.h"

#include <QDateTime>

ExchangeJournal::ExchangeJournal(int capacity, QObject *parent) : QObject(parent), m_capacity(qMax(1, capacity))
{
}

void ExchangeJournal::record(Direction direction, const QString &port, const QByteArray &bytes, qint64 count)
{
    while (int(m_entries.size()) >= m_capacity)
        m_entries.pop_front();
    m_entries.push_back({QDateTime::currentMSecsSinceEpoch(), direction, port, bytes, count});
    emit recorded(m_entries.back());
}

void ExchangeJournal::note(const QString &port, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    record(Direction::Note, port, bytes, 0);
}

void ExchangeJournal::clear()
{
    m_entries.clear();
    emit cleared();
}

QString ExchangeJournal::visible(const QByteArray &bytes)
{
    const QString text = wire::decode(bytes);
    QString out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x20)
            out += QChar(char16_t(0x2400 + u)); // the Control Pictures block: ␀ … ␟
        else if (u == 0x7f)
            out += QChar(char16_t(0x2421)); // ␡
        else if (u >= 0x80 && u < 0xa0)
            out += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            out += ch;
    }
    return out;
}

QString ExchangeJournal::line(const Entry &entry, bool withPort)
{
    const bool sent = entry.direction == Direction::Sent;
    QString count = QString::number(entry.count);
    if (sent && entry.count != entry.bytes.size())
        count += QStringLiteral("/%1").arg(entry.bytes.size()); // a short write
    QString out;
    if (withPort)
        out += (entry.port.isEmpty() ? QStringLiteral("-") : entry.port) + QStringLiteral("  ");
    out += QDateTime::fromMSecsSinceEpoch(entry.msecsSinceEpoch).toString(QStringLiteral("HH:mm:ss.zzz"));
    if (entry.direction == Direction::Note)
        return out + QStringLiteral("  ·         ") + QString::fromUtf8(entry.bytes);
    out += sent ? QStringLiteral("  →  ") : QStringLiteral("  ←  ");
    out += count.rightJustified(5);
    out += QStringLiteral("  ");
    out += visible(entry.bytes);
    return out;
}

QString ExchangeJournal::text(bool withPort) const
{
    QString out;
    for (const Entry &entry : m_entries) {
        out += line(entry, withPort);
        out += QLatin1Char('\n');
    }
    return out;
}

QString ExchangeJournal::heading()
{
    return QStringLiteral("# Журнал обмена, %1\n"
                          "# время, → отправлено контроллеру / ← принято от него, байт, текст (␍ — CR)\n")
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss t")));
}
