#pragma once

#include "config/configfile.h"
#include "config/writeplan.h"
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

    // The write onto a unit holding the settings record `held`.
    config::WritePlan plan(const QByteArray &held, const UnitRow &row) const { return config::planWrite(held, merged(row)); }

private:
    std::optional<UnitsError> checkRow(const UnitRow &row, const QString &unitsPath) const;

    const config::Catalog &m_catalog;
    QString m_templatePath;
    config::Configuration m_template;
    QList<UnitRow> m_rows;
    bool m_hasUnits = false;
};

} // namespace line
