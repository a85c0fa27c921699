// The tab control of the main window: ten fixed-width tabs on two rows, the page it
// opens on, and changing pages with the mouse and the keyboard.

#include "ui/windowfont.h"
#include "app/tform1.h"
#include "ui/pagecontrol.h"

#include <QApplication>
#include <QCheckBox>
#include <QEnterEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList kCaptions = {"Телефоны и SMS", "Настройки",  "Входы",    "Выходы",
                               "Ключи Dallas",   "Тексты SMS", "GPRS-канал", "Термометр",
                               "Звуковые сообщения", "GSM-домофон"};
const QStringList kSheets = {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4",  "TabSheet5",
                             "TabSheet9", "TabSheet8", "TabSheet7", "TabSheet11", "TabSheet10"};

} // namespace

class TestPageControl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void tabsInOrder();
    void opensOnTheThermometerPage();
    void tabsWrapOntoTwoRowsOfFixedWidth();
    void clickSelectsAndBringsItsRowToThePage();
    void arrowsHomeEndMoveBetweenTabs_data();
    void arrowsHomeEndMoveBetweenTabs();
    void onlyTheSelectedTabIsATabStop();
    void ctrlTabCyclesPagesFromInsideAPage();
    void captionHighlightsUnderTheMouse();
    void highlightFollowsTheRowsWhenTheySwap();
    void codeThatSetsControlsLeavesThePage();

private:
    PageControl *pages() const { return m_form->pageControl(); }
    static int selectedCount(const PageControl *pc)
    {
        int n = 0;
        for (int i = 0; i < pc->count(); ++i)
            n += pc->tabButton(i)->isChecked();
        return n;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TForm1> m_form;
};

void TestPageControl::initTestCase()
{
    useWindowFont();
}

void TestPageControl::init()
{
    m_form = std::make_unique<TForm1>(PortMap(m_dir.path(), {}));
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestPageControl::cleanup()
{
    m_form.reset();
}

void TestPageControl::tabsInOrder()
{
    PageControl *pc = pages();
    QCOMPARE(pc->objectName(), QStringLiteral("PageControl1"));
    QCOMPARE(pc->geometry(), QRect(0, 202, 762, 378));
    QCOMPARE(pc->count(), kCaptions.size());
    for (int i = 0; i < pc->count(); ++i) {
        QCOMPARE(pc->tabText(i), kCaptions.at(i));
        QCOMPARE(pc->tabButton(i)->text(), kCaptions.at(i));
        QCOMPARE(pc->page(i)->objectName(), kSheets.at(i));
        // The caption is not cut off by the fixed tab width.
        QVERIFY(pc->tabButton(i)->fontMetrics().horizontalAdvance(kCaptions.at(i)) + 8
                <= PageControl::kTabWidth);
    }
    QCOMPARE(pc->tabText(pc->count()), QString());
    QVERIFY(!pc->tabButton(-1));
    QCOMPARE(pc->page(0)->size(), QSize(754, 322));
}

void TestPageControl::opensOnTheThermometerPage()
{
    PageControl *pc = pages();
    QCOMPARE(pc->currentIndex(), 7);
    QCOMPARE(pc->tabText(7), QStringLiteral("Термометр"));
    QVERIFY(pc->tabButton(7)->isChecked());
    QCOMPARE(selectedCount(pc), 1);
    QVERIFY(pc->page(7)->isVisible());
    QVERIFY(!pc->page(0)->isVisible());
    // Its row is the one next to the pages.
    QVERIFY(pc->tabButton(7)->y() > pc->tabButton(0)->y());
}

void TestPageControl::tabsWrapOntoTwoRowsOfFixedWidth()
{
    PageControl *pc = pages();
    QSet<int> rows;
    for (int i = 0; i < pc->count(); ++i) {
        QAbstractButton *tab = pc->tabButton(i);
        QCOMPARE(tab->width(), 151);
        rows.insert(tab->y());
        QCOMPARE(tab->y(), pc->tabButton(i / 5 * 5)->y()); // five to a row
        if (i % 5)
            QCOMPARE(tab->x(), pc->tabButton(i - 1)->x() + 151);
        QVERIFY(pc->rect().contains(tab->geometry()));
        // Tabs sit above the pages.
        QVERIFY(tab->geometry().bottom() < pc->page(0)->mapTo(pc, QPoint()).y());
    }
    QCOMPARE(rows.size(), 2);
}

void TestPageControl::clickSelectsAndBringsItsRowToThePage()
{
    PageControl *pc = pages();
    QSignalSpy changes(pc, &PageControl::currentChanged);
    const int lowerRow = pc->tabButton(7)->y();

    QTest::mouseClick(pc->tabButton(1), Qt::LeftButton);
    QCOMPARE(pc->currentIndex(), 1);
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.first().first().toInt(), 1);
    QVERIFY(pc->page(1)->isVisible());
    QVERIFY(!pc->page(7)->isVisible());
    QCOMPARE(selectedCount(pc), 1);
    QCOMPARE(pc->tabButton(1)->y(), lowerRow);
    QVERIFY(pc->tabButton(7)->y() < lowerRow);

    // Clicking the selected tab again changes nothing.
    QTest::mouseClick(pc->tabButton(1), Qt::LeftButton);
    QCOMPARE(pc->currentIndex(), 1);
    QCOMPARE(changes.size(), 1);
    QVERIFY(pc->tabButton(1)->isChecked());
}

