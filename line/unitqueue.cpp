#include "line/unitqueue.h"

#include <QCoreApplication>

namespace line {

QString UnitsError::message() const
{
    QString where = file;
    if (line > 0)
        where += QCoreApplication::translate("line", ": line %1").arg(line);
    if (!column.isEmpty())
        where += QCoreApplication::translate("line", ", column %1").arg(column);
    return where + QStringLiteral(": ") + reason;
}

namespace {

// Splits CSV text into records of fields, each with the line it starts on.
struct Record
{
    int line = 0;
    QStringList fields;
};

std::optional<UnitsError> splitRecords(const QString &text, const QString &fileName, QList<Record> *out)
{
    Record record;
    QString field;
    bool quoted = false;     // inside quotes
    bool wasQuoted = false;  // the field began with a quote
    bool any = false;        // the record has content
    int line = 1;
    record.line = 1;
    // Spaces around an unquoted field are layout; inside quotes they are the value.
    auto endField = [&] {
        record.fields << (wasQuoted ? field : field.trimmed());
        field.clear();
        wasQuoted = false;
    };
    auto endRecord = [&] {
        endField();
        if (any)
            out->append(record);
        record = Record();
        any = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && field.trimmed().isEmpty() && !wasQuoted) {
            field.clear();
            quoted = wasQuoted = any = true;
        } else if (c == QLatin1Char(',')) {
            endField();
            any = true;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            endRecord();
            record.line = ++line;
        } else {
            if (wasQuoted && !c.isSpace())
                return UnitsError {fileName, line, {}, QCoreApplication::translate("line", "text after a closing quote")};
            if (!wasQuoted)
                field += c;
            if (!c.isSpace())
                any = true;
        }
    }
    if (quoted)
        return UnitsError {fileName, record.line, {}, QCoreApplication::translate("line", "a quote is not closed")};
    endRecord();
    return std::nullopt;
}

} // namespace

std::optional<UnitsError> parseUnits(const QByteArray &bytes, const QString &fileName, QStringList *header,
                                     QList<UnitRow> *rows)
{
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    const QString text = QString::fromUtf8(data);
    if (text.toUtf8() != data)
        return UnitsError {fileName, 0, {}, QCoreApplication::translate("line", "is not UTF-8 text")};
    QList<Record> records;
    if (auto error = splitRecords(text, fileName, &records))
        return error;
    if (records.isEmpty())
        return UnitsError {fileName, 1, {}, QCoreApplication::translate("line", "has no header of control names")};

    const Record &head = records.first();
    header->clear();
    for (const QString &name : head.fields) {
        const QString trimmed = name.trimmed();
        if (trimmed.isEmpty())
            return UnitsError {fileName, head.line, {}, QCoreApplication::translate("line", "the header has an empty column name")};
        if (header->contains(trimmed))
            return UnitsError {fileName, head.line, trimmed, QCoreApplication::translate("line", "named twice")};
        *header << trimmed;
    }
    const int labelColumn = int(header->indexOf(QStringLiteral("unit")));
    const int siteColumn = int(header->indexOf(QStringLiteral("site")));
    rows->clear();
    for (qsizetype r = 1; r < records.size(); ++r) {
        const Record &record = records.at(r);
        if (record.fields.size() != header->size())
            return UnitsError {fileName, record.line, {},
                               QCoreApplication::translate("line", "has %1 field(s), the header %2").arg(record.fields.size()).arg(header->size())};
        UnitRow row;
        row.line = record.line;
        for (int c = 0; c < header->size(); ++c) {
            if (c == labelColumn)
                row.label = record.fields.at(c).trimmed();
            else if (c == siteColumn)
                row.site = record.fields.at(c).trimmed();
            else
                row.values.append({header->at(c), record.fields.at(c)});
        }
        rows->append(row);
    }
    return std::nullopt;
}

std::optional<UnitRow> UnitQueue::take()
{
    if (!m_limited) {
        ++m_out;
        return UnitRow();
    }
    if (m_rows.isEmpty())
        return std::nullopt;
    ++m_out;
    return m_rows.takeFirst();
}

void UnitQueue::giveBack(const UnitRow &row)
{
    --m_out;
    if (m_limited)
        m_rows.prepend(row);
}

} // namespace line
