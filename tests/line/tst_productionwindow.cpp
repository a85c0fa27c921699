// "Серийная запись…": the window drives the line, and the main window lets go of its
// port while it runs.
#include "app/bookrecorder.h"
#include "app/networkaddressdialog.h"
#include "app/networkaddresses.h"
#include "app/productionwindow.h"
#include "app/tform1.h"
#include "book/book.h"
#include "net/comportserver.h"
#include "net/portnames.h"
#include "sim/simulator.h"
#include "tests/support/displaychild.h"
#include "tests/support/recordingdesktop.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <cmath>

namespace {

const char kTemplate[] = "# tavrix-configuration 1\nEdit34 = internet\n";

// Run in a child on a display of the row's size and scale: the window with every COM
// number present and watched (stand-in files a station cannot open), fitted to the
// screen; reports whether it is on the screen and whether its far corners can be
// scrolled into view.
int fitCheck()
{
    QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("settings"));
    QDir().mkpath(dir.filePath("ports"));
    for (int com = PortMap::kFirstCom; com <= PortMap::kLastCom; ++com) {
        QFile stand(dir.filePath(QStringLiteral("ports/com%1").arg(com)));
        if (!stand.open(QIODevice::WriteOnly))
            return 3;
    }
    QFile tpl(dir.filePath("t.cfg"));
    if (!tpl.open(QIODevice::WriteOnly) || tpl.write(kTemplate) < 0)
        return 3;
    tpl.close();
    QWidget owner;
    ProductionWindow window(PortMap(dir.filePath("ports"), {}), &owner);
    window.setBackupsDir(dir.filePath("backups"));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 2;
    QTextStream out(stdout);
    const auto report = [&](const char *when) {
        const QRect available = window.screen()->availableGeometry();
        const QRect frame = window.frameGeometry();
        const qreal ratio = window.devicePixelRatioF();
        const QSize screen(qEnvironmentVariableIntValue("TAVRIX_FIT_WIDTH"), qEnvironmentVariableIntValue("TAVRIX_FIT_HEIGHT"));
        out << when << " fits " << int(available.contains(frame)) << '\n';
        out << when << " fits in device pixels "
            << int(std::ceil((frame.right() + 1) * ratio) <= screen.width()
                   && std::ceil((frame.bottom() + 1) * ratio) <= screen.height())
            << '\n';
        const QRect close(window.closeButton()->mapTo(&window, QPoint()), window.closeButton()->size());
        out << when << " close in sight " << int(window.rect().contains(close) && window.closeButton()->isVisible()) << '\n';
        // The widgets furthest right and furthest down, each scrolled to.
        QScrollArea *scroll = window.scrollArea();
        QWidget *right = window.portBox(PortMap::kFirstCom + 9);
        QWidget *down = window.tile(PortMap::kLastCom) ? static_cast<QWidget *>(window.tile(PortMap::kLastCom))
                                                       : window.logTable();
        int seen = 0;
        for (QWidget *w : {right, down}) {
            scroll->ensureWidgetVisible(w, 0, 0);
            QCoreApplication::processEvents();
            seen += scroll->viewport()->rect().contains(QRect(w->mapTo(scroll->viewport(), QPoint()), w->size()));
        }
        out << when << " reachable " << seen << '\n';
    };
    report("idle");
    for (int com = PortMap::kFirstCom; com <= PortMap::kLastCom; ++com)
        window.portBox(com)->setChecked(true);
    window.templateEdit()->setText(tpl.fileName());
    if (!window.startLine())
        return 4;
    QCoreApplication::processEvents();
    report("running");
    window.stopLine();
    return 0;
}

} // namespace

class TestProductionWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void runsTheLineWhileTheMainWindowLetsGo();
    void writesAUnitBehindANetworkAddress();
    void offersTheLastPorts_data();
    void offersTheLastPorts();
    void asksBeforeWritingOverUnitsAlreadyThere_data();
    void asksBeforeWritingOverUnitsAlreadyThere();
    void refusesBeforeAnyPort_data();
    void refusesBeforeAnyPort();
    void closingWhileAUnitIsWrittenAsksFirst_data();
    void closingWhileAUnitIsWrittenAsksFirst();
    void goingWithTheMainWindowLogsTheUnitInProgress();
    void fitsALaptopScreen_data();
    void fitsALaptopScreen();

