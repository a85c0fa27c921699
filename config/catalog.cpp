#include "config/catalog.h"

#include "protocol/records/controls.h"
#include "protocol/records/fieldmeaning.h"
#include "protocol/records/records.h"
#include "protocol/records/settingsfields.h"
#include "protocol/records/startvalues.h"
#include "ui/pagecontrol.h"
#include "ui/widgetcontrols.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSaveFile>
#include <QSet>
#include <algorithm>

namespace config {
namespace {

// Notes the names a decoder sets, first time only.
class OrderLog : public MemoryControls
{
public:
    explicit OrderLog(const MemoryControls &start) : MemoryControls(start) {}
    QStringList order;

    void setChecked(const QString &name, bool on) override { note(name); MemoryControls::setChecked(name, on); }
    void setIndex(const QString &name, int index) override { note(name); MemoryControls::setIndex(name, index); }
    void setText(const QString &name, const QString &text) override { note(name); MemoryControls::setText(name, text); }

private:
    void note(const QString &name)
    {
        if (!order.contains(name))
            order << name;
    }
};

// The names in the order a read of the settings record sets them; a radio set stands
// where its first button is set.
QStringList readOrder()
{
    MemoryControls start = records::startControls();
    const QByteArray record = "READ_SET_" + records::buildSettings(start) + '\r';
    OrderLog log(records::startControls());
    records::applySettings(log, record, 9);

    const QList<QStringList> sets = records::radioGroups();
    QStringList order;
    const auto add = [&](const QString &name) {
        if (order.contains(name))
            return;
        for (const QStringList &set : sets) {
            if (set.contains(name)) {
                order += set;
                return;
            }
        }
        order << name;
    };
    for (const QString &name : log.order)
        add(name);
    for (const auto &[name, type] : records::codecControls()) {
        if (type != records::ControlType::Label)
            add(name);
    }
    return order;
}

// A grid's box (or an edit box without a hint) has no caption of its own: the header
// above its column and the label to its left say what it is.
QString gridCaption(const QWidget *w)
{
    const QRect box = w->geometry();
    const QLabel *row = nullptr;
    const QLabel *column = nullptr;
    for (const QLabel *label : w->parentWidget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        const QRect at = label->geometry();
        if (label->text().trimmed().isEmpty())
            continue;
        if (at.right() < box.left() && qAbs(at.center().y() - box.center().y()) <= box.height() / 2
            && (!row || at.right() > row->geometry().right()))
            row = label;
        if (at.bottom() < box.top() && at.left() <= box.center().x() && at.right() >= box.center().x()
            && (!column || at.bottom() > column->geometry().bottom()))
            column = label;
    }
    QStringList parts;
    for (const QLabel *label : {column, row}) {
        if (label)
            parts << label->text().simplified();
    }
    return parts.join(QStringLiteral(", "));
}

// A button's caption that goes on in a label just under its text ("Работает отправка SMS"
// / "и включение сирены"): the whole caption, or the button's own text alone.
QString continued(const QAbstractButton *b, const QString &own)
{
    const QRect box = b->geometry();
    for (const QLabel *label : b->parentWidget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        const QRect at = label->geometry();
        const QString text = label->text().simplified();
        if (!text.isEmpty() && text.front().isLower() && at.top() > box.bottom() - 2 && at.top() <= box.bottom() + 4
            && at.left() >= box.left() && at.left() <= box.left() + 2 * box.height())
            return own + QLatin1Char(' ') + text;
    }
    return own;
}

// What the control says on its page; *group gets the title of the group box it is in.
QString captionOf(const QWidget *w, QString *group)
{
    QString own;
    bool fromHint = false;
    if (auto *b = qobject_cast<const QAbstractButton *>(w)) {
        own = b->text().simplified();
        if (!own.isEmpty())
            own = continued(b, own);
    }
    if (own.isEmpty()) {
        own = w->toolTip().simplified();
        fromHint = true;
    }
    if (own.isEmpty()) {
        own = gridCaption(w);
        fromHint = false;
    }
    group->clear();
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget()) {
        if (auto *g = qobject_cast<const QGroupBox *>(p)) {
            *group = g->title().simplified();
            break;
        }
    }
    if (own.isEmpty())
        return *group;
    if (group->isEmpty() || fromHint)
        return own;
    return *group + QStringLiteral(": ") + own;
}

} // namespace

QString ControlInfo::description() const
{
    if (meaning.isEmpty() || caption.isEmpty())
        return caption.isEmpty() ? meaning : caption;
    return caption + QStringLiteral(" — ") + meaning;
}

