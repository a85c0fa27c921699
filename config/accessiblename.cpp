#include "config/accessiblename.h"

#include <QMultiHash>
#include <QStringList>
#include <algorithm>

namespace config {
namespace {

// The grids: nine controls in a run of names, one per subscriber or key, each named
// from its row.
const struct
{
    const char *prefix;
    int first;
    const char *name; // %1: the row
} kGrids[] = {
    {"Edit", 1, "Номер %1-го абонента"},
    {"Edit", 10, "Код %1-го ключа"},
    {"CheckBox", 1, "SMS о тревоге — абонент %1"},
    {"CheckBox", 10, "SMS о постановке/снятии — абонент %1"},
    {"CheckBox", 19, "SMS о пропадании 220 В — абонент %1"},
    {"CheckBox", 28, "SMS о разряде АКБ — абонент %1"},
    {"CheckBox", 37, "SMS о температуре — абонент %1"},
    {"CheckBox", 58, "Постановка пустым звонком — абонент %1"},
    {"CheckBox", 81, "Голосом о постановке/снятии — абонент %1"},
    {"CheckBox", 90, "Голосом о питании и АКБ — абонент %1"},
    {"CheckBox", 99, "Голосом о глушении GSM — абонент %1"},
};
constexpr int kGridRows = 9;

// Controls in one row of the reading order start within this many pixels of each other.
constexpr int kRowTolerance = 24;

bool isButton(const QString &cls)
{
    return cls == QLatin1String("QCheckBox") || cls == QLatin1String("QRadioButton") || cls == QLatin1String("QPushButton")
           || cls == QLatin1String("QToolButton");
}

// What the keyboard reaches: labels, group boxes and plain containers take no focus.
bool reachable(const PageWidget &w)
{
    return isButton(w.cls) || w.cls == QLatin1String("QComboBox") || w.cls == QLatin1String("QLineEdit");
}

QString clean(QString text)
{
    text = text.simplified();
    while (text.endsWith(QLatin1Char(':')))
        text = text.chopped(1).trimmed();
    return text;
}

// A caption worth saying: at least one letter ("*", "#", a row number are not).
bool speaks(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

class Form
{
public:
    explicit Form(const QList<PageWidget> &widgets) : m_widgets(widgets)
    {
        for (int i = 0; i < m_widgets.size(); ++i) {
            m_byName.insert(m_widgets[i].name, i);
            m_children[m_widgets[i].parent] << i;
            if (m_widgets[i].cls == QLatin1String("QLabel") && speaks(m_widgets[i].text))
                m_labels[m_widgets[i].parent] << i;
        }
    }

    QList<NamedControl> named() const
    {
        QList<NamedControl> out;
        for (int i = 0; i < m_widgets.size(); ++i) {
            if (m_widgets[i].parent.isEmpty())
                out << namesOfPage(i);
        }
        return out;
    }

private:
    const PageWidget &at(int i) const { return m_widgets[i]; }
    int parentOf(int i) const { return m_byName.value(at(i).parent, -1); }

    QList<int> readingOrder(int container) const
    {
        // A container stands in the order where it stands on the page, with its own
        // controls in their order; one without any takes no place.
        struct Item
        {
            int widget;
            QList<int> inner;
        };
        QList<Item> items;
        for (int child : m_children.value(at(container).name)) {
            if (reachable(at(child)))
                items.append(Item{child, {}});
            else if (QList<int> inner = readingOrder(child); !inner.isEmpty())
                items.append(Item{child, std::move(inner)});
        }
        const auto y = [this](const Item &item) { return at(item.widget).at.y(); };
        std::stable_sort(items.begin(), items.end(), [&](const Item &a, const Item &b) { return y(a) < y(b); });
        QList<int> ordered;
        for (qsizetype start = 0; start < items.size();) {
            qsizetype end = start + 1;
            while (end < items.size() && y(items[end]) - y(items[start]) <= kRowTolerance)
                ++end;
            std::stable_sort(items.begin() + start, items.begin() + end,
                             [this](const Item &a, const Item &b) { return at(a.widget).at.x() < at(b.widget).at.x(); });
            for (qsizetype i = start; i < end; ++i) {
                if (reachable(at(items[i].widget)))
                    ordered << items[i].widget;
                else
                    ordered << items[i].inner;
            }
            start = end;
        }
        return ordered;
    }

    // The labels that say something beside a widget, in the same container.
    QList<int> labelsBeside(int w) const
    {
        return m_labels.value(at(w).parent);
    }

    // The lines a caption goes on with below it, indented under its text.
    QString continuation(int button) const
    {
        QString more;
        QRect last = at(button).at;
        int from = last.left() + 10;
        int to = last.left() + 30;
        for (bool found = true; found;) {
            found = false;
            for (int label : labelsBeside(button)) {
                const QRect g = at(label).at;
                if (g.left() >= from && g.left() <= to && g.top() >= last.top() + 8 && g.top() <= last.bottom() + 8) {
                    from = g.left() - 2;
                    to = g.left() + 2;
                    more += QLatin1Char(' ') + clean(at(label).text);
                    last = g;
                    found = true;
                    break;
                }
            }
        }
        return more;
    }

    // The label to the left on the same line, else the nearest one above it; -1 if none.
    int labelOf(int w) const
    {
        const QRect r = at(w).at;
        int beside = -1;
        int above = -1;
        for (int label : labelsBeside(w)) {
            const QRect g = at(label).at;
            if (g.right() <= r.left() + 2 && g.bottom() >= r.top() && g.top() <= r.bottom()
                && (beside < 0 || g.right() > at(beside).at.right()))
                beside = label;
            if (g.bottom() <= r.top() + 2 && r.top() - g.bottom() <= 24 && g.left() < r.right() && g.right() > r.left()
                && (above < 0 || g.bottom() > at(above).at.bottom()))
                above = label;
        }
        return beside >= 0 ? beside : above;
    }

    QString groupTitle(int w) const
    {
        int group = parentOf(w);
        while (group >= 0 && at(group).cls != QLatin1String("QGroupBox"))
            group = parentOf(group);
        if (group < 0)
            return {};
        if (const QString title = clean(at(group).title); speaks(title))
            return title;
        // A group whose title is a switch standing on its edge.
        const QRect edge = at(group).at;
        for (int b : m_children.value(at(group).parent)) {
            const QRect g = at(b).at;
            if (isButton(at(b).cls) && g.intersects(edge) && g.top() <= edge.top() + 4 && speaks(at(b).text))
                return clean(at(b).text);
        }
        return clean(at(group).toolTip);
    }

    QString nameFor(int w, int label) const
    {
        if (const QString grid = gridName(at(w).name); !grid.isEmpty())
            return grid;
        if (isButton(at(w).cls) && speaks(at(w).text))
            return clean(at(w).text + continuation(w)).remove(QLatin1Char('&'));
        QString name = label < 0 ? QString() : clean(at(label).text);
        // A label that begins in lower case goes on from its group's title ("дозвона").
        if (!name.isEmpty() && name.at(0).isLower()) {
            if (const QString title = groupTitle(w); !title.isEmpty())
                name = title + QLatin1Char(' ') + name;
        }
        if (name.isEmpty())
            name = clean(at(w).toolTip);
        if (name.isEmpty())
            name = groupTitle(w);
        return name;
    }

    QList<NamedControl> namesOfPage(int page) const
    {
        const QList<int> controls = readingOrder(page);
        QList<int> labels;
        QStringList names;
        for (int w : controls) {
            labels << labelOf(w);
            names << nameFor(w, labels.back());
        }
        // Names that repeat on the page say their group.
        for (qsizetype i = 0; i < controls.size(); ++i) {
            if (names.count(names[i]) < 2)
                continue;
            const QString repeated = names[i];
            for (qsizetype j = i; j < controls.size(); ++j) {
                if (names[j] == repeated) {
                    const QString title = groupTitle(controls[j]);
                    names[j] = title.isEmpty() ? repeated : repeated + QStringLiteral(" (") + title + QLatin1Char(')');
                }
            }
        }
        QList<NamedControl> out;
        for (qsizetype i = 0; i < controls.size(); ++i) {
            // Still the same: their place on the page tells them apart.
            if (names.count(names[i]) > 1) {
                const QString repeated = names[i];
                int n = 0;
                for (qsizetype j = i; j < controls.size(); ++j) {
                    if (names[j] == repeated)
                        names[j] = repeated + QStringLiteral(" %1").arg(++n);
                }
            }
            const int label = labels[i];
            out << NamedControl{at(controls[i]).name, names[i], label < 0 ? QString() : at(label).name};
        }
        return out;
    }

    QList<PageWidget> m_widgets;
    QHash<QString, int> m_byName;
    QHash<QString, QList<int>> m_children;
    QHash<QString, QList<int>> m_labels; // by parent
};

} // namespace

QList<NamedControl> namedControls(const QList<PageWidget> &form)
{
    return Form(form).named();
}

QHash<QString, QString> accessibleNames(const QList<PageWidget> &form)
{
    QHash<QString, QString> out;
    for (const NamedControl &control : namedControls(form))
        out.insert(control.control, control.name);
    return out;
}

QString gridName(const QString &controlName)
{
    // Latin letters, then a number: "Edit12", "CheckBox40".
    const auto latinLetter = [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    qsizetype split = controlName.size();
    while (split > 0 && digit(controlName.at(split - 1)))
        --split;
    const QStringView prefix = QStringView(controlName).left(split);
    if (prefix.isEmpty() || split == controlName.size() || !std::all_of(prefix.begin(), prefix.end(), latinLetter))
        return {};
    bool ok = false;
    const int number = QStringView(controlName).mid(split).toInt(&ok);
    if (!ok)
        return {};
    for (const auto &grid : kGrids) {
        if (prefix == QLatin1String(grid.prefix) && number >= grid.first && number < grid.first + kGridRows)
            return QString::fromUtf8(grid.name).arg(number - grid.first + 1);
    }
    return {};
}

} // namespace config
