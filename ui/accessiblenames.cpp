#include "ui/accessiblenames.h"

#include "ui/keyfilters.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>

#include <algorithm>

namespace accessible {
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

QRect placeIn(const QWidget *w, const QWidget *page)
{
    return {w->mapTo(page, QPoint()), w->size()};
}

bool reachable(const QWidget *w)
{
    return w->focusPolicy() != Qt::NoFocus && !w->isHidden() && !w->isWindow();
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

QList<QLabel *> labelsBeside(const QWidget *w)
{
    QList<QLabel *> labels;
    if (QWidget *parent = w->parentWidget()) {
        for (QLabel *label : parent->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
            if (!label->isHidden() && speaks(label->text()))
                labels << label;
        }
    }
    return labels;
}

// The lines a caption goes on with below it, indented under its text.
QString continuation(const QAbstractButton *button)
{
    QString more;
    QRect last = button->geometry();
    // The first line sits under the caption's text, past the indicator; the next ones
    // under the first.
    int from = last.left() + 10;
    int to = last.left() + 30;
    for (bool found = true; found;) {
        found = false;
        for (QLabel *label : labelsBeside(button)) {
            const QRect g = label->geometry();
            if (g.left() >= from && g.left() <= to && g.top() >= last.top() + 8 && g.top() <= last.bottom() + 8) {
                from = g.left() - 2;
                to = g.left() + 2;
                more += QLatin1Char(' ') + clean(label->text());
                last = g;
                found = true;
                break;
            }
        }
    }
    return more;
}

// The label to the left on the same line, else the nearest one above it.
QLabel *labelOf(const QWidget *w)
{
    const QRect r = w->geometry();
    QLabel *best = nullptr;
    for (QLabel *label : labelsBeside(w)) {
        const QRect g = label->geometry();
        if (g.right() <= r.left() + 2 && g.bottom() >= r.top() && g.top() <= r.bottom()
            && (!best || g.right() > best->geometry().right()))
            best = label;
    }
    if (!best) {
        for (QLabel *label : labelsBeside(w)) {
            const QRect g = label->geometry();
            if (g.bottom() <= r.top() + 2 && r.top() - g.bottom() <= 24 && g.left() < r.right() && g.right() > r.left()
                && (!best || g.bottom() > best->geometry().bottom()))
                best = label;
        }
    }
    return best;
}

QString labelFor(const QWidget *w)
{
    const QLabel *label = labelOf(w);
    return label ? clean(label->text()) : QString();
}

const QGroupBox *groupOf(const QWidget *w)
{
    for (QWidget *p = w->parentWidget(); p; p = p->parentWidget()) {
        if (auto *group = qobject_cast<QGroupBox *>(p))
            return group;
    }
    return nullptr;
}

QString groupTitle(const QWidget *w)
{
    const QGroupBox *group = groupOf(w);
    if (!group)
        return {};
    if (const QString title = clean(group->title()); speaks(title))
        return title;
    // A group whose title is a switch standing on its edge.
    const QWidget *parent = group->parentWidget();
    for (QAbstractButton *b : parent ? parent->findChildren<QAbstractButton *>(Qt::FindDirectChildrenOnly)
                                     : QList<QAbstractButton *>{}) {
        const QRect g = b->geometry();
        if (g.intersects(group->geometry()) && g.top() <= group->geometry().top() + 4 && speaks(b->text()))
            return clean(b->text());
    }
    return clean(group->toolTip());
}

QString nameFor(QWidget *w)
{
    if (const QString grid = gridName(w->objectName()); !grid.isEmpty())
        return grid;
    if (auto *button = qobject_cast<QAbstractButton *>(w); button && speaks(button->text()))
        return clean(button->text() + continuation(button)).remove(QLatin1Char('&'));
    QString name = labelFor(w);
    // A label that begins in lower case goes on from its group's title ("дозвона").
    if (!name.isEmpty() && name.at(0).isLower()) {
        if (const QString title = groupTitle(w); !title.isEmpty())
            name = title + QLatin1Char(' ') + name;
    }
    if (name.isEmpty())
        name = clean(w->toolTip());
    if (name.isEmpty())
        name = groupTitle(w);
    return name;
}

} // namespace

QString gridName(const QString &controlName)
{
    static const QRegularExpression pattern(QStringLiteral("^([A-Za-z]+)(\\d+)$"));
    const QRegularExpressionMatch m = pattern.match(controlName);
    if (!m.hasMatch())
        return {};
    const int number = m.captured(2).toInt();
    for (const auto &grid : kGrids) {
        if (m.captured(1) == QLatin1String(grid.prefix) && number >= grid.first && number < grid.first + kGridRows)
            return QString::fromUtf8(grid.name).arg(number - grid.first + 1);
    }
    return {};
}

QList<QWidget *> readingOrder(QWidget *container)
{
    // The direct children that are controls or hold some, in rows.
    QList<QWidget *> items;
    for (QWidget *child : container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isHidden() || child->isWindow())
            continue;
        if (reachable(child) || !readingOrder(child).isEmpty())
            items << child;
    }
    std::stable_sort(items.begin(), items.end(), [](const QWidget *a, const QWidget *b) { return a->y() < b->y(); });
    QList<QWidget *> ordered;
    for (qsizetype start = 0; start < items.size();) {
        qsizetype end = start + 1;
        while (end < items.size() && items[end]->y() - items[start]->y() <= kRowTolerance)
            ++end;
        QList<QWidget *> row = items.mid(start, end - start);
        std::stable_sort(row.begin(), row.end(), [](const QWidget *a, const QWidget *b) { return a->x() < b->x(); });
        for (QWidget *w : row) {
            // A control is one stop, whatever it holds (an editable list its edit box).
            if (reachable(w))
                ordered << w;
            else
                ordered << readingOrder(w);
        }
        start = end;
    }
    return ordered;
}