private:
    QString writeFile(const QString &name, const QByteArray &text)
    {
        const QString path = m_dir->filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
        return path;
    }
    ProductionWindow *openFrom(TForm1 &form)
    {
        for (QAction *action : form.actions()) {
            if (action->text() == QStringLiteral("Серийная запись…")) {
                action->trigger();
                auto *window = form.findChild<ProductionWindow *>();
                if (window) {
                    window->setBackupsDir(m_dir->filePath("backups"));
                    window->setSettleMs(0);
                }
                return window;
            }
        }
        return nullptr;
    }

    // A second unit beside the one on COM7.
    sim::Simulator *secondUnit(int com)
    {
        m_sim2 = std::make_unique<sim::Simulator>();
        m_sim2->setPacing(false);
        return m_sim2->start(m_dir->filePath("ports"), com) ? m_sim2.get() : nullptr;
    }
    // The main window connected to the port with this COM number.
    static bool connectOwner(TForm1 &form, int com)
    {
        form.control<QComboBox>("ComboBox1")->setCurrentIndex(int(form.portTable().indexOf(com)));
        form.control<QPushButton>("OpenClose")->click();
        return form.channel().isOpen();
    }
    static QList<int> ticked(const ProductionWindow &window)
    {
        QList<int> coms;
        for (int com = PortMap::kFirstCom; com <= PortMap::kLastCom; ++com) {
            if (window.portBox(com) && window.portBox(com)->isChecked())
                coms << com;
        }
        return coms;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingDesktop> m_desktop;
    std::unique_ptr<sim::Simulator> m_sim;
    std::unique_ptr<sim::Simulator> m_sim2;
};

void TestProductionWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir->filePath("settings"));
    m_desktop = std::make_unique<RecordingDesktop>();
    m_sim = std::make_unique<sim::Simulator>();
    m_sim->setPacing(false);
    QVERIFY(m_sim->start(m_dir->filePath("ports"), 7));
}

void TestProductionWindow::cleanup()
{
    m_sim2.reset();
    m_sim.reset();
    m_desktop.reset();
    m_dir.reset();
}

void TestProductionWindow::runsTheLineWhileTheMainWindowLetsGo()
{
    // The operator named in the window's settings is who the line's revisions name.
    const QString bookPath = m_dir->filePath("book.sqlite");
    BookRecorder::saveSettings(QStringLiteral("Петренко"), bookPath);
    TForm1 form(PortMap(m_dir->filePath("ports"), {}));
    auto *openClose = form.control<QPushButton>("OpenClose");
    openClose->click();
    QVERIFY(form.channel().isOpen());

    ProductionWindow *window = openFrom(form);
    QVERIFY(window);
    QVERIFY(window->isVisible());
    // The controller on the bench is not ticked for the user.
    QVERIFY(window->portBox(7) && !window->portBox(7)->isChecked());
    QVERIFY2(window->logPlace()->text().contains(QDir::toNativeSeparators(m_dir->filePath("backups"))),
             qPrintable(window->logPlace()->text()));
    window->portBox(7)->setChecked(true);
    window->templateEdit()->setText(writeFile("t.cfg", kTemplate));
    window->unitsEdit()->setText(writeFile("u.csv", "unit,Edit1\nОбъект Липова 4,+380501000001\n"));
    QSignalSpy running(window, &ProductionWindow::runningChanged);
    m_desktop->answer = true;
    QVERIFY(window->startLine());
    QCOMPARE(ProductionWindow::rememberedPorts(), QList<int>({7}));
    QVERIFY2(window->logPlace()->text().contains(QDir::toNativeSeparators(window->logPath())),
             qPrintable(window->logPlace()->text()));

    // The main window closed its connection before the station opened the port.
    QCOMPARE(running.size(), 1);
    QVERIFY(!form.channel().isOpen());
    QVERIFY(!openClose->isEnabled());
    QCOMPARE(openClose->text(), QStringLiteral("Соединиться"));
    QVERIFY(!window->startButton()->isEnabled());

    // The one row used up, the line ends by itself.
    QTRY_COMPARE_WITH_TIMEOUT(running.size(), 2, 15000);
    QVERIFY2(window->tile(7)->text().contains(QStringLiteral("✓ записан")), qPrintable(window->tile(7)->text()));
    QVERIFY(window->tile(7)->text().contains(QStringLiteral("контроллер 1 (Объект Липова 4)")));
    QCOMPARE(window->logTable()->rowCount(), 1);
    QCOMPARE(window->logTable()->item(0, 2)->text(), QStringLiteral("контроллер 1 (Объект Липова 4)"));
    QCOMPARE(window->logTable()->item(0, 3)->text(), QStringLiteral("✓ записан и проверен"));
    // The backup by its name, the whole path in the tooltip.
    const QStringList backups = QDir(m_dir->filePath("backups")).entryList({QStringLiteral("*.cfg")}, QDir::Files);
    QCOMPARE(backups.size(), 1);
    QCOMPARE(window->logTable()->item(0, 6)->text(), backups.first());
    QCOMPARE(window->logTable()->item(0, 6)->toolTip(),
             QDir::toNativeSeparators(QDir(m_dir->filePath("backups")).filePath(backups.first())));
    QCOMPARE(window->counters()->text(), QStringLiteral("Записано: 1   Ошибок: 0   Осталось строк: 0"));
    QCOMPARE(m_sim->record().mid(90, 13), QByteArray("+380501000001"));
    QFile log(window->logPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll().count('\n'), 1);
    QVERIFY(QFileInfo(window->logPath()).absolutePath() == m_dir->filePath("backups"));
    {
        QString bookError;
        auto siteBook = book::Book::open(bookPath, &bookError);
        QVERIFY2(siteBook, qPrintable(bookError));
        QStringList operators;
        for (const book::Revision &r : siteBook->unassigned()) {
            if (r.kind == book::Kind::Line)
                operators << r.operatorName;
        }
        QCOMPARE(operators, QStringList{QStringLiteral("Петренко")});
    }

    QVERIFY(openClose->isEnabled());
    QVERIFY(window->startButton()->isEnabled());
    // The one question: the unit on the bench was there before "Начать".
    QCOMPARE(m_desktop->texts(),
             QStringList({"На порту COM7 уже отвечает контроллер. Записать шаблон поверх его настроек?"}));

    // Nothing under way: "Закрыть" closes without a question.
    window->closeButton()->click();
    QVERIFY(!window->isVisible());
    QCOMPARE(m_desktop->boxes.size(), 1);
}

