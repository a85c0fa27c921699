#pragma once

#include "config/configfile.h"
#include "line/unitqueue.h"

#include <QByteArray>
#include <QStringList>
#include <optional>

namespace config {
class Catalog;
}

namespace line {

// What every unit gets: the template, with its own row on top. Checked whole before
// any port is opened; applied onto what a unit holds exactly as a write of a file is.
// Needs a QApplication (the pages' rules run on hidden pages).
class Recipe
{
public:
    Recipe();

    // Reads and checks the template and (when unitsPath is not empty) the units file and
    // every row merged with the template. Nothing is kept when anything is refused.
    std::optional<UnitsError> load(const QString &templatePath, const QString &unitsPath);

    const QString &templatePath() const { return m_templatePath; }
    bool hasUnits() const { return m_hasUnits; }
    const QList<UnitRow> &rows() const { return m_rows; }
    const config::Configuration &templateConfiguration() const { return m_template; }

    // The template with the row's values in place of its own.
    config::Configuration merged(const UnitRow &row) const;

    struct Applied
    {
        QByteArray record;        // the settings record to write
        QStringList changes;      // controls whose value the write changes
        QStringList notes;        // values named that the rules or the record store otherwise
        QString fault;            // why the record must not be written; empty: it may
        QByteArray backup;        // the file text of what the unit holds
    };
    // `held` is the settings record the unit holds.
    Applied apply(const QByteArray &held, const UnitRow &row) const;

private:
    std::optional<UnitsError> checkRow(const UnitRow &row, const QString &unitsPath) const;

    const config::Catalog &m_catalog;
    QString m_templatePath;
    config::Configuration m_template;
    QList<UnitRow> m_rows;
    bool m_hasUnits = false;
};

} // namespace line
