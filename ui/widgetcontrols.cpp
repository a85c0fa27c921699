#include "ui/widgetcontrols.h"

#include "ui/keyfilters.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

WidgetControls::WidgetControls(QWidget *root)
{
    const auto all = root->findChildren<QWidget *>();
    for (QWidget *w : all) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
            continue;
        m_widgets.insert(name, w);
        if (auto *box = qobject_cast<QCheckBox *>(w)) {
            QObject::connect(box, &QCheckBox::toggled, box, [this, name](bool on) {
                // Observers may add observers or change other boxes: iterate a copy.
                const auto observers = m_observers;
                for (const auto &observer : observers)
                    observer(name, on);
            });
        }
    }
}

QWidget *WidgetControls::widgetNamed(const QString &name) const
{
    QWidget *w = m_widgets.value(name);
    if (!w)
        qWarning("WidgetControls: no control named %s", qPrintable(name));
    return w;
}

bool WidgetControls::has(const QString &name) const
{
    return m_widgets.value(name) != nullptr;
}

bool WidgetControls::checked(const QString &name) const
{
    auto *b = qobject_cast<QAbstractButton *>(widgetNamed(name));
    return b && b->isChecked();
}

void WidgetControls::setChecked(const QString &name, bool on)
{
    if (auto *b = qobject_cast<QAbstractButton *>(widgetNamed(name)))
        b->setChecked(on);
}

int WidgetControls::index(const QString &name) const
{
    auto *c = qobject_cast<QComboBox *>(widgetNamed(name));
    return c ? c->currentIndex() : -1;
}

void WidgetControls::setIndex(const QString &name, int index)
{
    if (auto *c = qobject_cast<QComboBox *>(widgetNamed(name)))
        c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1);
}

QString WidgetControls::text(const QString &name) const
{
    QWidget *w = widgetNamed(name);
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->text();
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->currentText();
    return {};
}

void WidgetControls::setText(const QString &name, const QString &text)
{
    QWidget *w = widgetNamed(name);
    if (auto *e = qobject_cast<QLineEdit *>(w)) {
        setTextWhole(e, text);
        return;
    }
    if (auto *l = qobject_cast<QLabel *>(w))
        l->setText(text);
    else if (auto *b = qobject_cast<QAbstractButton *>(w))
        b->setText(text);
    else if (auto *c = qobject_cast<QComboBox *>(w); c && c->isEditable())
        c->setEditText(text);
}

bool WidgetControls::enabled(const QString &name) const
{
    QWidget *w = widgetNamed(name);
    return w && w->isEnabled();
}

void WidgetControls::setEnabled(const QString &name, bool on)
{
    if (QWidget *w = widgetNamed(name))
        w->setEnabled(on);
}

void WidgetControls::addCheckObserver(CheckObserver observer)
{
    m_observers.push_back(std::move(observer));
}