void TestProductionWindow::writesAUnitBehindANetworkAddress()
{
    // The unit on COM7 lent over RFC 2217; its COM box stays unticked.
    ComPortServer server;
    QVERIFY2(server.start(m_sim->slavePath(), QHostAddress::LocalHost, 0), qPrintable(server.errorString()));
    const QString address = QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.listeningPort());
    // A book of this test's own, to find the unit in.
    BookRecorder::saveSettings({}, m_dir->filePath("book.sqlite"));
    TForm1 form(PortMap(m_dir->filePath("ports"), {}));
    ProductionWindow *window = openFrom(form);
    QVERIFY(window);
    NetworkAddressDialog *dialog = window->askAddress();
    QVERIFY(dialog);
    dialog->hostEdit()->setText(QStringLiteral("127.0.0.1"));
    dialog->portBox()->setValue(server.listeningPort());
    dialog->accept();
    QVERIFY(!dialog->isVisible());
    QVERIFY(window->portBox(address));
    QVERIFY(window->portBox(address)->isChecked());
    QCOMPARE(networkaddresses::remembered(), QStringList{address});

    window->templateEdit()->setText(writeFile("t.cfg", kTemplate));
    window->unitsEdit()->setText(writeFile("u.csv", "unit,Edit1\nОбъект Липова 4,+380501000002\n"));
    QSignalSpy running(window, &ProductionWindow::runningChanged);
    m_desktop->answer = true;
    QVERIFY(window->startLine());
    QTRY_COMPARE_WITH_TIMEOUT(running.size(), 2, 15000);
    // Asked about the unit by its address; written, verified and logged under it.
    QCOMPARE(m_desktop->texts(),
             QStringList({QStringLiteral("На порту %1 уже отвечает контроллер. Записать шаблон поверх его настроек?")
                              .arg(address)}));
    QLabel *tile = window->tile(portnames::number(address));
    QVERIFY(tile);
    QVERIFY2(tile->text().startsWith(address + QLatin1Char('\n')), qPrintable(tile->text()));
    QCOMPARE(window->logTable()->rowCount(), 1);
    QCOMPARE(window->logTable()->item(0, 1)->text(), address);
    QCOMPARE(window->logTable()->item(0, 3)->text(), QStringLiteral("✓ записан и проверен"));
    QCOMPARE(m_sim->record().mid(90, 13), QByteArray("+380501000002"));
    QVERIFY(!window->portBox(7)->isChecked());
    // The site book has the unit under its address.
    QString bookError;
    auto siteBook = book::Book::open(BookRecorder::location(), &bookError);
    QVERIFY2(siteBook, qPrintable(bookError));
    QStringList ports;
    for (const book::Revision &r : siteBook->unassigned()) {
        if (r.kind == book::Kind::Line)
            ports << r.port;
    }
    QCOMPARE(ports, QStringList{address});

    // Offered again, ticked, the next time the window opens.
    window->close();
    delete window;
    ProductionWindow *again = openFrom(form);
    QVERIFY(again);
    QVERIFY(again->portBox(address));
    QVERIFY(again->portBox(address)->isChecked());
}

