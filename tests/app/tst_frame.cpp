#include "app/banner.h"
#include "app/portdiscovery.h"
#include "app/tform1.h"
#include "link/serialchannel.h"
#include "tests/desktop/programrun.h"
#include "tests/support/ptypeer.h"
#include "tests/support/recordingdesktop.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

class TestFrame : public QObject
{
    Q_OBJECT

private slots:
    void discoveryListsOpenablePortsInOrder_data();
    void discoveryListsOpenablePortsInOrder();
    void portHeldByAnotherProgramIsNotListed();
    void emptyListSaysWhyEachPortWasRefused();
    void deviceListLeftForLaterEndsAsReadAtOnce_data();
    void deviceListLeftForLaterEndsAsReadAtOnce();
    void portsOptionPrintsTheTable_data();
    void portsOptionPrintsTheTable();
    void frameStartsAsDesigned();
    void connectionBarButtons_data();
    void connectionBarButtons();
    void tabOrderOfTheConnectionBar();
    void windowCannotBeResized();
    void closeQuestionBelongsToTheWindow();
    void bannerIsDecodedAndOpensTheMakersSite();
    void brokenJpegDecodesToNothing_data();
    void brokenJpegDecodesToNothing();
};

void TestFrame::discoveryListsOpenablePortsInOrder_data()
{
    QTest::addColumn<QList<int>>("linked");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("none") << QList<int>{} << QStringList{};
    QTest::newRow("COM3 and COM12") << QList<int>{12, 3} << QStringList{"COM3", "COM12"};
    QTest::newRow("first and last") << QList<int>{50, 1} << QStringList{"COM1", "COM50"};
    QTest::newRow("COM51 is never probed") << QList<int>{51, 7} << QStringList{"COM7"};
}

void TestFrame::discoveryListsOpenablePortsInOrder()
{
    QFETCH(QList<int>, linked);
    QFETCH(QStringList, items);
    QTemporaryDir dir;
    std::vector<std::unique_ptr<PtyPeer>> peers;
    for (int com : linked)
        peers.push_back(std::make_unique<PtyPeer>(dir.path(), com));
    TForm1 form(PortMap(dir.path(), {}));
    auto *combo = form.control<QComboBox>("ComboBox1");
    QStringList listed;
    for (int i = 0; i < combo->count(); ++i)
        listed << combo->itemText(i);
    QCOMPARE(listed, items);
    QCOMPARE(combo->currentIndex(), items.isEmpty() ? -1 : 0);
    QCOMPARE(form.control<QPushButton>("OpenClose")->isEnabled(), !items.isEmpty());
    QCOMPARE(form.portTable().size(), items.size());
    for (int i = 0; i < items.size(); ++i)
        QCOMPARE(QStringLiteral("COM%1").arg(form.portTable().at(i)), items.at(i));
    // Probing leaves no port open.
    QVERIFY(!form.channel().isOpen());
    if (items.isEmpty())
        QVERIFY(combo->toolTip().startsWith("Последовательных портов нет"));
}

void TestFrame::portHeldByAnotherProgramIsNotListed()
{
    QTemporaryDir dir;
    PtyPeer held(dir.path(), 2);
    PtyPeer free(dir.path(), 4);
    SerialChannel other;
    QVERIFY(other.open(held.slavePath(), 9600));
    TForm1 form(PortMap(dir.path(), {}));
    auto *combo = form.control<QComboBox>("ComboBox1");
    QCOMPARE(combo->count(), 1);
    QCOMPARE(combo->itemText(0), QStringLiteral("COM4"));
}

void TestFrame::emptyListSaysWhyEachPortWasRefused()
{
    QTemporaryDir dir;
    PtyPeer held(dir.path(), 4);
    SerialChannel other;
    QVERIFY(other.open(held.slavePath(), 9600));
    QVERIFY(QFile::link("/dev/pts/no-such", dir.path() + "/com9"));
    // /dev/null stands in for a device of the default table that is no serial port.
    TForm1 form(PortMap(dir.path(), {"/dev/null"}));
    auto *combo = form.control<QComboBox>("ComboBox1");
    QCOMPARE(combo->count(), 0);
    const QStringList lines = combo->toolTip().split('\n');
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], QStringLiteral("Ни один порт не открывается:"));
    QVERIFY2(lines[1].startsWith("COM1 — /dev/null: не открывается: "), qPrintable(lines[1]));
    QCOMPARE(lines[2], QStringLiteral("COM4 — %1 · псевдотерминал · по ссылке %2: занят программой tst_frame (PID %3)")
                           .arg(QFileInfo(held.slavePath()).canonicalFilePath(), held.linkPath())
                           .arg(QCoreApplication::applicationPid()));
    QCOMPARE(lines[3], QStringLiteral("COM9 — /dev/pts/no-such: ссылка %1/com9 указывает на /dev/pts/no-such, "
                                      "а такого устройства нет").arg(dir.path()));
    QCOMPARE(lines[4], QStringLiteral("Все номера COM1–COM50: tavrix-configurator --ports"));
}

