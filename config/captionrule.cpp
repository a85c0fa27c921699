#include "config/captionrule.h"

#include <QStringList>

namespace config {
namespace {

// A button's caption that goes on in a label just under its text ("Работает отправка SMS"
// / "и включение сирены"): the whole caption, or the button's own text alone.
QString continued(const CaptionFacts &b, const QString &own)
{
    for (const NearbyLabel &label : b.labels) {
        const QString text = label.text.simplified();
        if (!text.isEmpty() && text.front().isLower() && label.at.top() > b.at.bottom() - 2
            && label.at.top() <= b.at.bottom() + 4 && label.at.left() >= b.at.left()
            && label.at.left() <= b.at.left() + 2 * b.at.height())
            return own + QLatin1Char(' ') + text;
    }
    return own;
}

// A grid's box (or an edit box without a hint) has no caption of its own: the header
// above its column and the label to its left say what it is.
QString gridCaption(const CaptionFacts &w)
{
    const QRect box = w.at;
    const NearbyLabel *row = nullptr;
    const NearbyLabel *column = nullptr;
    for (const NearbyLabel &label : w.labels) {
        const QRect at = label.at;
        if (label.text.trimmed().isEmpty())
            continue;
        if (at.right() < box.left() && qAbs(at.center().y() - box.center().y()) <= box.height() / 2
            && (!row || at.right() > row->at.right()))
            row = &label;
        if (at.bottom() < box.top() && at.left() <= box.center().x() && at.right() >= box.center().x()
            && (!column || at.bottom() > column->at.bottom()))
            column = &label;
    }
    QStringList parts;
    for (const NearbyLabel *label : {column, row}) {
        if (label)
            parts << label->text.simplified();
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

QString captionOf(const CaptionFacts &facts)
{
    QString own;
    bool fromHint = false;
    if (facts.button) {
        own = facts.text.simplified();
        if (!own.isEmpty())
            own = continued(facts, own);
    }
    if (own.isEmpty()) {
        own = facts.toolTip.simplified();
        fromHint = true;
    }
    if (own.isEmpty()) {
        own = gridCaption(facts);
        fromHint = false;
    }
    const QString group = facts.group.simplified();
    if (own.isEmpty())
        return group;
    if (group.isEmpty() || fromHint)
        return own;
    return group + QStringLiteral(": ") + own;
}

} // namespace config
