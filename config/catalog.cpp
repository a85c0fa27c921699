#include "config/catalog.h"

#include "config/accessiblename.h"
#include "config/captionrule.h"

#include "records/blocks.h"
#include "records/controlnames.h"
#include "records/gprstail.h"
#include "records/controls.h"
#include "records/fieldmeaning.h"
#include "records/formstart.h"
#include "records/readable.h"
#include "records/recordmap.h"
#include "records/records.h"
#include "records/settingsfields.h"
#include "records/startvalues.h"
#include "translations/language.h"
#include "wire/wiretext.h"
#include "protocol/replies.h"
#include "protocol/replybuffer.h"
#include "protocol/settingsreply.h"

#include <QCoreApplication>
#include <QFile>
#include <QRect>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <memory>

namespace config {
namespace {

// Notes the names a decoder sets, first time only.
class OrderLog : public MemoryControls
{
public:
    explicit OrderLog(const MemoryControls &start) : MemoryControls(start) {}
    QStringList order;
    QSet<QString> noted;

    void setChecked(const QString &name, bool on) override { note(name); MemoryControls::setChecked(name, on); }
    void setIndex(const QString &name, int index) override { note(name); MemoryControls::setIndex(name, index); }
    void setText(const QString &name, const QString &text) override { note(name); MemoryControls::setText(name, text); }

private:
    void note(const QString &name)
    {
        if (!noted.contains(name)) {
            noted.insert(name);
            order << name;
        }
    }
};

QStringList readOrderOfTheRecord()
{
    const MemoryControls fresh = records::startControls();
    MemoryControls start = fresh; // building writes defaults back into boxes
    const QByteArray record = records::buildSettings(start);
    OrderLog log(fresh);
    records::applySettingsRecord(log, record);

    const QList<QStringList> sets = records::radioGroups();
    QHash<QString, int> setOf;
    for (int i = 0; i < sets.size(); ++i) {
        for (const QString &name : sets[i])
            setOf.insert(name, i);
    }
    QStringList order;
    QSet<QString> placed;
    const auto add = [&](const QString &name) {
        if (placed.contains(name))
            return;
        const int set = setOf.value(name, -1);
        for (const QString &member : set < 0 ? QStringList{name} : sets[set]) {
            placed.insert(member);
            order << member;
        }
    };
    for (const QString &name : log.order)
        add(name);
    for (const auto &[name, type] : records::codecControls()) {
        if (type != records::ControlType::Label)
            add(name);
    }
    return order;
}

// How a read shows a text box: from the field tables of the record and its blocks.
void setReadForm(ControlInfo &info)
{
    using Form = ControlInfo::ReadForm;
    static const QHash<QString, QPair<Form, int>> forms = [] {
        // The first rule that names a box is its rule.
        QHash<QString, QPair<Form, int>> out;
        const auto put = [&out](const QString &name, Form form, int slot) {
            if (!out.contains(name))
                out.insert(name, {form, slot});
        };
        for (int k = 1; k <= names::kPhones; ++k)
            put(names::phoneEdit(k), Form::UpToSpace, records::kPhoneWidth);
        for (int k = 1; k <= names::kSmsWords; ++k)
            put(names::smsEdit(k), Form::UpToSpace, records::kSmsWidth);
        for (int k = 1; k <= names::kKeys; ++k)
            put(names::keyEdit(k), Form::Whole, records::kKeyWidth);
        for (const records::Field &f : records::settingsFields()) {
            if (f.kind == records::FieldKind::Number && !f.controls.isEmpty())
                put(f.controls.first(), Form::Whole, f.width);
        }
        for (const char *quoted : {names::kApnEdit, names::kServerEdit, names::kPortEdit})
            put(QLatin1String(quoted), Form::Quoted, 0);
        return out;
    }();
    const auto it = forms.constFind(info.name);
    // Every text box of the record is one of the above; a new one must say how it reads.
    if (it == forms.cend())
        qFatal("configuration catalog: no read form for %s", qPrintable(info.name));
    info.readForm = it->first;
    info.slot = it->second;
}

// The code points of a text (a character outside the Basic Plane is one, not two halves).
QList<char32_t> codePoints(const QString &text)
{
    QList<char32_t> out;
    for (const uint cp : text.toUcs4())
        out << char32_t(cp);
    return out;
}

// Why a controller's record cannot carry the character, or nothing when it can.
std::optional<QString> uncarried(char32_t ch)
{
    if (ch == 0)
        return QCoreApplication::translate("config", "a zero byte ends the controller's record there");
    if (ch == '\r')
        return QCoreApplication::translate("config", "a carriage return ends the controller's reply");
    if (ch > 0xffff || wire::codeOf(QChar(char16_t(ch))) < 0)
        return QCoreApplication::translate("config", "the controller's Windows-1251 text has no such character");
    return std::nullopt;
}

// The item numbers a read can show, as a message names them: "-1 (nothing selected) or
// an item number from 0 to 9".
QString indexChoices(const QList<int> &readable)
{
    QList<int> items = readable;
    const bool none = items.removeAll(-1) > 0;
    QString out;
    if (!items.isEmpty()) {
        const bool run = items.last() - items.first() + 1 == items.size();
        out = run ? QCoreApplication::translate("config", "an item number from %1 to %2").arg(items.first()).arg(items.last())
                  : QCoreApplication::translate("config", "one of the item numbers %1").arg([&] {
                        QStringList numbers;
                        for (int i : items)
                            numbers << QString::number(i);
                        return numbers.join(QStringLiteral(", "));
                    }());
    }
    if (none)
        out = out.isEmpty() ? QCoreApplication::translate("config", "-1 (nothing selected)") : QCoreApplication::translate("config", "-1 (nothing selected) or ") + out;
    return out;
}

// A reply word inside a record makes every later read of it malformed: the first word
// the text holds, or nothing.
std::optional<QString> replyWordIn(const QString &text)
{
    for (const ReplyRow &row : kReplyTable) {
        if (text.contains(QLatin1String(row.word)))
            return QString::fromLatin1(row.word);
    }
    return std::nullopt;
}

// The pages in tab order, each with the form it is made from (the sheet numbers are
// the forms' names and do not follow the tabs).
const PageForm kPageForms[] = {
    {"Телефоны и SMS", "TabSheet1"},
    {"Настройки", "TabSheet2"},
    {"Входы", "TabSheet3"},
    {"Выходы", "TabSheet4"},
    {"Ключи Dallas", "TabSheet5"},
    {"Тексты SMS", "TabSheet9"},
    {"GPRS-канал", "TabSheet8"},
    {"Термометр", "TabSheet7"},
    {"Звуковые сообщения", "TabSheet11"},
    {"GSM-домофон", "TabSheet10"},
};

int pageOfForm(QLatin1String form)
{
    for (int i = 0; i < int(std::size(kPageForms)); ++i) {
        if (form == QLatin1String(kPageForms[i].form))
            return i;
    }
    return -1;
}

// What an edit box takes when its form sets no limit (QLineEdit's own).
constexpr int kDefaultMaxLength = 32767;

// The forms' widgets as the build read them, read as the window's pages are: the same
// caption rule over their recorded geometry.
class FormTable
{
public:
    FormTable()
    {
        for (int i = 0; i < records::kFormWidgetCount; ++i) {
            const records::FormWidget &w = records::kFormWidgets[i];
            m_byName.insert(QLatin1String(w.name), &w);
            if (QLatin1String(w.cls) == QLatin1String("QLabel"))
                m_labels[QLatin1String(w.parent)].append({rect(w), text(w.text)});
        }
        // Worked out from the same forms when the program was built.
        m_accessibleNames.reserve(records::kFormNameCount);
        for (int i = 0; i < records::kFormNameCount; ++i)
            m_accessibleNames.insert(QLatin1String(records::kFormNames[i].control), text(records::kFormNames[i].name));
    }

