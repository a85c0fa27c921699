#include "ui/pagecontrol.h"

#include "ui/accessiblenames.h"
#include "ui/pagesetup.h"
#include "ui/signalcolours.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QButtonGroup>
#include <QShortcut>
#include <QKeyEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWindow>
#include <QTimer>
#include <QImage>
#include <QPainter>
#include <QStackedWidget>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>

namespace {

constexpr int kStartPage = 7;
const QColor kHotCaption(0, 0, 255);

} // namespace

namespace {

// A screen reader says "tab" and whether it is the selected one, not "check box".
class PageTabAccessible : public QAccessibleWidget
{
public:
    explicit PageTabAccessible(PageTab *tab) : QAccessibleWidget(tab, QAccessible::PageTab) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<PageTab *>(widget())->text();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectable = true;
        s.selected = static_cast<PageTab *>(widget())->isChecked();
        return s;
    }
};

QAccessibleInterface *pageTabAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("PageTab") && object && object->isWidgetType())
        return new PageTabAccessible(static_cast<PageTab *>(object));
    return nullptr;
}

} // namespace

PageTab::PageTab(const QString &caption, int index, QWidget *parent)
    : QAbstractButton(parent), m_index(index)
{
    static const bool accessible = (QAccessible::installFactory(pageTabAccessible), true);
    Q_UNUSED(accessible);
    setText(caption);
    setCheckable(true);
    setFocusPolicy(Qt::ClickFocus);
    setFixedSize(PageControl::kTabWidth, PageControl::kTabHeight);
}

void PageTab::setRowPosition(int column, int columns)
{
    m_column = column;
    m_columns = columns;
    update();
}

QSize PageTab::sizeHint() const
{
    return {PageControl::kTabWidth, PageControl::kTabHeight};
}

void PageTab::setHot(bool hot)
{
    if (m_hot == hot)
        return;
    m_hot = hot;
    update();
}

void PageTab::enterEvent(QEnterEvent *event)
{
    m_hot = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PageTab::leaveEvent(QEvent *event)
{
    m_hot = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void PageTab::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionTab option;
    option.initFrom(this);
    option.shape = QTabBar::RoundedNorth;
    option.text = text();
    option.rect = rect();
    option.documentMode = false;
    if (m_columns == 1)
        option.position = QStyleOptionTab::OnlyOneTab;
    else if (m_column == 0)
        option.position = QStyleOptionTab::Beginning;
    else if (m_column == m_columns - 1)
        option.position = QStyleOptionTab::End;
    else
        option.position = QStyleOptionTab::Middle;
    option.state.setFlag(QStyle::State_Selected, isChecked());
    option.state.setFlag(QStyle::State_MouseOver, m_hot);
    option.state.setFlag(QStyle::State_HasFocus, hasFocus());
    painter.drawControl(QStyle::CE_TabBarTabShape, option);

    const QRect textRect = style()->subElementRect(QStyle::SE_TabBarTabText, &option, this);
    painter.setPen(m_hot ? readableColour(kHotCaption, palette())
                         : palette().color(QPalette::WindowText));
    painter.drawText(textRect, Qt::AlignCenter, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        const int advance = fontMetrics().horizontalAdvance(text());
        focus.rect = QRect(0, 0, advance + 6, fontMetrics().height() + 2);
        focus.rect.moveCenter(textRect.center());
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

PageControl::PageControl(QWidget *parent) : QWidget(parent)
{
    m_stack = new QStackedWidget(this);
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    for (int index = 0; index < pages::count(); ++index) {
        const QString caption = pages::caption(index);
        m_captions.push_back(caption);
        QWidget *page = pages::build(index);
        m_stack->addWidget(page);
        auto *tab = new PageTab(caption, index, this);
        tab->installEventFilter(this);
        // A screen reader names every control; Tab goes from the selected tab into its
        // page and through it in reading order.
        const QList<QWidget *> stops = accessible::nameControls(page);
        if (!stops.isEmpty())
            QWidget::setTabOrder(tab, stops.first());
        accessible::orderTabStops(stops);
        accessible::tabToTheChosenRadio(page);
        m_group->addButton(tab, index);
        m_tabs.push_back(tab);
    }
    connect(m_group, &QButtonGroup::idClicked, this, &PageControl::setCurrentIndex);
    // Ctrl+Tab and Ctrl+Shift+Tab change pages from anywhere in the window, the
    // connection bar included.
    auto *next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this, [this] { cyclePages(+1); });
    auto *previous = new QShortcut(this);
    previous->setKeys({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)});
    connect(previous, &QShortcut::activated, this, [this] { cyclePages(-1); });
    for (QShortcut *shortcut : {next, previous})
        shortcut->setContext(Qt::WindowShortcut);
    connect(m_stack, &QStackedWidget::currentChanged, this, &PageControl::currentChanged);
    fillTitleSwitchesWithThePane();
    setCurrentIndex(kStartPage);
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
    if (index < 0 || index >= count())
        return;
    m_tabs[size_t(index)]->setChecked(true);
    QAccessibleEvent selected(m_tabs[size_t(index)], QAccessible::Selection);
    QAccessible::updateAccessibility(&selected);
    // Only the selected tab is a Tab-key stop; the arrows move between tabs.
    for (PageTab *tab : m_tabs)
        tab->setFocusPolicy(tab->index() == index ? Qt::StrongFocus : Qt::ClickFocus);
    m_stack->setCurrentIndex(index);
    placeTabs();
}

QWidget *PageControl::page(int index) const
{
    return m_stack->widget(index);
}

QString PageControl::tabText(int index) const
{
    return index >= 0 && index < int(m_captions.size()) ? m_captions[size_t(index)] : QString();
}

PageTab *PageControl::tabButton(int index) const
{
    return index >= 0 && index < int(m_tabs.size()) ? m_tabs[size_t(index)] : nullptr;
}

int PageControl::rowCount() const
{
    return (int(m_tabs.size()) + kTabsPerRow - 1) / kTabsPerRow;
}

QRect PageControl::pageArea() const
{
    const int top = rowCount() * kTabHeight;
    return QRect(0, top, width(), height() - top);
}

void PageControl::refreshHover()
{
    QWindow *handle = window()->windowHandle();
    if (!handle || !isVisible())
        return;
    const QPoint global = QCursor::pos();
    const QPointF local = handle->mapFromGlobal(global);
    QMouseEvent move(QEvent::MouseMove, local, local, QPointF(global), Qt::NoButton,
                     QGuiApplication::mouseButtons(), QGuiApplication::keyboardModifiers());
    QCoreApplication::sendEvent(handle, &move);
}

void PageControl::placeTabs()
{
    const int rows = rowCount();
    const int selectedRow = currentIndex() >= 0 ? currentIndex() / kTabsPerRow : 0;
    for (PageTab *tab : m_tabs) {
        const int row = tab->index() / kTabsPerRow;
        const int column = tab->index() % kTabsPerRow;
        // Rows count outwards from the pages; the selected row trades places with row 0.
        int fromPage = row;
        if (row == selectedRow)
            fromPage = 0;
        else if (row == 0)
            fromPage = selectedRow;
        const int columns = qMin(kTabsPerRow, int(m_tabs.size()) - row * kTabsPerRow);
        tab->setRowPosition(column, columns);
        tab->move(2 + column * kTabWidth, (rows - 1 - fromPage) * kTabHeight);
    }
    for (PageTab *tab : m_tabs) {
        if (tab->index() / kTabsPerRow == selectedRow)
            tab->raise();
    }
    update();
    // Moving a row under a resting pointer brings no enter or leave events: once the
    // click that moved it is done, let the window find the tab under the pointer again.
    QTimer::singleShot(0, this, &PageControl::refreshHover);
}

void PageControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_stack->setGeometry(pageArea().adjusted(kFrame, kFrame, -kFrame, -kFrame));
    placeTabs();
}

