#include "ui/pagecontrol.h"

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

#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

template<typename Form>
QWidget *buildPage()
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
    {"Телефоны и SMS", buildPage<Ui::TabSheet1>},
    {"Настройки", buildPage<Ui::TabSheet2>},
    {"Входы", buildPage<Ui::TabSheet3>},
    {"Выходы", buildPage<Ui::TabSheet4>},
    {"Ключи Dallas", buildPage<Ui::TabSheet5>},
    {"Тексты SMS", buildPage<Ui::TabSheet9>},
    {"GPRS-канал", buildPage<Ui::TabSheet8>},
    {"Термометр", buildPage<Ui::TabSheet7>},
    {"Звуковые сообщения", buildPage<Ui::TabSheet11>},
    {"GSM-домофон", buildPage<Ui::TabSheet10>},
};

constexpr int kStartPage = 7;

} // namespace

PageControl::PageControl(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_stack = new QStackedWidget(this);
    layout->addWidget(m_stack);
    for (const PageDef &def : kPages) {
        m_captions.push_back(QString::fromUtf8(def.caption));
        m_stack->addWidget(def.build());
    }
    connect(m_stack, &QStackedWidget::currentChanged, this, &PageControl::currentChanged);
    m_stack->setCurrentIndex(kStartPage);
}

int PageControl::count() const
{
    return m_stack->count();
}

int PageControl::currentIndex() const
{
    return m_stack->currentIndex();
}

void PageControl::setCurrentIndex(int index)
{
    m_stack->setCurrentIndex(index);
}

QWidget *PageControl::page(int index) const
{
    return m_stack->widget(index);
}

QString PageControl::tabText(int index) const
{
    return index >= 0 && index < int(m_captions.size()) ? m_captions[size_t(index)] : QString();
}