    std::optional<FoundControl> read(const QString &name) const
    {
        const records::FormWidget *w = find(name);
        if (!w)
            return std::nullopt;
        FoundControl found;
        ControlInfo &info = found.info;
        const QLatin1String cls(w->cls);
        if (cls == QLatin1String("QComboBox")) {
            info.kind = ControlInfo::List;
            if (*w->items)
                info.items = text(w->items).split(QLatin1Char('\n'));
        } else if (cls == QLatin1String("QLineEdit")) {
            info.kind = ControlInfo::Text;
            info.limit = w->maxLength >= 0 ? w->maxLength : kDefaultMaxLength;
        } else if (name.startsWith(QLatin1String("RadioButton"))) {
            info.kind = ControlInfo::Radio;
        } else if (!isButton(cls)) {
            return std::nullopt;
        }
        info.page = pageOfForm(QLatin1String(w->form));
        for (const records::FormWidget *p = find(text(w->parent)); p; p = find(text(p->parent))) {
            if (QLatin1String(p->cls) == QLatin1String("QGroupBox")) {
                found.group = text(p->title).simplified();
                break;
            }
        }
        const CaptionFacts facts{isButton(cls), text(w->text), text(w->toolTip), rect(*w),
                                 m_labels.value(QLatin1String(w->parent)), found.group};
        info.caption = captionOf(facts);
        info.accessibleName = m_accessibleNames.value(name);
        return found;
    }

private:
    static bool isButton(QLatin1String cls)
    {
        return cls == QLatin1String("QCheckBox") || cls == QLatin1String("QRadioButton")
               || cls == QLatin1String("QPushButton") || cls == QLatin1String("QToolButton");
    }
    static QString text(const char *utf8) { return QString::fromUtf8(utf8); }
    static QRect rect(const records::FormWidget &w) { return QRect(w.x, w.y, w.width, w.height); }
    const records::FormWidget *find(const QString &name) const { return m_byName.value(name); }

