#pragma once

#include "config/configfile.h"
#include "ui/keyfilters.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <optional>

class Controls;
class PageControl;

namespace config {

// One control that carries configuration: a field of the settings record or of one of
// its four blocks.
struct ControlInfo
{
    enum Kind { Check, Radio, List, Text };

    QString name;
    Kind kind = Check;
    int page = -1;         // tab index
    QString caption;       // what the control says on its page (its text, hint or group)
    QString meaning;       // what its record field carries, in the codec's words
    QStringList items;     // list: the item texts
    int limit = 0;         // text: the most characters that may be typed
    std::optional<CharClass> chars; // text: what its key filter lets through
    int radioSet = -1;     // radio: which set it belongs to

    // The caption and, where known, the field's meaning: "Время работы сирены — siren time, ...".
    QString description() const;
};

// One control whose values differ between two configurations.
struct Difference
{
    const ControlInfo *control;
    QString a;
    QString b;
};

// Every configuration control with its kind, page, caption and limits, in the order a
// read of the settings record sets them. Taken once from a set of pages; the catalog
// needs no widgets afterwards.
class Catalog
{
public:
    explicit Catalog(const PageControl &pages);

    const QList<ControlInfo> &controls() const { return m_controls; }
    const ControlInfo *find(const QString &name) const;
    QString pageTitle(int page) const { return m_pageTitles.value(page); }
    int pageCount() const { return int(m_pageTitles.size()); }

    // Refuses names that are no configuration control and values the control cannot
    // take; a radio set that the file names needs exactly one button at 1.
    std::optional<FileError> check(const Configuration &cfg, const QString &fileName) const;

    // Every control's value now.
    Configuration capture(const Controls &c) const;

    // Sets the controls the configuration names, in read order, so that the interlocks
    // run as after a read. Radio buttons at 0 are only there to be compared.
    void apply(Controls &c, const Configuration &cfg) const;

    // The file text: the format line, then one line per control grouped by page.
    QByteArray render(const Configuration &cfg) const;

    // Controls named in both whose values differ, grouped by page.
    QList<Difference> compare(const Configuration &a, const Configuration &b) const;

    // A value as a person reads it: list items with their text, texts quoted.
    QString shown(const ControlInfo &info, const QString &value) const;

    // The controls in page order (tab order, then read order within the page).
    QList<const ControlInfo *> byPage() const;

private:
    std::optional<QString> refusal(const ControlInfo &info, const QString &value) const;

    QList<ControlInfo> m_controls;
    QHash<QString, int> m_index;
    QStringList m_pageTitles;
};

// Reads and checks a file; nothing is returned for a file that is refused.
std::optional<FileError> load(const QString &path, const Catalog &catalog, Configuration *out);

// Writes the file whole or not at all; false with the reason in *error.
bool save(const QString &path, const QByteArray &text, QString *error);

} // namespace config
