#include "cli/selftest.h"

#include "integrity/buildinfo.h"

#include <QCoreApplication>

namespace {

struct Selftest
{
    Q_DECLARE_TR_FUNCTIONS(Selftest)
};

} // namespace

int printSelftest(const shippedfiles::Report &report, QTextStream &out)
{
    out << Selftest::tr("tavrix-cli %1, commit %2").arg(buildinfo::version(), buildinfo::commit()) << '\n';
    if (!report.manifestFound) {
        out << Selftest::tr("The list of shipped files is missing: %1").arg(report.manifestPath) << '\n';
        out << Selftest::tr("Not checked: this copy cannot be told intact.") << '\n';
        out.flush();
        return 1;
    }
    if (!report.manifestProblem.isEmpty()) {
        out << Selftest::tr("The list of shipped files %1 is damaged: %2").arg(report.manifestPath, report.manifestProblem)
            << '\n';
        out.flush();
        return 1;
    }
    out << Selftest::tr("%n shipped file(s) checked against %1", nullptr, report.checked).arg(report.manifestPath) << '\n';
    for (const QString &path : report.missing)
        out << Selftest::tr("missing: %1").arg(path) << '\n';
    for (const QString &path : report.changed)
        out << Selftest::tr("changed: %1").arg(path) << '\n';
    for (const QString &path : report.foreignPlugins)
        out << Selftest::tr("not shipped, yet Qt would load it: %1").arg(path) << '\n';
    for (const QString &folder : report.systemPluginFolders)
        out << Selftest::tr("Qt plugins come from the system's packages in %1").arg(folder) << '\n';
    out << (report.intact() ? Selftest::tr("The program's files are intact.")
                            : Selftest::tr("The program's files are NOT intact."))
        << '\n';
    out.flush();
    return report.intact() ? 0 : 1;
}

int runSelftest(QTextStream &out)
{
    return printSelftest(shippedfiles::checkThisInstallation(), out);
}
