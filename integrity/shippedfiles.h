#pragma once

// Whether the installed copy is the one that was shipped: the list of every shipped file
// with its SHA-256, written when the package was made, checked against the disk, and the
// Qt plugins the programs will load checked against the same list.
#include <QList>
#include <QString>
#include <QStringList>

namespace shippedfiles {

// The list's name: beside the programs on Windows, in share/<package>/ on Linux.
inline constexpr char kManifestName[] = "tavrix-files.sha256";

struct Entry
{
    QByteArray sha256; // lower-case hex
    QString path;      // relative to the installation's root, '/' separated
};

// Reads the list (sha256sum's text form: "<hex>  <path>"). A line that is not of that
// form, a path leaving the root or a path named twice makes the whole list unusable.
bool parseManifest(const QByteArray &text, QList<Entry> *entries, QString *why);

// The list's text for the files, sorted by path: what packaging writes.
QByteArray formatManifest(QList<Entry> entries);

struct Report
{
    bool manifestFound = false;
    QString manifestPath;
    QString root;
    QString manifestProblem; // the list is there but unusable
    int checked = 0;
    QStringList missing;
    QStringList changed;
    // Plugins in a folder the programs load from, under the root, that were not shipped.
    QStringList foreignPlugins;
    // Plugin folders the programs load from that lie outside the installation (the
    // system's Qt on Linux); their files belong to the system's packages.
    QStringList systemPluginFolders;

    bool intact() const
    {
        return manifestFound && manifestProblem.isEmpty() && missing.isEmpty() && changed.isEmpty() &&
               foreignPlugins.isEmpty();
    }
};

// Checks the installation whose list is manifestPath and whose files lie below root;
// pluginFolders are the folders Qt loads plugins from (searched with their subfolders).
Report check(const QString &manifestPath, const QString &root, const QStringList &pluginFolders);

// Where the running program's list and root are: beside it, or ../share/<package>/.
struct Location
{
    QString manifest;
    QString root;
};
Location locate(const QString &applicationDir);

// The running program's own installation, with the plugin folder Qt will use.
Report checkThisInstallation();

// The About box's line: "файлы программы: целы" or what is not.
QString russianSummary(const Report &report);

} // namespace shippedfiles
