#include "report/sheet.h"

#include "config/catalog.h"
#include "protocol/records/controlnames.h"
#include "protocol/records/controls.h"
#include "protocol/records/memorycontrols.h"
#include "protocol/records/records.h"
#include "protocol/records/startvalues.h"

#include <QCryptographicHash>
#include <QHash>
#include <functional>

namespace report {

namespace {

// The columns of the subscribers' grids: the header above each column of nine boxes
// and the column's first box. The last is the arming-by-call column of its own group.
struct GridColumn
{
    const char16_t *caption;
    int firstBox;
};
constexpr GridColumn kSubscriberColumns[] = {
    {u"SMS: Тревога", 1},  {u"SMS: Постановка", 10}, {u"SMS: 220 В", 19},
    {u"SMS: АКБ", 28},     {u"SMS: Температура", 37}, {u"Постановка пустым звонком", 58},
};

QString box(int n)
{
    return QStringLiteral("CheckBox%1").arg(n);
}

QString yesNo(bool on)
{
    return QString::fromUtf16(on ? kYes : kNo);
}

const QString kEmpty = QStringLiteral("—");
const QString kNothingSelected = QStringLiteral("не выбрано");
const QString kErased = QStringLiteral("стёрт");

QString textValue(const QString &text)
{
    return text.isEmpty() ? kEmpty : text;
}

// A key the controller will hold as "no key": the erased code, or anything that is not
// a whole code (a write erases it).
bool erasedKey(const QString &code)
{
    return code.size() != 16 || code == QStringLiteral("FFFFFFFFFFFFFFFF");
}

// "Group: button" captions of a radio set: the group's title, and the button's own text.
QString before(const QString &caption)
{
    const qsizetype at = caption.indexOf(QStringLiteral(": "));
    return at < 0 ? caption : caption.left(at);
}

QString after(const QString &caption)
{
    const qsizetype at = caption.indexOf(QStringLiteral(": "));
    return at < 0 ? caption : caption.mid(at + 2);
}

class SheetBuilder
{
public:
    SheetBuilder(const config::Catalog &catalog, const Controls &controls, bool mask)
        : m_catalog(catalog), m_c(controls), m_mask(mask)
    {
        for (int k = 1; k <= names::kPhones; ++k) {
            m_table.insert(names::phoneEdit(k), Table::Subscribers);
            for (const GridColumn &column : kSubscriberColumns)
                m_table.insert(box(column.firstBox + k - 1), Table::Subscribers);
        }
        for (int k = 1; k <= names::kKeys; ++k)
            m_table.insert(names::keyEdit(k), Table::Keys);
        for (int k = 1; k <= names::kSmsWords; ++k)
            m_table.insert(names::smsEdit(k), Table::SmsWords);
    }

    QList<Section> sections()
    {
        QList<Section> out;
        QList<const config::ControlInfo *> page;
        const QList<const config::ControlInfo *> all = m_catalog.byPage();
        for (qsizetype i = 0; i < all.size(); ++i) {
            page << all[i];
            if (i + 1 == all.size() || all[i + 1]->page != all[i]->page) {
                out << section(page);
                page.clear();
            }
        }
        return out;
    }

private:
    enum class Table { None, Subscribers, Keys, SmsWords };

    Section section(const QList<const config::ControlInfo *> &controls)
    {
        Section s;
        s.title = m_catalog.pageTitle(controls.first()->page);
        Block options{QString(), {QStringLiteral("Параметр"), QStringLiteral("Значение")}, {}};
        const auto flush = [&] {
            if (!options.rows.isEmpty())
                s.blocks << options;
            options.rows.clear();
        };
        QList<Table> tablesDone;
        QList<int> setsDone;
        for (const config::ControlInfo *info : controls) {
            const Table table = m_table.value(info->name, Table::None);
            if (table != Table::None) {
                if (!tablesDone.contains(table)) {
                    tablesDone << table;
                    flush();
                    s.blocks << tableBlock(table);
                }
                continue;
            }
            if (info->kind == config::ControlInfo::Radio) {
                if (setsDone.contains(info->radioSet))
                    continue;
                setsDone << info->radioSet;
                options.rows << radioRow(*info, controls);
                continue;
            }
            options.rows << Row{{info->caption, value(*info)}, m_c.enabled(info->name)};
        }
        flush();
        return s;
    }

