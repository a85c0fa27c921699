#pragma once

// How two controls of a page stand to each other, as a user reads the page: one above
// the other, side by side, or a label that carries on a caption. Shared by the page
// tests; positions are compared on the page, so nesting in group boxes does not matter.

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QWidget>
#include <QtTest>

namespace arrangement {

enum class Relation {
    Above,     // a wholly above b, the two sharing some width
    LeftOf,    // a wholly left of b, the two sharing some height
    Beside,    // a left of b on the same line (centres within 4 px)
    Continues, // b, a label, carries on a's caption: just under it, text under text
};

inline const char *name(Relation relation)
{
    switch (relation) {
    case Relation::Above: return "above";
    case Relation::LeftOf: return "left of";
    case Relation::Beside: return "beside";
    case Relation::Continues: return "continued by";
    }
    return "?";
}

struct Pair
{
    const char *a;
    Relation relation;
    const char *b;
};

inline QRect onPage(const QWidget *w, const QWidget *page)
{
    return QRect(w->mapTo(page, QPoint(0, 0)), w->size());
}

// The page rectangle in which a's caption is drawn.
inline QRect captionRect(const QWidget *w, const QWidget *page)
{
    QRect r;
    if (auto *g = qobject_cast<const QGroupBox *>(w)) {
        QStyleOptionGroupBox option;
        option.initFrom(g);
        option.text = g->title();
        option.lineWidth = 1;
        option.subControls = QStyle::SC_GroupBoxLabel;
        option.textAlignment = g->alignment();
        r = g->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, g);
    } else if (auto *b = qobject_cast<const QAbstractButton *>(w)) {
        QStyleOptionButton option;
        option.initFrom(b);
        option.text = b->text();
        const bool radio = qobject_cast<const QRadioButton *>(b);
        r = b->style()->subElementRect(radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents,
                                       &option, b);
        r.setTop(0);
        r.setBottom(b->height() - 1);
    } else {
        r = w->rect(); // a label: its text starts at its left edge
    }
    return r.translated(w->mapTo(page, QPoint(0, 0)));
}

// Empty when the pair stands as described, otherwise what is wrong.
inline QString check(const QWidget *a, Relation relation, const QWidget *b, const QWidget *page)
{
    const QRect ra = onPage(a, page);
    const QRect rb = onPage(b, page);
    const bool shareWidth = ra.left() <= rb.right() && rb.left() <= ra.right();
    const bool shareHeight = ra.top() <= rb.bottom() && rb.top() <= ra.bottom();
    switch (relation) {
    case Relation::Above:
        if (ra.bottom() >= rb.top())
            return QStringLiteral("not above");
        return shareWidth ? QString() : QStringLiteral("not in one column");
    case Relation::LeftOf:
        if (ra.right() >= rb.left())
            return QStringLiteral("not left of");
        return shareHeight ? QString() : QStringLiteral("not in one band");
    case Relation::Beside:
        if (ra.right() >= rb.left())
            return QStringLiteral("not left of");
        return qAbs(ra.center().y() - rb.center().y()) <= 4 ? QString() : QStringLiteral("not on one line");
    case Relation::Continues: {
        const QRect caption = captionRect(a, page);
        if (rb.top() < caption.bottom() - 3 || rb.top() > caption.bottom() + 8)
            return QStringLiteral("not just under the caption (%1 vs %2)").arg(rb.top()).arg(caption.bottom());
        // A group box's caption sits at its frame's edge; a label under it sits inside
        // the frame, a little in.
        const int inset = qobject_cast<const QGroupBox *>(a) ? 12 : 3;
        if (rb.left() < caption.left() - 3 || rb.left() > caption.left() + inset)
            return QStringLiteral("text not under text (%1 vs %2)").arg(rb.left()).arg(caption.left());
        return QString();
    }
    }
    return QStringLiteral("unknown relation");
}

// One data row per pair, named after it.
template<size_t N>
void addRows(const Pair (&pairs)[N])
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<Relation>("relation");
    QTest::addColumn<QString>("b");
    for (const Pair &p : pairs) {
        QTest::newRow(qPrintable(QStringLiteral("%1 %2 %3").arg(QLatin1String(p.a), QLatin1String(name(p.relation)),
                                                                QLatin1String(p.b))))
            << QString::fromLatin1(p.a) << p.relation << QString::fromLatin1(p.b);
    }
}

// The pair named a and b in window, both on one page; empty when it stands as described.
inline QString checkNamed(const QWidget *window, const QString &a, Relation relation, const QString &b)
{
    const auto *first = window->findChild<QWidget *>(a);
    const auto *second = window->findChild<QWidget *>(b);
    if (!first || !second)
        return QStringLiteral("missing");
    const QWidget *page = first->parentWidget();
    while (page && !page->objectName().startsWith(QLatin1String("TabSheet")))
        page = page->parentWidget();
    if (!page || !page->isAncestorOf(second))
        return QStringLiteral("not on one page");
    return check(first, relation, second, page);
}

} // namespace arrangement

Q_DECLARE_METATYPE(arrangement::Relation)