void TestFrame::deviceListLeftForLaterEndsAsReadAtOnce_data()
{
    // /dev/null stands in for a device of the default table that only the system's list
    // of devices could describe; a pseudo-terminal describes itself.
    QTest::addColumn<QStringList>("table");
    QTest::addColumn<QList<int>>("linked");
    QTest::addColumn<bool>("waits");
    QTest::newRow("pseudo-terminals only") << QStringList{} << QList<int>{2, 7} << false;
    QTest::newRow("nothing there") << QStringList{} << QList<int>{} << false;
    QTest::newRow("a table device") << QStringList{"/dev/null"} << QList<int>{} << true;
    QTest::newRow("a table device and a link") << QStringList{"/dev/null"} << QList<int>{4} << true;
}

void TestFrame::deviceListLeftForLaterEndsAsReadAtOnce()
{
    QFETCH(QStringList, table);
    QFETCH(QList<int>, linked);
    QFETCH(bool, waits);
    QTemporaryDir dir;
    std::vector<std::unique_ptr<PtyPeer>> peers;
    for (int com : linked)
        peers.push_back(std::make_unique<PtyPeer>(dir.path(), com));
    const PortMap map(dir.path(), table);
    const auto summaries = [](const PortList &ports) {
        QStringList out;
        for (const PortStatus &s : ports.statuses)
            out << s.summary() + QLatin1Char('|') + s.reason;
        return out;
    };
    SerialChannel probe;
    const PortList atOnce = discoverPorts(probe, map);
    QVERIFY(!atOnce.describedLater);
    PortList later = discoverPorts(probe, map, DeviceList::Deferred);
    QCOMPARE(later.describedLater, waits);
    QCOMPARE(later.items, atOnce.items);
    QCOMPARE(later.devices, atOnce.devices);
    describeFully(later);
    QVERIFY(!later.describedLater);
    QCOMPARE(summaries(later), summaries(atOnce));
    QCOMPARE(later.tooltips, atOnce.tooltips);
    QCOMPARE(later.emptyHint, atOnce.emptyHint);

    // The window reads the list when a tip is first wanted; the tip shown is complete.
    TForm1 form(map);
    auto *combo = form.control<QComboBox>("ComboBox1");
    QHelpEvent tip(QEvent::ToolTip, QPoint(2, 2), combo->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(combo, &tip);
    QCOMPARE(combo->toolTip(), atOnce.tooltips.value(0, atOnce.emptyHint));
    for (int i = 0; i < atOnce.tooltips.size(); ++i)
        QCOMPARE(combo->itemData(i, Qt::ToolTipRole).toString(), atOnce.tooltips.at(i));
    QCOMPARE(form.portDevices(), atOnce.devices);
}

void TestFrame::portsOptionPrintsTheTable_data()
{
    QTest::addColumn<bool>("unprivileged");
    QTest::newRow("this user") << false;
    QTest::newRow("a user outside the device's group") << true;
}

void TestFrame::portsOptionPrintsTheTable()
{
    QFETCH(bool, unprivileged);
    QString program = QStringLiteral(CONFIGURATOR_PATH);
    QStringList arguments{"--ports"};
    if (unprivileged) {
        if (::geteuid() != 0)
            QSKIP("only root can run the program as an unprivileged user here (setpriv)");
        const QString setpriv = QStandardPaths::findExecutable("setpriv");
        if (setpriv.isEmpty())
            QSKIP("setpriv (util-linux) is not installed");
        // A user id nobody has, without supplementary groups.
        arguments = QStringList{"--reuid=54321", "--regid=54321", "--clear-groups", "--", program} + arguments;
        program = setpriv;
    }
    QTemporaryDir config;
    QFile::setPermissions(config.path(), QFile::permissions(config.path()) | QFile::ReadOther | QFile::ExeOther);
    const QString portsDir = config.path() + "/tavrix/ports";
    PtyPeer free(portsDir, 3);
    PtyPeer held(portsDir, 4);
    SerialChannel other;
    QVERIFY(other.open(held.slavePath(), 9600));
    QVERIFY(QFile::link("/dev/pts/no-such", portsDir + "/com9"));
    const QString freeDevice = QFileInfo(free.slavePath()).canonicalFilePath();
    if (unprivileged) {
        // As a USB adapter is set up: group dialout, read and write for the group.
        QCOMPARE(::chown(QFile::encodeName(freeDevice).constData(), 0, 20), 0);
        QCOMPARE(::chmod(QFile::encodeName(freeDevice).constData(), 0660), 0);
    }
    QProcessEnvironment environment = withoutSerialPorts(QProcessEnvironment::systemEnvironment(), config);
    environment.insert("TAVRIX_DEFAULT_PORTS", "/dev/null");
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));

    const ProgramRun run = runProgram(program, arguments, environment);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = QString::fromUtf8(run.out).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2 + 50);
    QCOMPARE(lines[0], "Папка ссылок: " + portsDir);
    QVERIFY(QRegularExpression("^COM +Устройство +Свободен +Подробности$").match(lines[1]).hasMatch());
    const auto row = [](const QString &com, const QString &device, const QString &free, const QString &details) {
        return QRegularExpression("^" + com + " +" + QRegularExpression::escape(device) + " +" + free + " +"
                                  + details + "$");
    };
    const QString freeLink = QRegularExpression::escape(" · по ссылке " + free.linkPath());
    const QString heldDevice = QFileInfo(held.slavePath()).canonicalFilePath();
    QList<QRegularExpression> expected = {
        row("COM1", "/dev/null", "нет", "не открывается: .+"),
        row("COM2", "—", "нет", "нет устройства"),
        unprivileged
            ? row("COM3", freeDevice, "нет",
                  QRegularExpression::escape("нет доступа: устройство принадлежит группе dialout (crw-rw----), а "
                                             "пользователь с UID 54321 в неё не входит; добавьте его в группу "
                                             "командой sudo usermod -aG dialout $USER, затем выйдите из системы и "
                                             "войдите снова (псевдотерминал")
                      + freeLink + "\\)")
            : row("COM3", freeDevice, "да", "псевдотерминал" + freeLink),
        unprivileged ? row("COM4", heldDevice, "нет", "нет доступа: устройство принадлежит группе .+")
                     : row("COM4", heldDevice, "нет",
                           QStringLiteral("занят программой tst_frame \\(PID %1\\) .+")
                               .arg(QCoreApplication::applicationPid())),
    };
    for (int com = 5; com <= 50; ++com) {
        if (com == 9)
            expected << row("COM9", "/dev/pts/no-such", "нет",
                            QRegularExpression::escape("ссылка " + portsDir + "/com9 указывает на /dev/pts/no-such, "
                                                       "а такого устройства нет"));
        else
            expected << row(QStringLiteral("COM%1").arg(com), "—", "нет", "нет устройства");
    }
    for (int i = 0; i < expected.size(); ++i)
        QVERIFY2(expected[i].match(lines[2 + i]).hasMatch(), qPrintable(lines[2 + i]));
}