    QString value(const config::ControlInfo &info) const
    {
        switch (info.kind) {
        case config::ControlInfo::Check:
            return yesNo(m_c.checked(info.name));
        case config::ControlInfo::List: {
            const int i = m_c.index(info.name);
            return i >= 0 && i < info.items.size() ? info.items[i] : kNothingSelected;
        }
        case config::ControlInfo::Text:
            return textValue(m_c.text(info.name));
        case config::ControlInfo::Radio:
            break;
        }
        return yesNo(m_c.checked(info.name));
    }

    Row radioRow(const config::ControlInfo &first, const QList<const config::ControlInfo *> &page) const
    {
        QString chosen = kNothingSelected;
        bool inUse = false;
        for (const config::ControlInfo *member : page) {
            if (member->kind != config::ControlInfo::Radio || member->radioSet != first.radioSet)
                continue;
            inUse = inUse || m_c.enabled(member->name);
            if (m_c.checked(member->name))
                chosen = after(member->caption);
        }
        return Row{{before(first.caption), chosen}, inUse};
    }

    Block tableBlock(Table table) const
    {
        switch (table) {
        case Table::Subscribers: {
            Block b{QStringLiteral("Абоненты"), {QStringLiteral("Абонент"), QStringLiteral("Номер телефона")}, {}};
            for (const GridColumn &column : kSubscriberColumns)
                b.columns << QString::fromUtf16(column.caption);
            for (int k = 1; k <= names::kPhones; ++k) {
                const QString phone = m_c.text(names::phoneEdit(k));
                Row row{{QString::number(k), textValue(m_mask ? masked(phone) : phone)}, m_c.enabled(names::phoneEdit(k))};
                for (const GridColumn &column : kSubscriberColumns)
                    row.cells << yesNo(m_c.checked(box(column.firstBox + k - 1)));
                b.rows << row;
            }
            return b;
        }
        case Table::Keys: {
            Block b{QStringLiteral("Ключи"), {QStringLiteral("Ключ"), QStringLiteral("Код ключа")}, {}};
            for (int k = 1; k <= names::kKeys; ++k) {
                const QString code = m_c.text(names::keyEdit(k));
                const QString shown = erasedKey(code) ? kErased : m_mask ? masked(code) : code;
                b.rows << Row{{QString::number(k), shown}, m_c.enabled(names::keyEdit(k))};
            }
            return b;
        }
        case Table::SmsWords: {
            Block b{QStringLiteral("Слова SMS"), {QStringLiteral("№"), QStringLiteral("Назначение"), QStringLiteral("Слово")}, {}};
            for (int k = 1; k <= names::kSmsWords; ++k) {
                const config::ControlInfo *info = m_catalog.find(names::smsEdit(k));
                b.rows << Row{{QString::number(k), info ? info->caption : QString(), textValue(m_c.text(names::smsEdit(k)))},
                              m_c.enabled(names::smsEdit(k))};
            }
            return b;
        }
        case Table::None:
            break;
        }
        return {};
    }

    const config::Catalog &m_catalog;
    const Controls &m_c;
    bool m_mask;
    QHash<QString, Table> m_table;
};

} // namespace

QString configuratorVersion()
{
    return QStringLiteral(TAVRIX_VERSION);
}

QString fingerprint(const QByteArray &record)
{
    return QString::fromLatin1(QCryptographicHash::hash(record, QCryptographicHash::Sha256).toHex().left(12));
}

QByteArray recordOf(const config::Catalog &catalog, const Controls &controls)
{
    MemoryControls copy = records::startControls();
    catalog.copy(controls, copy);
    return records::buildSettings(copy);
}

QString masked(const QString &text)
{
    if (text.size() <= 3)
        return text;
    return QString(text.size() - 3, QLatin1Char('*')) + text.right(3);
}

Sheet build(const config::Catalog &catalog, const Controls &controls, const Origin &origin)
{
    Sheet sheet;
    sheet.title = QStringLiteral("Конфигурация контроллера Tavrix");
    sheet.made = origin.made;
    sheet.source = origin.source;
    sheet.version = origin.version;
    sheet.masked = origin.mask;
    sheet.fingerprint = fingerprint(recordOf(catalog, controls));
    sheet.sections = SheetBuilder(catalog, controls, origin.mask).sections();
    return sheet;
}

} // namespace report