void TestProductionWindow::offersTheLastPorts_data()
{
    QTest::addColumn<QStringList>("remembered"); // empty: nothing kept yet
    QTest::addColumn<int>("ownerCom");           // the main window connected there; 0: not connected
    QTest::addColumn<QList<int>>("offered");
    QTest::newRow("first open") << QStringList() << 0 << QList<int>();
    QTest::newRow("first open, connected") << QStringList() << 7 << QList<int>();
    QTest::newRow("last set, a gone port left out") << QStringList({"3", "5", "7"}) << 0 << QList<int>({5, 7});
    QTest::newRow("the main window's port left out") << QStringList({"5", "7"}) << 7 << QList<int>({5});
    QTest::newRow("only the main window's port kept") << QStringList({"7"}) << 7 << QList<int>();
    QTest::newRow("another port than the kept one connected") << QStringList({"7"}) << 5 << QList<int>({7});
}

void TestProductionWindow::offersTheLastPorts()
{
    QFETCH(QStringList, remembered);
    QFETCH(int, ownerCom);
    QFETCH(QList<int>, offered);
    QVERIFY(secondUnit(5));
    if (!remembered.isEmpty())
        QSettings(QSettings::IniFormat, QSettings::UserScope, "tavrix", "configurator")
            .setValue("productionLine/ports", remembered);
    TForm1 form(PortMap(m_dir->filePath("ports"), {}));
    if (ownerCom)
        QVERIFY(connectOwner(form, ownerCom));
    ProductionWindow *window = openFrom(form);
    QVERIFY(window);
    QVERIFY(window->portBox(5) && window->portBox(7));
    QVERIFY(!window->portBox(3));
    QCOMPARE(ticked(*window), offered);
}

void TestProductionWindow::asksBeforeWritingOverUnitsAlreadyThere_data()
{
    QTest::addColumn<QList<int>>("coms");  // ticked; a unit waits on each from the start, but for late
    QTest::addColumn<bool>("late");        // the unit on COM7 answers only once the ports are looked at
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("question"); // empty: none
    QTest::newRow("one unit, no") << QList<int>({7}) << false << false
                                  << "На порту COM7 уже отвечает контроллер. Записать шаблон поверх его настроек?";
    QTest::newRow("two units, no")
        << QList<int>({5, 7}) << false << false
        << "На портах COM5, COM7 уже отвечают контроллеры. Записать шаблон поверх их настроек?";
    QTest::newRow("two units, yes")
        << QList<int>({5, 7}) << false << true
        << "На портах COM5, COM7 уже отвечают контроллеры. Записать шаблон поверх их настроек?";
    QTest::newRow("one of two ticked, no") << QList<int>({5}) << false << false
                                           << "На порту COM5 уже отвечает контроллер. Записать шаблон поверх его настроек?";
    QTest::newRow("a unit arriving afterwards") << QList<int>({7}) << true << false << QString();
}