void nameControls(QWidget *page)
{
    QHash<QString, QString> counters; // edit box → counter label
    for (const EditBoxRule &rule : editBoxRules()) {
        if (rule.counter)
            counters.insert(QLatin1String(rule.edit), QLatin1String(rule.counter));
    }
    const QList<QWidget *> controls = readingOrder(page);
    QList<QString> names;
    for (QWidget *w : controls)
        names << (w->accessibleName().isEmpty() ? nameFor(w) : w->accessibleName());
    // Names that repeat on the page (a mode in each input's group) say their group.
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
    for (qsizetype i = 0; i < controls.size(); ++i) {
        // Still the same (no group tells them apart): their place on the page does.
        if (names.count(names[i]) > 1) {
            const QString repeated = names[i];
            int n = 0;
            for (qsizetype j = i; j < controls.size(); ++j) {
                if (names[j] == repeated)
                    names[j] = repeated + QStringLiteral(" %1").arg(++n);
            }
        }
        controls[i]->setAccessibleName(names[i]);
        // A list is known by its label on some desktops (its own name is the chosen
        // item): the label says the name too.
        if (auto *list = qobject_cast<QComboBox *>(controls[i])) {
            if (QLabel *label = labelOf(list)) {
                label->setBuddy(list);
                label->setAccessibleName(names[i]);
            }
        }
        if (auto *edit = qobject_cast<QLineEdit *>(controls[i]); edit && counters.contains(edit->objectName()))
            edit->setAccessibleDescription(QStringLiteral("Не более %1 символов").arg(typedLimit(edit)));
    }
}

void tabToTheChosenRadio(QWidget *page)
{
    // Tab stops once in a set of radio buttons, at the chosen one, and the arrows
    // choose; left to Qt, the stop is whichever had the focus last.
    for (QRadioButton *radio : page->findChildren<QRadioButton *>()) {
        auto fix = [radio] {
            QWidget *parent = radio->parentWidget();
            const QList<QRadioButton *> set = parent->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly);
            const bool chosen = std::any_of(set.begin(), set.end(), [](auto *r) { return r->isChecked(); });
            for (QRadioButton *r : set)
                r->setFocusPolicy(!chosen || r->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
        };
        QObject::connect(radio, &QRadioButton::toggled, radio, fix);
        fix();
    }
}

void orderTabStops(QWidget *page)
{
    const QList<QWidget *> controls = readingOrder(page);
    for (qsizetype i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1], controls[i]);
}

} // namespace accessible
