#pragma once

// What a user would see as untidy on a page: a control outside its page or group box
// or on a group box's title line, two controls on top of each other. Shared by the page
// tests.

#include <QCheckBox>
#include <QGroupBox>
#include <QStringList>
#include <QWidget>

namespace pagelayout {

// The area a page's controls may use, under the tabs.
inline const QRect kPageRoom(0, 0, 754, 322);

inline bool isControl(const QWidget *w)
{
    return !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")) && !w->isHidden();
}

// A check box standing on its group box's top edge as the title: the one control that
// may lie over another (the group's frame).
inline bool isTitleSwitchOf(const QWidget *box, const QWidget *group)
{
    return qobject_cast<const QCheckBox *>(box) && qobject_cast<const QGroupBox *>(group)
        && box->autoFillBackground();
}

inline QStringList placementFaults(const QWidget *sheet)
{
    QStringList faults;
    QList<const QWidget *> parents{sheet};
    for (const QGroupBox *g : sheet->findChildren<QGroupBox *>())
        parents << g;
    for (const QWidget *parent : parents) {
        QList<const QWidget *> kids;
        for (const QObject *o : parent->children()) {
            auto *w = qobject_cast<const QWidget *>(o);
            if (w && isControl(w))
                kids << w;
        }
        // Inside a group box: within its frame and clear of its top line.
        const QRect room = qobject_cast<const QGroupBox *>(parent) ? parent->contentsRect().adjusted(0, 3, 0, 0)
                                                                   : kPageRoom;
        for (int i = 0; i < kids.size(); ++i) {
            if (!room.contains(kids[i]->geometry()))
                faults << QStringLiteral("%1 leaves %2").arg(kids[i]->objectName(), parent->objectName());
            for (int j = i + 1; j < kids.size(); ++j) {
                const QWidget *a = kids[i];
                const QWidget *b = kids[j];
                if (isTitleSwitchOf(a, b) || isTitleSwitchOf(b, a))
                    continue;
                if (a->geometry().intersects(b->geometry()))
                    faults << QStringLiteral("%1 overlaps %2").arg(a->objectName(), b->objectName());
            }
        }
    }
    return faults;
}

} // namespace pagelayout