void TestProductionWindow::asksBeforeWritingOverUnitsAlreadyThere()
{
    QFETCH(QList<int>, coms);
    QFETCH(bool, late);
    QFETCH(bool, answer);
    QFETCH(QString, question);
    sim::Simulator *second = secondUnit(5);
    QVERIFY(second);
    const QByteArray before = m_sim->record();
    const QByteArray before2 = second->record();
    m_sim->setAnswering(!late);
    TForm1 form(PortMap(m_dir->filePath("ports"), {}));
    ProductionWindow *window = openFrom(form);
    QVERIFY(window);
    for (int com : coms)
        window->portBox(com)->setChecked(true);
    window->templateEdit()->setText(writeFile("t.cfg", kTemplate));
    QSignalSpy commands(m_sim.get(), &sim::Simulator::commandReceived);
    QSignalSpy commands2(second, &sim::Simulator::commandReceived);
    m_desktop->answer = answer;
    QVERIFY(window->startLine());

    if (late) {
        // Looked at with no unit there: nothing asked, and the unit that comes is written.
        QTRY_VERIFY_WITH_TIMEOUT(!window->counters()->text().contains(QStringLiteral("Проверка портов")), 15000);
        QVERIFY(m_desktop->boxes.isEmpty());
        m_sim->setAnswering(true);
        QTRY_COMPARE_WITH_TIMEOUT(window->logTable()->rowCount(), 1, 15000);
        QCOMPARE(window->logTable()->item(0, 3)->text(), QStringLiteral("✓ записан и проверен"));
        QVERIFY(m_desktop->boxes.isEmpty());
        window->stopLine();
        QTRY_VERIFY(!window->running());
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_desktop->boxes.size(), 1, 15000);
    QCOMPARE(m_desktop->boxes.first().text, question);
    QCOMPARE(m_desktop->boxes.first().answers, QStringList({QStringLiteral("Да"), QStringLiteral("Нет")}));
    QCOMPARE(m_desktop->boxes.first().owner, window);
    if (answer) {
        QTRY_COMPARE_WITH_TIMEOUT(window->logTable()->rowCount(), 2, 15000);
        QVERIFY(m_sim->record() != before);
        QVERIFY(second->record() != before2);
        window->stopLine();
        QTRY_VERIFY(!window->running());
        QCOMPARE(m_desktop->boxes.size(), 1);
        return;
    }
    // "Нет": the line ends and nothing was written anywhere.
    QTRY_VERIFY(!window->running());
    QVERIFY(window->startButton()->isEnabled());
    QVERIFY(form.control<QPushButton>("OpenClose")->isEnabled());
    QCOMPARE(window->logTable()->rowCount(), 0);
    QCOMPARE(m_sim->record(), before);
    QCOMPARE(second->record(), before2);
    for (const QSignalSpy *spy : {&commands, &commands2}) {
        for (const QList<QVariant> &command : *spy)
            QVERIFY2(!command.first().toByteArray().startsWith("WRITE"), command.first().toByteArray().constData());
    }
    QVERIFY(!commands.isEmpty() || !commands2.isEmpty()); // the ports were asked
}

void TestProductionWindow::refusesBeforeAnyPort_data()
{
    QTest::addColumn<QByteArray>("tpl");   // empty: no template chosen
    QTest::addColumn<QByteArray>("units");
    QTest::addColumn<bool>("tick");        // COM7 ticked
    QTest::addColumn<QString>("said");
    QTest::newRow("no template") << QByteArray() << QByteArray() << true << "Выберите шаблон конфигурации.";
    QTest::newRow("bad row") << QByteArray("# tavrix-configuration 1\n")
                             << QByteArray("Edit1\n+380501000001\n+38050100000112345\n") << true
                             << "line 3, column Edit1: ";
    QTest::newRow("broken template") << QByteArray("not a configuration\n") << QByteArray() << true << "t.cfg: line 1";
    QTest::newRow("no port ticked") << QByteArray(kTemplate) << QByteArray() << false << "Отметьте хотя бы один порт.";
}

void TestProductionWindow::refusesBeforeAnyPort()
{
    QFETCH(QByteArray, tpl);
    QFETCH(QByteArray, units);
    QFETCH(bool, tick);
    QFETCH(QString, said);
    TForm1 form(PortMap(m_dir->filePath("ports"), {}));
    ProductionWindow *window = openFrom(form);
    QVERIFY(window);
    if (!tpl.isEmpty())
        window->templateEdit()->setText(writeFile("t.cfg", tpl));
    if (!units.isEmpty())
        window->unitsEdit()->setText(writeFile("u.csv", units));
    window->portBox(7)->setChecked(tick);
    QSignalSpy commands(m_sim.get(), &sim::Simulator::commandReceived);
    QVERIFY(!window->startLine());
    QVERIFY(!window->running());
    QCOMPARE(m_desktop->boxes.size(), 1);
    QVERIFY2(m_desktop->boxes.first().text.contains(said), qPrintable(m_desktop->boxes.first().text));
    QVERIFY(form.control<QPushButton>("OpenClose")->isEnabled());
    QVERIFY(!commands.wait(300));
}

