// "Серийная запись…": the window drives the line, and the main window lets go of its
// port while it runs.
#include "app/productionwindow.h"
#include "app/tform1.h"
#include "sim/simulator.h"
#include "tests/support/recordingdesktop.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

class TestProductionWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void runsTheLineWhileTheMainWindowLetsGo();
    void refusesBeforeAnyPort_data();
    void refusesBeforeAnyPort();
    void closingWhileAUnitIsWrittenAsksFirst();
    void goingWithTheMainWindowLogsTheUnitInProgress();

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

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingDesktop> m_desktop;
    std::unique_ptr<sim::Simulator> m_sim;
};

void TestProductionWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_desktop = std::make_unique<RecordingDesktop>();
    m_sim = std::make_unique<sim::Simulator>();
    m_sim->setPacing(false);
    QVERIFY(m_sim->start(m_dir->filePath("ports"), 7));
}

void TestProductionWindow::cleanup()
{
    m_sim.reset();
    m_desktop.reset();
    m_dir.reset();
}

void TestProductionWindow::runsTheLineWhileTheMainWindowLetsGo()
{
    TForm1 form(PortMap(m_dir->filePath("ports"), {}));
    auto *openClose = form.control<QPushButton>("OpenClose");
    openClose->click();
    QVERIFY(form.channel().isOpen());

    ProductionWindow *window = openFrom(form);
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(window->portBox(7) && window->portBox(7)->isChecked());
    window->templateEdit()->setText(writeFile("t.cfg", "# tavrix-configuration 1\nEdit34 = internet\n"));
    window->unitsEdit()->setText(writeFile("u.csv", "unit,Edit1\nОбъект Липова 4,+380501000001\n"));
    QSignalSpy running(window, &ProductionWindow::runningChanged);
    QVERIFY(window->startLine());

    // The main window closed its connection before the station opened the port.
    QCOMPARE(running.size(), 1);
    QVERIFY(!form.channel().isOpen());
    QVERIFY(!openClose->isEnabled());
    QCOMPARE(openClose->text(), QStringLiteral("Соединиться"));
    QVERIFY(!window->startButton()->isEnabled());

    // The one row used up, the line ends by itself.
    QTRY_COMPARE_WITH_TIMEOUT(running.size(), 2, 15000);
    QVERIFY2(window->tile(7)->text().contains(QStringLiteral("✓ записан")), qPrintable(window->tile(7)->text()));
    QVERIFY(window->tile(7)->text().contains(QStringLiteral("Объект Липова 4")));
    QCOMPARE(window->logTable()->rowCount(), 1);
    QCOMPARE(window->logTable()->item(0, 3)->text(), QStringLiteral("✓ записан и проверен"));
    QCOMPARE(window->counters()->text(), QStringLiteral("Записано: 1   Ошибок: 0   Осталось строк: 0"));
    QCOMPARE(m_sim->record().mid(90, 13), QByteArray("+380501000001"));
    QFile log(window->logPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll().count('\n'), 1);
    QVERIFY(QFileInfo(window->logPath()).absolutePath() == m_dir->filePath("backups"));

    QVERIFY(openClose->isEnabled());
    QVERIFY(window->startButton()->isEnabled());
    QVERIFY(m_desktop->boxes.isEmpty());
}

void TestProductionWindow::refusesBeforeAnyPort_data()
{
    QTest::addColumn<QByteArray>("tpl");   // empty: no template chosen
    QTest::addColumn<QByteArray>("units");
    QTest::addColumn<QString>("said");
    QTest::newRow("no template") << QByteArray() << QByteArray() << "Выберите шаблон конфигурации.";
    QTest::newRow("bad row") << QByteArray("# tavrix-configuration 1\n")
                             << QByteArray("Edit1\n+380501000001\n+38050100000112345\n") << "line 3, column Edit1: ";
    QTest::newRow("broken template") << QByteArray("not a configuration\n") << QByteArray() << "t.cfg: line 1";
}

void TestProductionWindow::refusesBeforeAnyPort()
{
    QFETCH(QByteArray, tpl);
    QFETCH(QByteArray, units);
    QFETCH(QString, said);
    TForm1 form(PortMap(m_dir->filePath("ports"), {}));
    ProductionWindow *window = openFrom(form);
    QVERIFY(window);
    if (!tpl.isEmpty())
        window->templateEdit()->setText(writeFile("t.cfg", tpl));
    if (!units.isEmpty())
        window->unitsEdit()->setText(writeFile("u.csv", units));
    QSignalSpy commands(m_sim.get(), &sim::Simulator::commandReceived);
    QVERIFY(!window->startLine());
    QVERIFY(!window->running());
    QCOMPARE(m_desktop->boxes.size(), 1);
    QVERIFY2(m_desktop->boxes.first().text.contains(said), qPrintable(m_desktop->boxes.first().text));
    QVERIFY(form.control<QPushButton>("OpenClose")->isEnabled());
    QVERIFY(!commands.wait(300));
}

void TestProductionWindow::closingWhileAUnitIsWrittenAsksFirst()
{
    // Slow enough that the unit is still being written when the window is closed.
    sim::Simulator::Faults faults;
    faults.latencyMs = 1500;
    TForm1 form(PortMap(m_dir->filePath("ports"), {}));
    ProductionWindow *window = openFrom(form);
    QVERIFY(window);
    window->templateEdit()->setText(writeFile("t.cfg", "# tavrix-configuration 1\nEdit34 = internet\n"));
    QSignalSpy written(m_sim.get(), &sim::Simulator::commandReceived);
    QVERIFY(window->startLine());
    QVERIFY(written.wait(5000)); // the probe
    m_sim->setFaults(faults);
    QTRY_VERIFY_WITH_TIMEOUT(window->tile(7)->text().contains(QStringLiteral("запись")), 10000);

    m_desktop->answer = false;
    QVERIFY(!window->close());
    QCOMPARE(m_desktop->boxes.size(), 1);
    QCOMPARE(m_desktop->boxes.first().answers,
             QStringList({QStringLiteral("Прервать и закрыть"), QStringLiteral("Продолжить запись")}));
    QVERIFY(window->running());

    m_desktop->answer = true;
    QVERIFY(window->close());
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
        window->templateEdit()->setText(writeFile("t.cfg", "# tavrix-configuration 1\nEdit34 = internet\n"));
        QSignalSpy commands(m_sim.get(), &sim::Simulator::commandReceived);
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

QTEST_MAIN(TestProductionWindow)
#include "tst_productionwindow.moc"