QStyleOptionTabWidgetFrame PageControl::paneOption(const QRect &rect) const
{
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect;
    frame.shape = QTabBar::RoundedNorth;
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    return frame;
}

// The title switches' fill must be the pane's colour, which the style derives from the
// palette, so it is measured here from a drawn pane rather than fixed in the forms.
void PageControl::fillTitleSwitchesWithThePane()
{
    QImage image(48, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(palette().color(QPalette::Window));
    {
        QPainter painter(&image);
        const QStyleOptionTabWidgetFrame frame = paneOption(image.rect());
        style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
    }
    const QColor pane = image.pixelColor(image.rect().center());
    for (int i = 0; i < count(); ++i)
        pages::fillTitleSwitches(page(i), pane);
}

void PageControl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        fillTitleSwitchesWithThePane();
    QWidget::changeEvent(event);
}

void PageControl::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame = paneOption(pageArea());
    if (PageTab *tab = tabButton(currentIndex()))
        frame.selectedTabRect = tab->geometry().translated(0, -frame.rect.top());
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}

void PageControl::selectFromKeyboard(int index)
{
    index = qBound(0, index, count() - 1);
    setCurrentIndex(index);
    m_tabs[size_t(index)]->setFocus(Qt::TabFocusReason);
}

bool PageControl::eventFilter(QObject *watched, QEvent *event)
{
    auto *tab = qobject_cast<PageTab *>(watched);
    if (tab && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            switch (key->key()) {
            case Qt::Key_Left:
                selectFromKeyboard(currentIndex() - 1);
                return true;
            case Qt::Key_Right:
                selectFromKeyboard(currentIndex() + 1);
                return true;
            case Qt::Key_Home:
                selectFromKeyboard(0);
                return true;
            case Qt::Key_End:
                selectFromKeyboard(count() - 1);
                return true;
            case Qt::Key_Up:
            case Qt::Key_Down:
                return true; // a button group would move the focus off the selected tab
            default:
                break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PageControl::cyclePages(int step)
{
    if (count() < 2)
        return;
    QWidget *leaving = page(currentIndex());
    const bool focusLeaves = leaving && leaving->isAncestorOf(QApplication::focusWidget());
    setCurrentIndex((currentIndex() + step + count()) % count());
    // A control of the page that went keeps no hidden focus: the new page's tab takes it.
    if (focusLeaves)
        m_tabs[size_t(currentIndex())]->setFocus(Qt::TabFocusReason);
}

void PageControl::keyPressEvent(QKeyEvent *event)
{
    // Ctrl+Tab and Ctrl+Shift+Tab cycle the pages from anywhere inside the control,
    // as they do in QTabWidget; a focused control keeps its focus.
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (tab && (event->modifiers() & Qt::ControlModifier) && count() > 1) {
        const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        cyclePages(back ? -1 : +1);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