void TestProductionWindow::closingWhileAUnitIsWrittenAsksFirst_data()
{
    QTest::addColumn<bool>("button"); // "Закрыть" rather than the window's own close
    QTest::newRow("the window closed") << false;
    QTest::newRow("Закрыть") << true;
}

void TestProductionWindow::closingWhileAUnitIsWrittenAsksFirst()
{
    QFETCH(bool, button);
    // Slow enough that the unit is still being written when the window is closed.
    sim::Simulator::Faults faults;
    faults.latencyMs = 1500;
    TForm1 form(PortMap(m_dir->filePath("ports"), {}));
    ProductionWindow *window = openFrom(form);
    QVERIFY(window);
    window->portBox(7)->setChecked(true);
    window->templateEdit()->setText(writeFile("t.cfg", kTemplate));
    QSignalSpy written(m_sim.get(), &sim::Simulator::commandReceived);
    m_desktop->answer = true; // to write over the unit already there
    QVERIFY(window->startLine());
    QVERIFY(written.wait(5000)); // the probe
    QTRY_COMPARE_WITH_TIMEOUT(m_desktop->boxes.size(), 1, 15000);
    m_sim->setFaults(faults);
    QTRY_VERIFY_WITH_TIMEOUT(window->tile(7)->text().contains(QStringLiteral("запись")), 10000);
    const auto close = [&] {
        if (!button)
            return window->close();
        window->closeButton()->click();
        return !window->isVisible();
    };

    m_desktop->answer = false;
    QVERIFY(!close());
    QVERIFY(window->isVisible());
    QCOMPARE(m_desktop->boxes.size(), 2);
    QCOMPARE(m_desktop->boxes.last().answers,
             QStringList({QStringLiteral("Прервать и закрыть"), QStringLiteral("Продолжить запись")}));
    QVERIFY(window->running());

    m_desktop->answer = true;
    QVERIFY(close());
    QVERIFY(!window->running());
    QCOMPARE(window->logTable()->rowCount(), 1);
    QVERIFY(window->logTable()->item(0, 3)->text().startsWith(QStringLiteral("✗ ошибка")));
    QVERIFY(form.control<QPushButton>("OpenClose")->isEnabled());
}

void TestProductionWindow::goingWithTheMainWindowLogsTheUnitInProgress()
{
    sim::Simulator::Faults faults;
    faults.latencyMs = 1500;
    QString logPath;
    {
        TForm1 form(PortMap(m_dir->filePath("ports"), {}));
        ProductionWindow *window = openFrom(form);
        QVERIFY(window);
        window->portBox(7)->setChecked(true);
        window->templateEdit()->setText(writeFile("t.cfg", kTemplate));
        QSignalSpy commands(m_sim.get(), &sim::Simulator::commandReceived);
        m_desktop->answer = true;
        QVERIFY(window->startLine());
        QVERIFY(commands.wait(5000));
        m_sim->setFaults(faults);
        QTRY_VERIFY_WITH_TIMEOUT(window->tile(7)->text().contains(QStringLiteral("запись")), 10000);
        logPath = window->logPath();
    }
    QFile log(logPath);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    QVERIFY2(text.count('\n') == 1 && text.contains("\"result\":\"fail\"") && text.contains("\"reason\":\"stopped\""),
             text.constData());
}

void TestProductionWindow::fitsALaptopScreen_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("scale");
    QTest::newRow("1366×768 at 150 %") << "1366x768" << "1.5";
    QTest::newRow("1366×768 at 100 %") << "1366x768" << "1";
}

void TestProductionWindow::fitsALaptopScreen()
{
    QFETCH(QString, screen);
    QFETCH(QString, scale);
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
        QSKIP("Xvfb is not installed (scripts/install-deps.sh installs it)");
    QString errors;
    const std::optional<QString> run = testsupport::runOnDisplay(screen, scale, "TAVRIX_FIT_CHECK", &errors);
    QVERIFY2(run, qPrintable(errors));
    const QString out = *run;
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const char *when : {"idle", "running"}) {
        for (const char *what : {"fits 1", "fits in device pixels 1", "close in sight 1", "reachable 2"})
            QVERIFY2(lines.contains(QStringLiteral("%1 %2").arg(QLatin1String(when), QLatin1String(what))), qPrintable(out));
    }
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("TAVRIX_FIT_CHECK")) {
        QApplication app(argc, argv);
        return fitCheck();
    }
    QApplication app(argc, argv);
    TestProductionWindow test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_productionwindow.moc"
