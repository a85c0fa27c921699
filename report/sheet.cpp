#include "report/sheet.h"

#include "config/catalog.h"
#include "records/controlnames.h"
#include "records/controls.h"
#include "records/memorycontrols.h"
#include "records/records.h"
#include "records/startvalues.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
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

// The voice messages' grid: one column per event announced, one row per subscriber.
constexpr GridColumn kVoiceColumns[] = {
    {u"Постановка/Снятие", 81},
    {u"Питание + АКБ", 90},
    {u"Глушение GSM", 99},
};

// Secrets a masked sheet hides whole: the password every SMS command carries. (The
// subscribers' numbers and the keys keep their last three characters, to be told apart;
// the internet settings hold no password: an access point, a server and a port.)
const QStringList kWholeSecrets{QStringLiteral("Edit31")};

// Words the pages misspell, as the sheet prints them. The window keeps its own texts.
constexpr const char16_t *kSpelling[][2] = {
    {u"пород", u"порог"},
    {u"Доменое", u"Доменное"},
    {u"сообщениий", u"сообщений"},
    {u"Подверждение", u"Подтверждение"},
    {u"Работта", u"Работа"},
    {u"Милисикунды", u"Миллисекунды"},
};

// Captions the pages spread over a box and labels beside it, of which the page reader
// takes the first line or two: the whole caption.
constexpr const char16_t *kWholeCaptions[][2] = {
    {u"Подтверждение выполнения SMS", u"Подтверждение выполнения SMS-команд"},
    {u"Включать прослушивание после", u"Включать прослушивание после оповещения"},
};

// Options of one numbered input or output ("Вход 2: ...", "Выход 5") stand in the
// order of their numbers; the record's order mixes them.
int numberOf(const QString &caption)
{
    static const QRegularExpression numbered(QStringLiteral("^(?:Вход|Выход) (\\d+)(?::|$)"));
    const auto m = numbered.match(caption);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

void sortByNumber(QList<Row> &rows)
{
    QList<qsizetype> places;
    QList<Row> numbered;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (numberOf(rows[i].cells.value(0)) >= 0) {
            places << i;
            numbered << rows[i];
        }
    }
    std::stable_sort(numbered.begin(), numbered.end(), [](const Row &a, const Row &b) {
        return numberOf(a.cells.value(0)) < numberOf(b.cells.value(0));
    });
    for (qsizetype i = 0; i < places.size(); ++i)
        rows[places[i]] = numbered[i];
}

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
            for (const GridColumn &column : kVoiceColumns)
                m_table.insert(box(column.firstBox + k - 1), Table::Voice);
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
    enum class Table { None, Subscribers, Keys, SmsWords, Voice };

    Section section(const QList<const config::ControlInfo *> &controls)
    {
        Section s;
        s.title = m_catalog.pageTitle(controls.first()->page);
        // The page's options make one list, where its first option stands; each table
        // stands where its first control does.
        qsizetype optionsAt = -1;
        const auto options = [&]() -> QList<Row> & {
            if (optionsAt < 0) {
                optionsAt = s.blocks.size();
                s.blocks << Block{QString(), {QStringLiteral("Параметр"), QStringLiteral("Значение")}, {}, true};
            }
            return s.blocks[optionsAt].rows;
        };
        QList<Table> tablesDone;
        QList<int> setsDone;
        for (const config::ControlInfo *info : controls) {
            const Table table = m_table.value(info->name, Table::None);
            if (table != Table::None) {
                if (!tablesDone.contains(table)) {
                    tablesDone << table;
                    s.blocks << tableBlock(table);
                }
                continue;
            }
            if (info->kind == config::ControlInfo::Radio) {
                if (setsDone.contains(info->radioSet))
                    continue;
                setsDone << info->radioSet;
                options() << radioRow(*info, controls);
                continue;
            }
            options() << Row{{sheetCaption(info->caption), value(*info)}, m_c.enabled(info->name)};
        }
        if (optionsAt >= 0) {
            sortByNumber(s.blocks[optionsAt].rows);
            // Under a table the list needs a heading of its own.
            if (optionsAt > 0)
                s.blocks[optionsAt].heading = QStringLiteral("Параметры");
        }
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
            if (m_mask && kWholeSecrets.contains(info.name))
                return QString::fromUtf16(kHidden);
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
                chosen = sheetCaption(after(member->caption));
        }
        return Row{{sheetCaption(before(first.caption)), chosen}, inUse};
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
                b.rows << Row{{QString::number(k), info ? sheetCaption(info->caption) : QString(), textValue(m_c.text(names::smsEdit(k)))},
                              m_c.enabled(names::smsEdit(k))};
            }
            return b;
        }
        case Table::Voice: {
            Block b{QStringLiteral("Голосовые сообщения абонентам"), {QStringLiteral("Абонент")}, {}};
            for (const GridColumn &column : kVoiceColumns)
                b.columns << QString::fromUtf16(column.caption);
            for (int k = 1; k <= names::kPhones; ++k) {
                Row row{{QString::number(k)}, false};
                for (const GridColumn &column : kVoiceColumns) {
                    row.cells << yesNo(m_c.checked(box(column.firstBox + k - 1)));
                    row.inUse = row.inUse || m_c.enabled(box(column.firstBox + k - 1));
                }
                b.rows << row;
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

QString masked(const QString &text)
{
    if (text.size() <= 3)
        return text;
    return QString(text.size() - 3, QLatin1Char('*')) + text.right(3);
}

QString readFromController(int com, const QDateTime &at)
{
    return readFromController(QStringLiteral("COM%1").arg(com), at);
}

QString readFromController(const QString &port, const QDateTime &at)
{
    return QStringLiteral("Прочитано с контроллера (%1), %2").arg(port, at.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm")));
}

QString readFromFile(const QString &path)
{
    return QStringLiteral("Из файла %1").arg(QFileInfo(path).fileName());
}

QString changedInWindow(const QString &source)
{
    return source + QStringLiteral(", изменено в окне");
}

QString composedInWindow()
{
    return QStringLiteral("Составлено в окне конфигуратора");
}

QString sheetCaption(const QString &caption)
{
    QString out = caption.simplified();
    // The form's marks after a caption: the "*" before the USSD code, the "+" between
    // seconds and milliseconds, the colons of "Адрес сервера :".
    static const QRegularExpression trailingMark(QStringLiteral("[\\s,]*[*+#:]\\s*$"));
    for (qsizetype before = -1; before != out.size();) {
        before = out.size();
        out.remove(trailingMark);
    }
    for (const auto &[wrong, right] : kSpelling) {
        const QRegularExpression word(QStringLiteral("(?<!\\w)%1(?!\\w)").arg(QString::fromUtf16(wrong)),
                                      QRegularExpression::UseUnicodePropertiesOption);
        out.replace(word, QString::fromUtf16(right));
    }
    for (const auto &[cut, whole] : kWholeCaptions) {
        if (out.endsWith(QString::fromUtf16(cut)))
            out = out.chopped(QString::fromUtf16(cut).size()) + QString::fromUtf16(whole);
    }
    return out;
}

Sheet build(const config::Catalog &catalog, const Controls &controls, const Origin &origin)
{
    Sheet sheet;
    sheet.title = QStringLiteral("Конфигурация контроллера Tavrix");
    sheet.made = origin.made;
    sheet.source = origin.source;
    sheet.handover = origin.handover;
    sheet.version = origin.version;
    sheet.masked = origin.mask;
    sheet.fingerprint = fingerprint(recordOf(catalog, controls));
    sheet.sections = SheetBuilder(catalog, controls, origin.mask).sections();
    return sheet;
}

} // namespace report