void TestPageControl::arrowsHomeEndMoveBetweenTabs_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    QTest::newRow("right") << 7 << int(Qt::Key_Right) << 8;
    QTest::newRow("right across rows") << 4 << int(Qt::Key_Right) << 5;
    QTest::newRow("left") << 7 << int(Qt::Key_Left) << 6;
    QTest::newRow("left at first stays") << 0 << int(Qt::Key_Left) << 0;
    QTest::newRow("right at last stays") << 9 << int(Qt::Key_Right) << 9;
    QTest::newRow("home") << 7 << int(Qt::Key_Home) << 0;
    QTest::newRow("end") << 2 << int(Qt::Key_End) << 9;
    QTest::newRow("up does nothing") << 7 << int(Qt::Key_Up) << 7;
    QTest::newRow("down does nothing") << 2 << int(Qt::Key_Down) << 2;
}

void TestPageControl::arrowsHomeEndMoveBetweenTabs()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    QApplication::setActiveWindow(m_form.get());
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    PageControl *pc = pages();
    QTest::mouseClick(pc->tabButton(from), Qt::LeftButton);
    QCOMPARE(pc->currentIndex(), from);
    QTRY_VERIFY(pc->tabButton(from)->hasFocus());

    QTest::keyClick(pc->tabButton(from), Qt::Key(key));
    QCOMPARE(pc->currentIndex(), to);
    QVERIFY(pc->tabButton(to)->isChecked());
    QCOMPARE(selectedCount(pc), 1);
    QTRY_VERIFY(pc->tabButton(to)->hasFocus());
    QVERIFY(pc->page(to)->isVisible());
}

void TestPageControl::onlyTheSelectedTabIsATabStop()
{
    PageControl *pc = pages();
    for (int i = 0; i < pc->count(); ++i)
        QCOMPARE(bool(pc->tabButton(i)->focusPolicy() & Qt::TabFocus), i == 7);
    QTest::mouseClick(pc->tabButton(3), Qt::LeftButton);
    for (int i = 0; i < pc->count(); ++i)
        QCOMPARE(bool(pc->tabButton(i)->focusPolicy() & Qt::TabFocus), i == 3);
}

void TestPageControl::ctrlTabCyclesPagesFromInsideAPage()
{
    QApplication::setActiveWindow(m_form.get());
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    PageControl *pc = pages();
    QTest::mouseClick(pc->tabButton(0), Qt::LeftButton);
    auto *edit = m_form->control<QLineEdit>("Edit1");
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());

    QTest::keyClick(edit, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(pc->currentIndex(), 1);
    QCOMPARE(edit->text(), QStringLiteral("+380")); // the key is not typed into the box

    auto *box = m_form->control<QCheckBox>("CheckBox68");
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    QTest::keyClick(box, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(pc->currentIndex(), 0);
    QTest::keyClick(pc->tabButton(0), Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(pc->currentIndex(), 9); // wraps round
    QTest::keyClick(pc->tabButton(9), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(pc->currentIndex(), 0);
    QCOMPARE(selectedCount(pc), 1);
    QVERIFY(pc->tabButton(0)->isChecked());
}

void TestPageControl::highlightFollowsTheRowsWhenTheySwap()
{
    PageControl *pc = pages();
    pc->window()->show();
    QVERIFY(QTest::qWaitForWindowExposed(pc->window()));
    pc->setCurrentIndex(7);
    PageTab *back = pc->tabButton(2); // row of tabs 0-4, behind the selected row
    const QPoint centre = back->rect().center();
    QCursor::setPos(back->mapToGlobal(centre));
    if (QCursor::pos() != back->mapToGlobal(centre))
        QSKIP("this platform does not move the pointer");
    QTest::mouseMove(back, centre);
    QTRY_VERIFY(back->isHot());
    QTest::mouseClick(back, Qt::LeftButton, {}, centre); // its row moves next to the pages
    QCOMPARE(pc->currentIndex(), 2);
    auto hotTabs = [pc] {
        QList<int> hot;
        for (int i = 0; i < pc->count(); ++i) {
            if (pc->tabButton(i)->isHot())
                hot << i;
        }
        return hot;
    };
    // Tab 7 now sits under the pointer.
    QTRY_COMPARE(hotTabs(), QList<int>{7});
    // Moving off the tabs leaves none highlighted.
    QTest::mouseMove(pc->page(2), pc->page(2)->rect().center());
    QTRY_COMPARE(hotTabs(), QList<int>{});
}

void TestPageControl::captionHighlightsUnderTheMouse()
{
    PageTab *tab = pages()->tabButton(2);
    QVERIFY(!tab->isHot());
    const QPointF inside(10, 10);
    QEnterEvent enter(inside, tab->mapToGlobal(inside), tab->mapToGlobal(inside));
    QApplication::sendEvent(tab, &enter);
    QVERIFY(tab->isHot());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(tab, &leave);
    QVERIFY(!tab->isHot());

    // The highlight shows in the drawn caption: blue pixels only while hot.
    auto bluePixels = [tab] {
        const QImage image = tab->grab().toImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                n += c.blue() > 200 && c.red() < 80 && c.green() < 80;
            }
        return n;
    };
    QCOMPARE(bluePixels(), 0);
    QApplication::sendEvent(tab, &enter);
    QVERIFY(bluePixels() > 10);
    QApplication::sendEvent(tab, &leave);
}

void TestPageControl::codeThatSetsControlsLeavesThePage()
{
    // Only the user changes the page: a factory reset and a check box set from code
    // keep the page that is showing.
    m_form->Button1Click();
    m_form->control<QCheckBox>("CheckBox5")->setChecked(true);
    QCOMPARE(pages()->currentIndex(), 7);
    QVERIFY(pages()->page(7)->isVisible());
}

QTEST_MAIN(TestPageControl)
#include "tst_pagecontrol.moc"
