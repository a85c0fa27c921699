// The status line and the counters on the real window: the pure red and blue on a light
// palette; on a dark one a lighter colour of the same hue that reads against the window,
// also when the desktop switches theme while the window is open.
#include "app/desktopidentity.h"
#include "app/tform1.h"
#include "tests/support/ptypeer.h"
#include "tests/support/recordingdesktop.h"
#include "ui/pagecontrol.h"
#include "ui/signalcolours.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestPalette : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void contrastRatio_data();
    void contrastRatio();
    void signalColoursSuitThePalette_data();
    void signalColoursSuitThePalette();
    void windowCarriesTheDesktopIdentity();

private:
    QPalette m_light;
};

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QString kConnected = QStringLiteral("Связь установлена");

QPalette darkPalette(const QColor &window, const QColor &button)
{
    QPalette palette(button.isValid() ? button : window, window);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        palette.setColor(role, Qt::white);
    return palette;
}

// The colour most of the widget's area shows in the window's picture: what its text
// stands on, whatever the style paints there.
QColor backdropOf(const QWidget *widget, const QImage &shot)
{
    const QRect area(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[shot.pixel(x, y)];
    QRgb most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > counts.value(most))
            most = it.key();
    return QColor(most);
}

// What is wrong with the widget's text colour for `pure` on its palette, if anything.
QString colourFault(const QWidget *widget, const QColor &pure, const QImage &shot)
{
    const QPalette &palette = widget->palette();
    const QColor shown = palette.color(QPalette::Active, QPalette::WindowText);
    const QColor window = palette.color(QPalette::Active, QPalette::Window);
    const QString where = widget->objectName() + QStringLiteral(" shows ") + shown.name() + QStringLiteral(" on ")
                          + window.name() + QStringLiteral(": ");
    if (palette.color(QPalette::Inactive, QPalette::WindowText) != shown)
        return where + QStringLiteral("inactive colour differs");
    if (window.lightnessF() >= 0.5)
        return shown == pure ? QString() : where + QStringLiteral("not the pure ") + pure.name();
    if (shown.hslHue() != pure.hslHue())
        return where + QStringLiteral("another hue than ") + pure.name();
    if (shown.lightnessF() <= pure.lightnessF())
        return where + QStringLiteral("not lighter than ") + pure.name();
    if (contrastRatio(shown, window) < 4.5)
        return where + QStringLiteral("contrast %1").arg(contrastRatio(shown, window));
    // The pane or frame under the text, where any colour can read on it.
    const QColor backdrop = backdropOf(widget, shot);
    if (contrastRatio(Qt::white, backdrop) >= 4.5 && contrastRatio(shown, backdrop) < 4.5)
        return where + QStringLiteral("contrast %1 with the %2 drawn under it")
                           .arg(contrastRatio(shown, backdrop))
                           .arg(backdrop.name());
    return {};
}

QList<QLabel *> counters(const TForm1 &form)
{
    static const QRegularExpression count(QStringLiteral("^\\d+/\\d+$"));
    QList<QLabel *> found;
    for (QLabel *label : form.findChildren<QLabel *>())
        if (count.match(label->text()).hasMatch())
            found << label;
    return found;
}

// Every counter and the status line show their colour as the palette asks, on the
// page each stands on.
QString windowFault(TForm1 &form, const QColor &status)
{
    const QList<QLabel *> all = counters(form);
    if (all.size() != 31)
        return QStringLiteral("%1 counters found").arg(all.size());
    PageControl *pages = form.pageControl();
    const int shownPage = pages->currentIndex();
    QString fault;
    for (int page = 0; page < pages->count() && fault.isEmpty(); ++page) {
        pages->setCurrentIndex(page);
        const QImage shot = form.grab().toImage();
        for (const QLabel *label : all)
            if (label->isVisibleTo(&form) && fault.isEmpty())
                fault = colourFault(label, kBlue, shot);
        if (fault.isEmpty())
            fault = colourFault(form.control<QLabel>("Label22"), status, shot);
    }
    pages->setCurrentIndex(shownPage);
    return fault;
}

} // namespace

void TestPalette::initTestCase()
{
    m_light = QApplication::palette();
    QVERIFY(!isDarkWindow(m_light.color(QPalette::Window)));
}

void TestPalette::cleanup()
{
    QApplication::setPalette(m_light);
}

