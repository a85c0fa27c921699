#include "ui/pagesetup.h"

#include "ui_tabsheet1.h"
#include "ui_tabsheet10.h"
#include "ui_tabsheet11.h"
#include "ui_tabsheet2.h"
#include "ui_tabsheet3.h"
#include "ui_tabsheet4.h"
#include "ui_tabsheet5.h"
#include "ui_tabsheet7.h"
#include "ui_tabsheet8.h"
#include "ui_tabsheet9.h"

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <iterator>

namespace pages {
namespace {

template<typename Form>
QWidget *fromForm()
{
    auto *page = new QWidget;
    Form form;
    form.setupUi(page);
    return page;
}

struct PageDef
{
    const char *caption;
    QWidget *(*build)();
};

// Tab order; the sheet numbers are the pages' names and do not follow it.
const PageDef kPages[] = {
    {"Телефоны и SMS", fromForm<Ui::TabSheet1>},
    {"Настройки", fromForm<Ui::TabSheet2>},
    {"Входы", fromForm<Ui::TabSheet3>},
    {"Выходы", fromForm<Ui::TabSheet4>},
    {"Ключи Dallas", fromForm<Ui::TabSheet5>},
    {"Тексты SMS", fromForm<Ui::TabSheet9>},
    {"GPRS-канал", fromForm<Ui::TabSheet8>},
    {"Термометр", fromForm<Ui::TabSheet7>},
    {"Звуковые сообщения", fromForm<Ui::TabSheet11>},
    {"GSM-домофон", fromForm<Ui::TabSheet10>},
};

// An editable list's value is an item index, and only choosing an item gives one:
// text typed over the current item leaves no item selected (QComboBox would keep the
// old index), and with NoInsert the text never joins the list.
void keepTypedTextOffTheList(QComboBox *box)
{
    // Inline completion would show a whole item while the box holds no index.
    box->setCompleter(nullptr);
    QLineEdit *edit = box->lineEdit();
    QObject::connect(edit, &QLineEdit::textEdited, box, [box, edit](const QString &typed) {
        const int match = box->findText(typed, Qt::MatchExactly);
        if (match == box->currentIndex())
            return;
        if (match >= 0) {
            box->setCurrentIndex(match);
            return;
        }
        const int cursor = edit->cursorPosition();
        box->setCurrentIndex(-1); // this empties the edit: put the typed text back
        edit->setText(typed);
        edit->setCursorPosition(cursor);
    });
}

} // namespace

int count()
{
    return int(std::size(kPages));
}

QString caption(int index)
{
    return index >= 0 && index < count() ? QString::fromUtf8(kPages[index].caption) : QString();
}

QWidget *build(int index)
{
    QWidget *page = kPages[index].build();
    for (QComboBox *box : page->findChildren<QComboBox *>()) {
        if (box->isEditable())
            keepTypedTextOffTheList(box);
    }
    return page;
}

void fillTitleSwitches(QWidget *page, const QColor &pane)
{
    for (QCheckBox *box : page->findChildren<QCheckBox *>(Qt::FindDirectChildrenOnly)) {
        if (!box->autoFillBackground())
            continue;
        QPalette colours = box->palette();
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            colours.setColor(group, QPalette::Window, pane);
            colours.setColor(group, QPalette::Button, pane);
        }
        box->setPalette(colours);
    }
}

} // namespace pages
