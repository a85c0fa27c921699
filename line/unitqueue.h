#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <optional>

namespace line {

// One unit's own values: a row of the units file.
struct UnitRow
{
    int line = 0;     // its line in the file (the header is line 1)
    QString label;    // the "unit" column, when the file has one
    QString site;     // the "site" column: the site book's NAME[/CONTROLLER] the unit goes to
    QList<QPair<QString, QString>> values; // control name, value, in column order
};

// Why the units file was refused; column is empty when the whole line is at fault.
struct UnitsError
{
    QString file;
    int line = 0;
    QString column;
    QString reason;

    QString message() const;
};

// A UTF-8 CSV file: a header of control names or of the names the window reads out for
// them (and optional "unit" and "site" columns), then one row per unit. Fields may be quoted ("" stands for a quote inside); a byte-order
// mark and CR LF line ends are taken as they come; blank lines are skipped.
std::optional<UnitsError> parseUnits(const QByteArray &bytes, const QString &fileName, QStringList *header,
                                     QList<UnitRow> *rows);

// The rows not yet used up, handed to units in order of arrival. A row taken is out
// until its unit passes (used up) or fails (back to the front, for the next unit).
class UnitQueue
{
public:
    // Without rows every unit gets the template alone, and the queue never runs out.
    UnitQueue() = default;
    explicit UnitQueue(QList<UnitRow> rows) : m_rows(std::move(rows)), m_limited(true) {}

    bool limited() const { return m_limited; }
    // Whether a unit may be given a row now.
    bool available() const { return !m_limited || !m_rows.isEmpty(); }
    // The next row (an empty row without a units file); nothing when none is left.
    std::optional<UnitRow> take();
    void giveBack(const UnitRow &row);
    void usedUp() { --m_out; }
    int left() const { return int(m_rows.size()); }
    int out() const { return m_out; }
    // No row is left and none is out: no unit can be served any more.
    bool exhausted() const { return m_limited && m_rows.isEmpty() && m_out == 0; }

private:
    QList<UnitRow> m_rows;
    bool m_limited = false;
    int m_out = 0;
};

} // namespace line
