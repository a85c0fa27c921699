#include "line/recipe.h"

#include "config/catalog.h"
#include "config/configform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>

namespace line {

Recipe::Recipe() : m_catalog(config::windowCatalog())
{
}

std::optional<UnitsError> Recipe::load(const QString &templatePath, const QString &unitsPath)
{
    config::Configuration loaded;
    if (const auto error = config::load(templatePath, m_catalog, &loaded))
        return UnitsError {error->file, error->line, {}, error->reason};

    QList<UnitRow> rows;
    if (!unitsPath.isEmpty()) {
        QByteArray bytes;
        if (const auto error = config::readFile(unitsPath, &bytes))
            return UnitsError {unitsPath, 0, {}, error->reason};
        QStringList header;
        if (auto error = parseUnits(bytes, unitsPath, &header, &rows))
            return error;
        // A column may name its control as the window reads it out; the rows go on
        // under the control names.
        QHash<QString, QString> controlOf;
        for (const QString &name : std::as_const(header)) {
            if (name == QLatin1String("unit") || name == QLatin1String("site"))
                continue;
            QString several;
            const config::ControlInfo *info = m_catalog.resolve(name, &several);
            if (!info && several.isEmpty())
                return UnitsError {unitsPath, 1, name, QCoreApplication::translate("line", "is not a configuration control")};
            if (!info)
                return UnitsError {unitsPath, 1, name, QCoreApplication::translate("line", "names more than one control: %1; give the control name").arg(several)};
            const QString first = controlOf.key(info->name);
            if (!first.isEmpty())
                return UnitsError {unitsPath, 1, name, QCoreApplication::translate("line", "names %1, as the column %2 does").arg(info->name, first)};
            controlOf.insert(name, info->name);
        }
        for (UnitRow &row : rows) {
            for (auto &cell : row.values)
                cell.first = controlOf.value(cell.first, cell.first);
        }
    }
    m_template = loaded;
    m_templatePath = templatePath;
    m_hasUnits = !unitsPath.isEmpty();
    for (const UnitRow &row : std::as_const(rows)) {
        if (auto error = checkRow(row, unitsPath)) {
            m_template = {};
            m_hasUnits = false;
            return error;
        }
    }
    m_rows = rows;
    return std::nullopt;
}

std::optional<UnitsError> Recipe::checkRow(const UnitRow &row, const QString &unitsPath) const
{
    // Each cell on its own first, so that the refusal names its column.
    for (const auto &[name, value] : row.values) {
        if (const auto reason = m_catalog.valueRefusal(name, value))
            return UnitsError {unitsPath, row.line, name, *reason};
    }
    // Then with the template, for what only the whole shows (one radio button of a set,
    // the quoted internet texts together).
    if (const auto error = m_catalog.check(merged(row), unitsPath)) {
        const int line = error->line ? error->line : row.line;
        if (line == row.line)
            return UnitsError {unitsPath, row.line, {}, error->reason};
        return UnitsError {m_templatePath, line, {},
                           QCoreApplication::translate("line", "%1 (with line %2 of %3)").arg(error->reason).arg(row.line).arg(unitsPath)};
    }
    return std::nullopt;
}

config::Configuration Recipe::merged(const UnitRow &row) const
{
    config::Configuration out;
    for (const config::Entry &e : m_template.entries()) {
        const auto own = std::find_if(row.values.begin(), row.values.end(),
                                      [&](const auto &cell) { return cell.first == e.name; });
        if (own != row.values.end())
            out.set(e.name, own->second, row.line);
        else
            out.set(e.name, e.value, e.line);
    }
    for (const auto &[name, value] : row.values) {
        if (!out.contains(name))
            out.set(name, value, row.line);
    }
    return out;
}

} // namespace line
