#include "config/catalog.h"

#include "ui/keyfilters.h"
#include "ui/pagecontrol.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace config {
namespace {

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

Catalog::Catalog(const PageControl &pages)
{
    for (int i = 0; i < pages.count(); ++i)
        m_pageTitles << pages.tabText(i);

    QStringList groups;
    for (const QString &name : readOrder()) {
        auto *w = pages.findChild<QWidget *>(name);
        if (!w)
            continue;
        ControlInfo info;
        info.name = name;
        QString group;
        info.caption = captionOf(w, &group);
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
        } else if (name.startsWith(QLatin1String("RadioButton"))) {
            info.kind = ControlInfo::Radio;
        } else if (qobject_cast<QAbstractButton *>(w)) {
            info.kind = ControlInfo::Check;
        } else {
            continue;
        }
        add(info);
        groups.append(group);
    }
    finish(groups);
}

} // namespace config