void TestPalette::contrastRatio_data()
{
    QTest::addColumn<QColor>("a");
    QTest::addColumn<QColor>("b");
    QTest::addColumn<double>("ratio");
    QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
    QTest::newRow("same colour") << kBlue << kBlue << 1.0;
    QTest::newRow("red on black") << kRed << QColor(Qt::black) << 5.252;
    QTest::newRow("blue on white") << QColor(Qt::white) << kBlue << 8.592;
    QTest::newRow("mid grey on black") << QColor(119, 119, 119) << QColor(Qt::black) << 4.69;
}

void TestPalette::contrastRatio()
{
    QFETCH(QColor, a);
    QFETCH(QColor, b);
    QFETCH(double, ratio);
    QVERIFY2(qAbs(::contrastRatio(a, b) - ratio) < 0.01, qPrintable(QString::number(::contrastRatio(a, b))));
    QCOMPARE(::contrastRatio(b, a), ::contrastRatio(a, b));
}

void TestPalette::signalColoursSuitThePalette_data()
{
    QTest::addColumn<QColor>("window"); // invalid: the light palette
    QTest::addColumn<QColor>("button"); // invalid: the window colour
    QTest::addColumn<bool>("atRunTime");
    QTest::newRow("light") << QColor() << QColor() << false;
    QTest::newRow("dark grey") << QColor(0x35, 0x35, 0x35) << QColor() << false;
    QTest::newRow("black, where pure red would pass") << QColor(Qt::black) << QColor() << false;
    QTest::newRow("dark red") << QColor(64, 16, 16) << QColor() << false;
    QTest::newRow("just below half lightness") << QColor(0x6e, 0x6e, 0x6e) << QColor() << false;
    QTest::newRow("buttons lighter than the window") << QColor(0x20, 0x20, 0x20) << QColor(0x3a, 0x3a, 0x3a) << false;
    QTest::newRow("dark blue-grey, switched to while open") << QColor(49, 54, 59) << QColor() << true;
}

void TestPalette::signalColoursSuitThePalette()
{
    QFETCH(QColor, window);
    QFETCH(QColor, button);
    QFETCH(bool, atRunTime);
    const QPalette palette = window.isValid() ? darkPalette(window, button) : m_light;

    QTemporaryDir dir;
    PtyPeer peer(dir.path(), 1);
    RecordingDesktop desktop;
    if (!atRunTime)
        QApplication::setPalette(palette);
    TForm1 form(PortMap(dir.path(), {}));
    auto *status = form.control<QLabel>("Label22");
    if (atRunTime) {
        QCOMPARE(windowFault(form, kRed), QString());
        QApplication::setPalette(palette);
    }
    QCOMPARE(windowFault(form, kRed), QString());

    // A recognised reply turns the status blue.
    form.control<QPushButton>("OpenClose")->click();
    QVERIFY(form.channel().isOpen());
    peer.send("WRITE_SET_OK\r");
    QTRY_VERIFY((form.Timer1Timer(), status->text() == kConnected));
    QCOMPARE(windowFault(form, kBlue), QString());

    if (atRunTime) {
        // And back to the light theme: the pure colours again.
        QApplication::setPalette(m_light);
        QCOMPARE(windowFault(form, kBlue), QString());
        QApplication::setPalette(palette);
    }
    // Disconnecting turns it red again, in the palette's red.
    form.control<QPushButton>("OpenClose")->click();
    QCOMPARE(windowFault(form, kRed), QString());
}

void TestPalette::windowCarriesTheDesktopIdentity()
{
    useDesktopIdentity();
    QCOMPARE(QGuiApplication::desktopFileName(), desktopApplicationId());
    QCOMPARE(desktopApplicationId(), QStringLiteral("example.tavrix.Configurator"));
    QTemporaryDir dir;
    TForm1 form(PortMap(dir.path(), {}));
    const QList<QSize> sizes = form.windowIcon().availableSizes();
    for (int side : {16, 32, 48, 256})
        QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
    // Every size is its PNG, pixel for pixel, as the toolkit itself decodes it and makes
    // a pixmap of it.
    const QStringList built = QStringLiteral(ICON_SIZES).split(QLatin1Char(' '));
    QCOMPARE(sizes.size(), built.size());
    for (const QString &side : built) {
        const QImage png(QStringLiteral(ICONS_DIR "/%1.png").arg(side));
        QVERIFY2(!png.isNull(), qPrintable(side));
        const QImage shown = form.windowIcon().pixmap(png.size()).toImage();
        QCOMPARE(shown.size(), png.size());
        const QImage expected = QPixmap::fromImage(png).toImage();
        QVERIFY2(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                     == expected.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 qPrintable(side));
    }
}

QTEST_MAIN(TestPalette)
#include "tst_palette.moc"
