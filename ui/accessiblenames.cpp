#include "ui/accessiblenames.h"

#include "config/accessiblename.h"
#include "ui/keyfilters.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <algorithm>

namespace accessible {
namespace {

// The class a form would give the widget, for the naming rule.
QString formClass(const QWidget *w)
{
    static const char *const kClasses[] = {"QCheckBox", "QRadioButton", "QPushButton", "QToolButton",
                                           "QComboBox", "QLineEdit",    "QLabel",      "QGroupBox"};
    for (const char *cls : kClasses) {
        if (w->inherits(cls))
            return QLatin1String(cls);
    }
    return QStringLiteral("QWidget");
}

bool isControl(const QWidget *w)
{
    return w->focusPolicy() != Qt::NoFocus && !w->isHidden() && !w->isWindow();
}

// The live page as a form: what is on the screen, with its place, down to the controls
// (what a control holds, an editable list's edit box, is part of the control).
class LivePage
{
public:
    explicit LivePage(QWidget *container)
    {
        add(container, QString());
    }

    const QList<config::PageWidget> &form() const { return m_form; }
    QWidget *widget(const QString &name) const { return m_widgets.value(name); }

private:
    void add(QWidget *w, const QString &parent)
    {
        // Every widget needs a name of its own to stand in the tree.
        QString name = w->objectName();
        if (name.isEmpty() || m_widgets.contains(name))
            name = QStringLiteral("#%1").arg(m_form.size());
        m_widgets.insert(name, w);
        config::PageWidget entry{name, formClass(w), parent, parent.isEmpty() ? w->rect() : w->geometry(), {}, {}, w->toolTip()};
        if (auto *label = qobject_cast<QLabel *>(w))
            entry.text = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            entry.text = button->text();
        else if (auto *group = qobject_cast<QGroupBox *>(w))
            entry.title = group->title();
        // Only what the keyboard reaches counts as a control, whatever its class.
        if (!parent.isEmpty() && !isControl(w) && (entry.cls != QLatin1String("QLabel") && entry.cls != QLatin1String("QGroupBox")))
            entry.cls = QStringLiteral("QWidget");
        m_form << entry;
        if (!parent.isEmpty() && isControl(w))
            return;
        for (QWidget *child : w->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!child->isHidden() && !child->isWindow())
                add(child, name);
        }
    }

    QList<config::PageWidget> m_form;
    QHash<QString, QWidget *> m_widgets;
};

} // namespace

QString gridName(const QString &controlName)
{
    return config::gridName(controlName);
}

QList<QWidget *> nameControls(QWidget *page)
{
    QHash<QString, QString> counters; // edit box → counter label
    for (const EditBoxRule &rule : editBoxRules()) {
        if (rule.counter)
            counters.insert(QLatin1String(rule.edit), QLatin1String(rule.counter));
    }
    const LivePage live(page);
    QList<QWidget *> ordered;
    for (const config::NamedControl &control : config::namedControls(live.form())) {
        QWidget *w = live.widget(control.control);
        ordered << w;
        w->setAccessibleName(control.name);
        // A list is known by its label on some desktops (its own name is the chosen
        // item): the label says the name too.
        if (auto *list = qobject_cast<QComboBox *>(w)) {
            if (auto *label = qobject_cast<QLabel *>(live.widget(control.label))) {
                label->setBuddy(list);
                label->setAccessibleName(control.name);
            }
        }
        if (auto *edit = qobject_cast<QLineEdit *>(w); edit && counters.contains(edit->objectName()))
            edit->setAccessibleDescription(QStringLiteral("Не более %1 символов").arg(typedLimit(edit)));
    }
    return ordered;
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

void orderTabStops(const QList<QWidget *> &controls)
{
    for (qsizetype i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1], controls[i]);
}

} // namespace accessible