Catalog::Catalog(const PageControl &pages)
{
    for (int i = 0; i < pages.count(); ++i)
        m_pageTitles << pages.tabText(i);

    const QList<QStringList> sets = records::radioGroups();
    QStringList groups;
    for (const QString &name : readOrder()) {
        auto *w = pages.findChild<QWidget *>(name);
        if (!w)
            continue;
        ControlInfo info;
        info.name = name;
        QString group;
        info.caption = captionOf(w, &group);
        // "Page: meaning"; the page is known from the widget.
        const QString meaning = records::meaningOf(name);
        info.meaning = meaning.mid(meaning.indexOf(QStringLiteral(": ")) + 1).trimmed();
        for (int i = 0; i < pages.count(); ++i) {
            if (pages.page(i)->isAncestorOf(w))
                info.page = i;
        }
        if (auto *list = qobject_cast<QComboBox *>(w)) {
            info.kind = ControlInfo::List;
            for (int i = 0; i < list->count(); ++i)
                info.items << list->itemText(i);
        } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
            info.kind = ControlInfo::Text;
            info.limit = typedLimit(edit);
            for (const EditBoxRule &rule : editBoxRules()) {
                if (name == QLatin1String(rule.edit))
                    info.chars = rule.cls;
            }
        } else if (name.startsWith(QLatin1String("RadioButton"))) {
            info.kind = ControlInfo::Radio;
            for (int s = 0; s < sets.size(); ++s) {
                if (sets[s].contains(name))
                    info.radioSet = s;
            }
        } else if (qobject_cast<QAbstractButton *>(w)) {
            info.kind = ControlInfo::Check;
        } else {
            continue;
        }
        m_index.insert(name, int(m_controls.size()));
        m_controls.append(info);
        groups.append(group);
    }
    // Two controls of a page with one hint (the entry delays of two inputs) are told
    // apart by their group boxes.
    QHash<QPair<int, QString>, int> uses;
    for (const ControlInfo &info : std::as_const(m_controls))
        ++uses[{info.page, info.caption}];
    for (int i = 0; i < m_controls.size(); ++i) {
        ControlInfo &info = m_controls[i];
        if (uses.value({info.page, info.caption}) > 1 && !groups[i].isEmpty()
            && !info.caption.startsWith(groups[i] + QLatin1Char(':')))
            info.caption = groups[i] + QStringLiteral(": ") + info.caption;
    }
}

const ControlInfo *Catalog::find(const QString &name) const
{
    const auto it = m_index.constFind(name);
    return it == m_index.cend() ? nullptr : &m_controls[*it];
}

QList<const ControlInfo *> Catalog::byPage() const
{
    QList<const ControlInfo *> out;
    for (const ControlInfo &info : m_controls)
        out << &info;
    std::stable_sort(out.begin(), out.end(), [](const ControlInfo *a, const ControlInfo *b) { return a->page < b->page; });
    return out;
}

