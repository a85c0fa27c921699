#pragma once

#include "config/configfile.h"
#include "rules/editboxrules.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <functional>
#include <optional>

class Controls;

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
    QString accessibleName; // what the window calls it for a screen reader ("Номер 3-го абонента")
    QString meaning;       // what its record field carries, in the codec's words
    QStringList items;     // list: the item texts
    int limit = 0;         // text: the most characters that may be typed
    std::optional<CharClass> chars; // text: what its key filter lets through
    int radioSet = -1;     // radio: which set it belongs to

    // Text: how a read of the settings record shows the field. A slot read up to its
    // first space shows at most `slot` characters; a number or key slot shows exactly
    // `slot`; the quoted internet texts show what stands between their quotes.
    enum class ReadForm { UpToSpace, Whole, Quoted };
    ReadForm readForm = ReadForm::Whole;
    int slot = 0;

    // The caption and, where known and the user's language is not Russian, the field's
    // meaning: "Время работы сирены — siren time, ...".
    QString description() const;
};

// A page of the window in tab order, and the form it is made from.
struct PageForm
{
    const char *title; // UTF-8, as its tab reads
    const char *form;  // the form's class
};
const QList<PageForm> &pageForms();

// One control whose values differ between two configurations.
struct Difference
{
    const ControlInfo *control;
    QString a;
    QString b;
};

// A value a file names that a configuration holds otherwise: after the file was
// applied, the pages' rules changed it (a column stays a run from its first box, a
// switch ticks its first input), or a write and read store it in another form.
struct Change
{
    const ControlInfo *control;
    QString named; // as the file has it
    QString now;   // as the configuration holds it
    int line = 0;  // the file's line; 0 when the value was made in memory
};

// A configuration control as a reader of the pages finds it: kind, page, caption, items
// and limit; and the title of the group box around it, which tells apart two controls of
// a page with one caption.
struct FoundControl
{
    ControlInfo info;
    QString group;
};
using ControlReader = std::function<std::optional<FoundControl>(const QString &name)>;

// Every configuration control with its kind, page, caption and limits, in the order a
// read of the settings record sets them.
class Catalog
{
public:
    // From the page forms as the build read them: no widget is made.
    Catalog();
    // From the pages' titles and a reader asked for each control in read order (one that
    // finds nothing leaves the control out); the catalog adds meanings, key classes and
    // read forms.
    Catalog(const QStringList &pageTitles, const ControlReader &read);

    const QList<ControlInfo> &controls() const { return m_controls; }
    const ControlInfo *find(const QString &name) const;

    // The control a person names: its control name, the name the window gives it for a
    // screen reader, or its caption as the sheet shows it; in any letter case, spaces
    // around it ignored. Nothing for a text that names no control or more than one; for
    // more than one, *several names them all ("Edit5 (page: name), Edit40 (...)").
    const ControlInfo *resolve(const QString &text, QString *several = nullptr) const;

    // The configuration with every entry under its control name (resolve()); refused
    // for a name that names no control or several, or a control named twice.
    std::optional<FileError> resolveNames(Configuration *cfg, const QString &fileName) const;
    QString pageTitle(int page) const { return m_pageTitles.value(page); }
    int pageCount() const { return int(m_pageTitles.size()); }

    // Refuses names that are no configuration control and values that no read of a
    // controller could show in the control: a text outside its slot's width or with a
    // character the record cannot carry, a list item its decoder never selects, a box
    // other than 0 or 1. A radio set that the file names needs exactly one button at 1.
    std::optional<FileError> check(const Configuration &cfg, const QString &fileName) const;

    // Why a read of a controller never shows the value in the control, or nothing when
    // one can: the rule of check() for one value (lists take what their decoder makes of
    // any byte, "nothing selected" as -1 included; texts what their slot and decoder give).
    std::optional<QString> valueRefusal(const QString &name, const QString &value) const;

    // A value in the form a read writes it: list items as plain numbers ("03" and "+3"
    // are item 3); every other value as it is.
    QString canonical(const ControlInfo &info, const QString &value) const;

    // Every control's value now.
    Configuration capture(const Controls &c) const;

    // Sets the controls the configuration names, in read order, so that the interlocks
    // run as after a read. Radio buttons at 0 are only there to be compared.
    void apply(Controls &c, const Configuration &cfg) const;

    // Applies the configuration as apply() does and returns the values it names that the
    // pages' rules changed on the way, in read order; empty when every named value
    // stands as named.
    QList<Change> applyNoting(Controls &c, const Configuration &cfg) const;

    // The values `named` holds that `now` holds otherwise (compared as values), in read
    // order. A name missing from `now` is no change.
    QList<Change> changes(const Configuration &named, const Configuration &now) const;

    // One change as a line: `Edit1 "" becomes "+380" (line 4; Телефоны и SMS: Номер 1-го
    // абонента)`.
    QString changeLine(const Change &change) const;

    // Sets every configuration control of `to` as `from` has it (no rules involved when
    // `to` has none): a copy to build a record from without touching the original.
    void copy(const Controls &from, Controls &to) const;

    // The file text: the format line, then one line per control grouped by page, under
    // its control name with its description() as the comment.
    QByteArray render(const Configuration &cfg) const;

    // Controls named in both whose values differ, grouped by page.
    QList<Difference> compare(const Configuration &a, const Configuration &b) const;

    // A value as a person reads it: list items with their text, texts quoted.
    QString shown(const ControlInfo &info, const QString &value) const;

    // The controls in page order (tab order, then read order within the page).
    QList<const ControlInfo *> byPage() const;

private:
    // The names in the order a read of the settings record sets them; a radio set
    // stands where its first button is set.
    static QStringList readOrder();
    static QString folded(const QString &text);
    void add(ControlInfo info);
    void finish(const QStringList &groups);
    std::optional<QString> refusal(const ControlInfo &info, const QString &value) const;
    std::optional<FileError> quotedRefusal(const Configuration &cfg, const QString &fileName) const;

    QList<ControlInfo> m_controls;
    QHash<QString, int> m_index;
    // A folded name, accessible name or caption -> controls. Only a file that names its
    // controls otherwise than the window does needs it: made at the first such name.
    const QHash<QString, QList<int>> &byText() const;
    mutable std::optional<QHash<QString, QList<int>>> m_byText;
    QStringList m_pageTitles;
};

// Reads and checks a file (at most kMaxFileBytes); nothing is returned for a file that
// is refused.
std::optional<FileError> load(const QString &path, const Catalog &catalog, Configuration *out);

// Writes the file whole or not at all; false with the reason in *error.
bool save(const QString &path, const QByteArray &text, QString *error);

} // namespace config
