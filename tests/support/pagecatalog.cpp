#include "tests/support/pagecatalog.h"

#include "config/captionrule.h"
#include "ui/keyfilters.h"
#include "ui/pagecontrol.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

using namespace config;

namespace {

std::optional<FoundControl> readWidget(const PageControl &pages, const QString &name)
{
    auto *w = pages.findChild<QWidget *>(name);
    if (!w)
        return std::nullopt;
    FoundControl found;
    ControlInfo &info = found.info;
    if (auto *list = qobject_cast<QComboBox *>(w)) {
        info.kind = ControlInfo::List;
        for (int i = 0; i < list->count(); ++i)
            info.items << list->itemText(i);
    } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        info.kind = ControlInfo::Text;
        info.limit = typedLimit(edit);
    } else if (name.startsWith(QLatin1String("RadioButton"))) {
        info.kind = ControlInfo::Radio;
    } else if (!qobject_cast<QAbstractButton *>(w)) {
        return std::nullopt;
    }
    for (int i = 0; i < pages.count(); ++i) {
        if (pages.page(i)->isAncestorOf(w))
            info.page = i;
    }
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget()) {
        if (auto *g = qobject_cast<const QGroupBox *>(p)) {
            found.group = g->title().simplified();
            break;
        }
    }
    auto *button = qobject_cast<QAbstractButton *>(w);
    CaptionFacts facts{button != nullptr, button ? button->text() : QString(), w->toolTip(), w->geometry(), {}, found.group};
    for (const QLabel *label : w->parentWidget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
        facts.labels.append({label->geometry(), label->text()});
    info.caption = captionOf(facts);
    info.accessibleName = w->accessibleName();
    return found;
}

} // namespace

Catalog catalogOfPages(const PageControl &pages)
{
    QStringList titles;
    for (int i = 0; i < pages.count(); ++i)
        titles << pages.tabText(i);
    return Catalog(titles, [&pages](const QString &name) { return readWidget(pages, name); });
}