std::optional<QString> Catalog::refusal(const ControlInfo &info, const QString &value) const
{
    switch (info.kind) {
    case ControlInfo::Check:
    case ControlInfo::Radio:
        if (value != QLatin1String("0") && value != QLatin1String("1"))
            return QStringLiteral("%1 takes 0 or 1, not \"%2\"").arg(info.name, value);
        return std::nullopt;
    case ControlInfo::List: {
        bool ok = false;
        const int i = value.toInt(&ok);
        if (!ok || i < -1 || i >= info.items.size())
            return QStringLiteral("%1 takes an item number from 0 to %2 (or -1 for none), not \"%3\"")
                .arg(info.name)
                .arg(info.items.size() - 1)
                .arg(value);
        return std::nullopt;
    }
    case ControlInfo::Text:
        // The characters first: the length message quotes the text.
        if (info.chars) {
            for (QChar ch : value) {
                // Backspace is a key the filter lets through, never a character of the text.
                if (ch.unicode() == 8 || !inClass(*info.chars, ch))
                    return QStringLiteral("%1 cannot hold the character '%2' (its key filter refuses it)")
                        .arg(info.name, ch.isPrint() ? QString(ch) : QStringLiteral("U+%1").arg(ch.unicode(), 4, 16, QLatin1Char('0')));
            }
        }
        if (value.size() > info.limit)
            return QStringLiteral("%1 takes at most %2 characters, \"%3\" has %4")
                .arg(info.name)
                .arg(info.limit)
                .arg(value)
                .arg(value.size());
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<FileError> Catalog::check(const Configuration &cfg, const QString &fileName) const
{
    QHash<int, QList<const Entry *>> namedSets;
    for (const Entry &e : cfg.entries()) {
        const ControlInfo *info = find(e.name);
        if (!info)
            return FileError{fileName, e.line, QStringLiteral("%1 is not a configuration control").arg(e.name)};
        if (const auto reason = refusal(*info, e.value))
            return FileError{fileName, e.line, *reason};
        if (info->kind == ControlInfo::Radio)
            namedSets[info->radioSet] << &e;
    }
    for (const QList<const Entry *> &set : std::as_const(namedSets)) {
        const auto on = std::count_if(set.begin(), set.end(), [](const Entry *e) { return e->value == QLatin1String("1"); });
        if (on != 1) {
            const Entry *at = set.first();
            for (const Entry *e : set) {
                if (e->line > at->line)
                    at = e;
            }
            QStringList names;
            for (const Entry *e : set)
                names << e->name;
            return FileError{fileName, at->line,
                             QStringLiteral("exactly one of the radio buttons %1 must be 1, the file has %2")
                                 .arg(names.join(QStringLiteral(", ")))
                                 .arg(on)};
        }
    }
    return std::nullopt;
}

Configuration Catalog::capture(const Controls &c) const
{
    Configuration cfg;
    for (const ControlInfo &info : m_controls) {
        switch (info.kind) {
        case ControlInfo::Check:
        case ControlInfo::Radio:
            cfg.set(info.name, c.checked(info.name) ? QStringLiteral("1") : QStringLiteral("0"));
            break;
        case ControlInfo::List:
            cfg.set(info.name, QString::number(c.index(info.name)));
            break;
        case ControlInfo::Text:
            cfg.set(info.name, c.text(info.name));
            break;
        }
    }
    return cfg;
}

void Catalog::apply(Controls &c, const Configuration &cfg) const
{
    for (const ControlInfo &info : m_controls) {
        const Entry *e = cfg.find(info.name);
        if (!e)
            continue;
        switch (info.kind) {
        case ControlInfo::Check: {
            const bool on = e->value == QLatin1String("1");
            c.setChecked(info.name, on);
            // A switch whose dependents a read enables itself (no rule runs for it when its
            // state stays) gets them enabled here too.
            for (const records::Field &f : records::settingsFields()) {
                if (!f.enables.isEmpty() && f.controls.value(0) == info.name) {
                    for (const QString &name : f.enables)
                        c.setEnabled(name, on);
                }
            }
            break;
        }
        case ControlInfo::Radio:
            if (e->value == QLatin1String("1"))
                c.setChecked(info.name, true);
            break;
        case ControlInfo::List:
            c.setIndex(info.name, e->value.toInt());
            break;
        case ControlInfo::Text:
            c.setText(info.name, e->value);
            break;
        }
    }
}

QString Catalog::shown(const ControlInfo &info, const QString &value) const
{
    switch (info.kind) {
    case ControlInfo::List: {
        const int i = value.toInt();
        return i >= 0 && i < info.items.size() ? QStringLiteral("%1 (%2)").arg(value, info.items[i]) : value;
    }
    case ControlInfo::Text:
        return QLatin1Char('"') + value + QLatin1Char('"');
    default:
        return value;
    }
}

QByteArray Catalog::render(const Configuration &cfg) const
{
    constexpr int kCommentColumn = 32;
    QString out = QStringLiteral("# %1 %2\n").arg(QLatin1String(kFormatName)).arg(kFormatVersion);
    int page = -2;
    for (const ControlInfo *info : byPage()) {
        const Entry *e = cfg.find(info->name);
        if (!e)
            continue;
        if (info->page != page) {
            page = info->page;
            out += QStringLiteral("\n# %1\n").arg(pageTitle(page));
        }
        QString line = QStringLiteral("%1 = %2").arg(info->name, quoted(e->value));
        if (const QString about = info->description(); !about.isEmpty())
            line = line.leftJustified(kCommentColumn - 2) + QStringLiteral("  # ") + about;
        out += line + QLatin1Char('\n');
    }
    return out.toUtf8();
}

QList<Difference> Catalog::compare(const Configuration &a, const Configuration &b) const
{
    QList<Difference> out;
    for (const ControlInfo *info : byPage()) {
        const Entry *ea = a.find(info->name);
        const Entry *eb = b.find(info->name);
        if (ea && eb && ea->value != eb->value)
            out.append({info, ea->value, eb->value});
    }
    return out;
}

std::optional<FileError> load(const QString &path, const Catalog &catalog, Configuration *out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileError{path, 0, file.errorString()};
    Configuration cfg;
    if (auto error = parse(file.readAll(), path, &cfg))
        return error;
    if (auto error = catalog.check(cfg, path))
        return error;
    *out = cfg;
    return std::nullopt;
}

bool save(const QString &path, const QByteArray &text, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace config