    QHash<QString, const records::FormWidget *> m_byName;
    QHash<QString, QList<NearbyLabel>> m_labels; // by parent
    QHash<QString, QString> m_accessibleNames;   // by control
};

QStringList formPageTitles()
{
    QStringList titles;
    for (const PageForm &page : pageForms())
        titles << QString::fromUtf8(page.title);
    return titles;
}

} // namespace

QStringList Catalog::readOrder()
{
    return readOrderOfTheRecord();
}

const QList<PageForm> &pageForms()
{
    static const QList<PageForm> pages(std::begin(kPageForms), std::end(kPageForms));
    return pages;
}

QString ControlInfo::description() const
{
    // The caption is the window's Russian; what the field carries is said in English
    // and would be a foreign half of what a Russian user reads.
    if (language::russian())
        return caption;
    if (meaning.isEmpty() || caption.isEmpty())
        return caption.isEmpty() ? meaning : caption;
    return caption + QStringLiteral(" — ") + meaning;
}

Catalog::Catalog()
    : Catalog(formPageTitles(), [forms = std::make_shared<const FormTable>()](const QString &name) { return forms->read(name); })
{
}

Catalog::Catalog(const QStringList &pageTitles, const ControlReader &read) : m_pageTitles(pageTitles)
{
    QStringList groups;
    for (const QString &name : readOrder()) {
        std::optional<FoundControl> found = read(name);
        if (!found)
            continue;
        found->info.name = name;
        add(found->info);
        groups.append(found->group);
    }
    finish(groups);
}

void Catalog::add(ControlInfo info)
{
    // "Page: meaning"; the page is known from the form.
    const QString meaning = records::meaningOf(info.name);
    info.meaning = meaning.mid(meaning.indexOf(QStringLiteral(": ")) + 1).trimmed();
    if (info.kind == ControlInfo::Text) {
        for (const EditBoxRule &rule : editBoxRules()) {
            if (info.name == QLatin1String(rule.edit))
                info.chars = rule.cls;
        }
        setReadForm(info);
    } else if (info.kind == ControlInfo::Radio) {
        static const QList<QStringList> sets = records::radioGroups();
        for (int s = 0; s < sets.size(); ++s) {
            if (sets[s].contains(info.name))
                info.radioSet = s;
        }
    }
    m_index.insert(info.name, int(m_controls.size()));
    m_controls.append(info);
}

void Catalog::finish(const QStringList &groups)
{
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

const QHash<QString, QList<int>> &Catalog::byText() const
{
    if (!m_byText) {
        QHash<QString, QList<int>> byText;
        for (int i = 0; i < m_controls.size(); ++i) {
            const ControlInfo &info = m_controls[i];
            for (const QString &text : {info.name, info.accessibleName, info.caption}) {
                QList<int> &named = byText[folded(text)];
                if (!text.isEmpty() && !named.contains(i))
                    named << i;
            }
        }
        m_byText = std::move(byText);
    }
    return *m_byText;
}

QString Catalog::folded(const QString &text)
{
    // As a person types it: any letter case, "е" for "ё", one space between words.
    return text.simplified().toCaseFolded().replace(QChar(u'ё'), QChar(u'е'));
}

const ControlInfo *Catalog::resolve(const QString &text, QString *several) const
{
    if (const ControlInfo *exact = find(text))
        return exact;
    const QList<int> named = byText().value(folded(text));
    if (named.size() == 1)
        return &m_controls[named.first()];
    if (several) {
        QStringList which;
        for (int i : named)
            which << QStringLiteral("%1 (%2: %3)").arg(m_controls[i].name, pageTitle(m_controls[i].page), m_controls[i].accessibleName);
        *several = which.join(QStringLiteral(", "));
    }
    return nullptr;
}

std::optional<FileError> Catalog::resolveNames(Configuration *cfg, const QString &fileName) const
{
    Configuration out;
    for (const Entry &e : cfg->entries()) {
        QString several;
        const ControlInfo *info = resolve(e.name, &several);
        if (!info && several.isEmpty())
            return FileError{fileName, e.line, QCoreApplication::translate("config", "%1 is not a configuration control").arg(excerpt(e.name))};
        if (!info)
            return FileError{fileName, e.line, QCoreApplication::translate("config", "\"%1\" names more than one control: %2; give the control name")
                                                   .arg(excerpt(e.name), several)};
        if (const Entry *first = out.find(info->name))
            return FileError{fileName, e.line,
                             QCoreApplication::translate("config", "%1 is given twice (first on line %2)")
                                 .arg(e.name == info->name ? info->name : QStringLiteral("%1 (%2)").arg(excerpt(e.name), info->name))
                                 .arg(first->line)};
        out.set(info->name, e.value, e.line);
    }
    *cfg = out;
    return std::nullopt;
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
            return QCoreApplication::translate("config", "%1 takes 0 or 1, not \"%2\"").arg(info.name, excerpt(value));
        return std::nullopt;
    case ControlInfo::List: {
        // What the list's decoder can make of any byte, "nothing selected" included.
        QList<int> readable = records::readableIndices(info.name);
        if (readable.isEmpty()) {
            for (int i = 0; i < info.items.size(); ++i)
                readable << i;
        }
        bool ok = false;
        const int i = value.toInt(&ok);
        if (!ok || !readable.contains(i))
            return QCoreApplication::translate("config", "%1 takes %2, not \"%3\"").arg(info.name, indexChoices(readable), excerpt(value));
        return std::nullopt;
    }
    case ControlInfo::Text: {
        // The characters first: the length message quotes the text. What may be typed
        // does not matter here: a controller may hold what no one could type.
        const QList<char32_t> chars = codePoints(value);
        const bool derived = records::readShowsCharactersOf(info.name);
        for (char32_t ch : chars) {
            if (const auto why = uncarried(ch))
                return QCoreApplication::translate("config", "%1 cannot hold %2: %3").arg(info.name, characterName(ch), *why);
            if (ch == ' ' && info.readForm == ControlInfo::ReadForm::UpToSpace)
                return QStringLiteral("%1 cannot hold a space: a read shows its slot only up to the first space "
                                      "(\"%2\" would come back as \"%3\")")
                    .arg(info.name, excerpt(value), excerpt(value.left(value.indexOf(QLatin1Char(' ')))));
            if (derived && !records::readCanShowCharacter(info.name, ch))
                return QCoreApplication::translate("config", "%1 cannot hold %2: no read of a controller shows it there")
                    .arg(info.name, characterName(ch));
        }
        if (const auto word = replyWordIn(value))
            return QCoreApplication::translate("config", "%1 cannot hold \"%2\": a record holding a reply word reads as a malformed reply")
                .arg(info.name, *word);
        switch (info.readForm) {
        case ControlInfo::ReadForm::UpToSpace:
            if (chars.size() > info.slot)
                return QCoreApplication::translate("config", "%1 takes at most %2 characters (its slot in the record), \"%3\" has %4")
                    .arg(info.name)
                    .arg(info.slot)
                    .arg(excerpt(value))
                    .arg(chars.size());
            break;
        case ControlInfo::ReadForm::Whole:
            if (chars.size() != info.slot)
                return QStringLiteral("%1 takes exactly %2 characters, as a read shows its slot in the record; "
                                      "\"%3\" has %4")
                    .arg(info.name)
                    .arg(info.slot)
                    .arg(excerpt(value))
                    .arg(chars.size());
            break;
        case ControlInfo::ReadForm::Quoted:
            break; // judged with the other internet texts, see quotedRefusal()
        }
        return std::nullopt;
    }
    }
    return std::nullopt;
}

// The access point, server and port stand in quotes at the record's end: the file's
// texts are put there as a controller's record has them and read back, so that a text
// whose quotes or separators a read would misplace, or a tail longer than a reply can
// be, is refused. Texts the file does not name keep the window's start values.
std::optional<FileError> Catalog::quotedRefusal(const Configuration &cfg, const QString &fileName) const
{
    const QStringList names{QLatin1String(names::kApnEdit), QLatin1String(names::kServerEdit),
                            QLatin1String(names::kPortEdit)};
    MemoryControls start = records::startControls();
    const QByteArray startRecord = records::buildSettings(start);
    QStringList texts;
    for (const QString &name : names)
        texts << (cfg.contains(name) ? cfg.value(name) : start.text(name));

    const QByteArray record = startRecord.left(records::kGprsOffset) + records::gprsTail(texts[0], texts[1], texts[2]);
    // The writer pads the tail with up to 41 spaces.
    const int reply = replyLength(Reply::Settings, record.size() + 41);
    if (reply > ReplyBuffer::kCapacity) {
        const Entry *longest = nullptr;
        for (const QString &name : names) {
            const Entry *e = cfg.find(name);
            if (e && (!longest || e->value.size() > longest->value.size()))
                longest = e;
        }
        return FileError{fileName, longest ? longest->line : 0,
                         QCoreApplication::translate("config", "the access point, server and port are too long: a "
                                                               "controller's reply would take %1 bytes, and holds at most %2")
                             .arg(reply)
                             .arg(ReplyBuffer::kCapacity)};
    }
    MemoryControls read = records::startControls();
    records::applySettingsRecord(read, record);
    for (const QString &name : names) {
        const Entry *e = cfg.find(name);
        if (e && read.text(name) != e->value)
            return FileError{fileName, e->line,
                             QCoreApplication::translate("config", "%1: a read never shows \"%2\" (its quotes and separators "
                                                                   "would be taken for the record's own; it would come back as \"%3\")")
                                 .arg(name, excerpt(e->value), excerpt(read.text(name)))};
    }
    const QString fault = settingsreply::fault(record + QByteArray(41, ' '));
    if (!fault.isEmpty()) {
        const Entry *e = nullptr;
        for (const QString &name : names) {
            if (!e)
                e = cfg.find(name);
        }
        return FileError{fileName, e ? e->line : 0,
                         QCoreApplication::translate("config", "the access point, server and port would make a record "
                                                               "that reads as malformed: %1")
                             .arg(fault)};
    }
    return std::nullopt;
}

std::optional<QString> Catalog::valueRefusal(const QString &name, const QString &value) const
{
    const ControlInfo *info = find(name);
    if (!info)
        return QCoreApplication::translate("config", "%1 is not a configuration control").arg(excerpt(name));
    if (auto reason = refusal(*info, value))
        return reason;
    if (info->kind == ControlInfo::Text && info->readForm == ControlInfo::ReadForm::Quoted) {
        Configuration one;
        one.set(name, value);
        if (auto error = quotedRefusal(one, QString()))
            return error->reason;
    }
    return std::nullopt;
}

std::optional<FileError> Catalog::check(const Configuration &cfg, const QString &fileName) const
{
    QHash<int, QList<const Entry *>> namedSets;
    for (const Entry &e : cfg.entries()) {
        const ControlInfo *info = find(e.name);
        if (!info)
            return FileError{fileName, e.line, QCoreApplication::translate("config", "%1 is not a configuration control").arg(excerpt(e.name))};
        if (const auto reason = refusal(*info, e.value))
            return FileError{fileName, e.line, *reason};
        if (info->kind == ControlInfo::Radio)
            namedSets[info->radioSet] << &e;
    }
    if (cfg.contains(QLatin1String(names::kApnEdit)) || cfg.contains(QLatin1String(names::kServerEdit))
        || cfg.contains(QLatin1String(names::kPortEdit))) {
        if (auto error = quotedRefusal(cfg, fileName))
            return error;
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
                             QCoreApplication::translate("config", "exactly one of the radio buttons %1 must be 1, the file has %2")
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
        bool ok = false;
        const int i = value.toInt(&ok);
        if (ok && i == -1)
            return QCoreApplication::translate("config", "-1 (nothing selected)");
        return i >= 0 && i < info.items.size() ? QStringLiteral("%1 (%2)").arg(canonical(info, value), info.items[i]) : value;
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

QString Catalog::canonical(const ControlInfo &info, const QString &value) const
{
    if (info.kind != ControlInfo::List)
        return value;
    bool ok = false;
    const int i = value.toInt(&ok);
    return ok ? QString::number(i) : value;
}

QList<Difference> Catalog::compare(const Configuration &a, const Configuration &b) const
{
    QList<Difference> out;
    for (const ControlInfo *info : byPage()) {
        const Entry *ea = a.find(info->name);
        const Entry *eb = b.find(info->name);
        if (!ea || !eb)
            continue;
        const QString va = canonical(*info, ea->value);
        const QString vb = canonical(*info, eb->value);
        if (va != vb)
            out.append({info, va, vb});
    }
    return out;
}

QList<Change> Catalog::changes(const Configuration &named, const Configuration &now) const
{
    QList<Change> out;
    for (const ControlInfo &info : m_controls) {
        const Entry *e = named.find(info.name);
        const Entry *held = now.find(info.name);
        if (e && held && canonical(info, e->value) != canonical(info, held->value))
            out.append({&info, e->value, held->value, e->line});
    }
    return out;
}

QList<Change> Catalog::applyNoting(Controls &c, const Configuration &cfg) const
{
    apply(c, cfg);
    return changes(cfg, capture(c));
}

QString Catalog::changeLine(const Change &change) const
{
    const ControlInfo &info = *change.control;
    QString where = pageTitle(info.page);
    if (!info.caption.isEmpty())
        where += QStringLiteral(": ") + info.caption;
    if (change.line > 0)
        where = QCoreApplication::translate("config", "line %1; ").arg(change.line) + where;
    return QCoreApplication::translate("config", "%1 %2 becomes %3 (%4)")
        .arg(info.name, excerpt(shown(info, change.named)), excerpt(shown(info, change.now)), where);
}

void Catalog::copy(const Controls &from, Controls &to) const
{
    // Radio buttons at 0 first, so that the one at 1 is not switched off by its set.
    for (const ControlInfo &info : m_controls) {
        if (info.kind == ControlInfo::Radio && !from.checked(info.name))
            to.setChecked(info.name, false);
    }
    for (const ControlInfo &info : m_controls) {
        switch (info.kind) {
        case ControlInfo::Check:
            to.setChecked(info.name, from.checked(info.name));
            break;
        case ControlInfo::Radio:
            if (from.checked(info.name))
                to.setChecked(info.name, true);
            break;
        case ControlInfo::List:
            to.setIndex(info.name, from.index(info.name));
            break;
        case ControlInfo::Text:
            to.setText(info.name, from.text(info.name));
            break;
        }
    }
}

std::optional<FileError> load(const QString &path, const Catalog &catalog, Configuration *out)
{
    QByteArray bytes;
    if (auto error = readFile(path, &bytes))
        return error;
    Configuration cfg;
    if (auto error = parse(bytes, path, &cfg))
        return error;
    if (auto error = catalog.resolveNames(&cfg, path))
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