void TestFrame::frameStartsAsDesigned()
{
    QTemporaryDir dir;
    TForm1 form(PortMap(dir.path(), {}));
    QCOMPARE(form.objectName(), QStringLiteral("Form1"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Конфигуратор Tavrix   v2.0"));
    QCOMPARE(form.size(), QSize(762, 580));
    auto *label = form.control<QLabel>("Label22");
    QCOMPARE(label->text(), QStringLiteral("Связь не установлена"));
    QCOMPARE(label->palette().color(QPalette::Active, QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(label->font().bold());
    QCOMPARE(form.control<QWidget>("Image1")->geometry(), QRect(0, 0, 761, 145));
    QCOMPARE(form.control<QWidget>("Image1")->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(form.control<QGroupBox>("GroupBox3")->geometry(), QRect(8, 152, 753, 49));
    QCOMPARE(form.control<QWidget>("PageControl1")->geometry(), QRect(0, 202, 762, 378));
    QVERIFY(!form.timer1().isActive());
    QVERIFY(!form.timer2().isActive());
    QCOMPARE(form.timer1().interval(), 1000);
    QCOMPARE(form.timer2().interval(), 2000);
    for (const char *panel : {"Panel1", "Panel2"})
        QVERIFY(form.control<QWidget>(panel)->isHidden());
}

void TestFrame::connectionBarButtons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("OpenClose") << "OpenClose" << "Соединиться" << QRect(256, 16, 113, 25) << false << false;
    QTest::newRow("Button11") << "Button11" << "Считать настройки" << QRect(376, 16, 113, 25) << false << false;
    QTest::newRow("ButtWrite") << "ButtWrite" << "Записать настройки" << QRect(496, 16, 113, 25) << false << false;
    QTest::newRow("Button1") << "Button1" << "Заводские настройки" << QRect(616, 16, 121, 25) << false << true;
    QTest::newRow("Button12") << "Button12" << "Считать телефоны" << QRect(200, 48, 113, 25) << true << false;
    QTest::newRow("Button13") << "Button13" << "Считать кючи iButton" << QRect(320, 48, 129, 25) << true << false;
    QTest::newRow("Button14") << "Button14" << "Считать тесты SMS" << QRect(456, 48, 129, 25) << true << false;
    QTest::newRow("Button15") << "Button15" << "Считать настройки GPRS" << QRect(592, 48, 145, 25) << true << false;
    QTest::newRow("Button6") << "Button6" << "Записать телефоны" << QRect(200, 80, 113, 25) << true << false;
    QTest::newRow("Button7") << "Button7" << "Записать ключи iButton" << QRect(320, 80, 129, 25) << true << false;
    QTest::newRow("Button8") << "Button8" << "Записать тексты SMS" << QRect(456, 80, 129, 25) << true << false;
    QTest::newRow("Button10") << "Button10" << "Записать настройки GPRS" << QRect(592, 80, 145, 25) << true << false;
}

void TestFrame::connectionBarButtons()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);
    QFETCH(bool, hidden);
    QFETCH(bool, enabled);
    QTemporaryDir dir;
    TForm1 form(PortMap(dir.path(), {}));
    auto *button = form.findChild<QPushButton *>(name);
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->geometry(), geometry);
    QCOMPARE(button->isHidden(), hidden);
    QCOMPARE(button->isEnabled(), enabled);
    QCOMPARE(button->parentWidget()->objectName(), QStringLiteral("GroupBox3"));
}

void TestFrame::tabOrderOfTheConnectionBar()
{
    QTemporaryDir dir;
    TForm1 form(PortMap(dir.path(), {}));
    const QStringList expected = {"ComboBox1", "OpenClose", "ButtWrite", "Button1", "Button6", "Button7", "Button8",
                                  "Button10", "Button11", "Button12", "Button13", "Button14", "Button15"};
    QWidget *w = form.control<QWidget>("ComboBox1");
    QStringList order;
    for (int i = 0; i < expected.size() && w; ++i, w = w->nextInFocusChain()) {
        while (w && !expected.contains(w->objectName()))
            w = w->nextInFocusChain();
        if (w)
            order << w->objectName();
    }
    QCOMPARE(order, expected);
}

void TestFrame::windowCannotBeResized()
{
    QTemporaryDir dir;
    TForm1 form(PortMap(dir.path(), {}));
    form.show();
    form.resize(900, 700);
    QCOMPARE(form.size(), QSize(762, 580));
    QCOMPARE(form.minimumSize(), form.maximumSize());
}

void TestFrame::closeQuestionBelongsToTheWindow()
{
    // The real box, without a recorder: modal over the window, Escape stays.
    QTemporaryDir dir;
    TForm1 form(PortMap(dir.path(), {}));
    form.show();
    QTest::keyClicks(form.findChild<QLineEdit *>(QStringLiteral("Edit19")), "ab");
    QVERIFY(form.hasUnsavedEdits());
    QStringList seen;
    auto answer = [&](const char *how) {
        QTimer::singleShot(0, this, [&, how] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen << QString::number(box->parentWidget() == &form) + QString::number(int(box->icon()));
            for (QAbstractButton *b : box->buttons())
                seen << b->text();
            if (qstrcmp(how, "Escape") == 0)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->buttons().first()->click();
        });
    };
    answer("Escape");
    QVERIFY(!form.close());
    QVERIFY(form.isVisible());
    QCOMPARE(seen, (QStringList{QStringLiteral("1%1").arg(int(QMessageBox::Question)), "Закрыть", "Остаться"}));
    answer("Закрыть");
    QVERIFY(form.close());
    QVERIFY(!form.isVisible());
}

void TestFrame::bannerIsDecodedAndOpensTheMakersSite()
{
    const QImage banner = bannerImage();
    QVERIFY(!banner.isNull());
    QCOMPARE(banner.size(), QSize(761, 145));
    QTemporaryDir dir;
    RecordingDesktop desktop;
    TForm1 form(PortMap(dir.path(), {}));
    auto *image = form.control<QLabel>("Image1");
    QVERIFY(!image->pixmap().isNull());
    QTest::mouseClick(image, Qt::LeftButton);
    QCOMPARE(desktop.urls.size(), 1);
    QVERIFY(QUrl(desktop.urls.first()).isValid());
    QVERIFY(desktop.urls.first().startsWith("https://"));
}

void TestFrame::brokenJpegDecodesToNothing_data()
{
    QFile file(":/app/banner.jpg");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray jpeg = file.readAll();
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not a jpeg") << QByteArray("GIF89a not at all");
    QTest::newRow("header only") << jpeg.left(20);
    QTest::newRow("cut in the middle") << jpeg.left(jpeg.size() / 2);
}

void TestFrame::brokenJpegDecodesToNothing()
{
    QFETCH(QByteArray, data);
    // A truncated picture may decode partly (libjpeg pads it) but must never crash.
    const QImage image = decodeJpeg(data);
    if (data.size() < 100)
        QVERIFY(image.isNull());
}

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
