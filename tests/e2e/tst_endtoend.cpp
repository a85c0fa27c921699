#include "app/configurationmenu.h"
#include "app/tform1.h"
#include "config/catalog.h"
#include "config/configform.h"
#include "records/records.h"
#include "sim/simulator.h"
#include "tests/support/recordingdesktop.h"
#include "ui/pagecontrol.h"
#include "ui/widgetcontrols.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kReadDone = QStringLiteral("Чтение НАСТРОЕК прошло успешно");
const QString kWriteDone = QStringLiteral("Запись НАСТРОЕК прошла успешно");

QByteArray padded(const QByteArray &text, int width)
{
    return text + QByteArray(width - text.size(), ' ');
}

// The window connected to the simulator, which paces its replies at 9600 baud.
struct Line
{
    Line()
    {
        QVERIFY(device.start(dir.path(), 1));
        form = std::make_unique<TForm1>(PortMap(dir.path(), {}));
    }

    Controls &c() { return form->controls(); }
    void click(const char *name)
    {
        auto *b = form->findChild<QAbstractButton *>(QLatin1String(name));
        QVERIFY2(b, name);
        b->click();
    }
    QPushButton *button(const char *name) { return form->control<QPushButton>(name); }

    // Waits until the n-th box has been shown and returns its text.
    QString waitForBox(int n)
    {
        if (!QTest::qWaitFor([&] { return desktop.boxes.size() >= n; }, 10000))
            return QStringLiteral("<no box>");
        return desktop.boxes.at(n - 1).text;
    }

    bool connectAndRead()
    {
        button("OpenClose")->click();
        return form->channel().isOpen() && waitForBox(1) == kReadDone;
    }

    QTemporaryDir dir;
    RecordingDesktop desktop;
    sim::Simulator device;
    std::unique_ptr<TForm1> form;
};

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void readShowsTheDevicesConfiguration();
    void writeStoresWhatTheUserChanged();
    void blockCommandsTravelBothWays_data();
    void blockCommandsTravelBothWays();
    void gprsCommandsTravelBothWays();
    void generatedConfigurationsSurviveWriteAndRead();
    void closingAsksOnlyWhenEditsWouldBeLost_data();
    void closingAsksOnlyWhenEditsWouldBeLost();
};

void TestEndToEnd::readShowsTheDevicesConfiguration()
{
    Line line;
    QByteArray record = line.device.record();
    record[0] = '3';                                   // alarm SMS to subscribers 1..3
    record[6] = '3';                                   // input 1: push-button arming
    record[20] = '4';                                  // siren 40 s
    record.replace(26, 4, "2468");                     // password
    record.replace(90, 15, padded("+380501234567", 15)); // subscriber 1
    record.replace(225, 12, padded("DACHA", 12));      // device name
    record.replace(497, 16, "0123456789ABCDEF");       // key 1
    line.device.setRecord(record);

    QVERIFY(line.connectAndRead());
    Controls &c = line.c();
    QVERIFY(c.checked("CheckBox1") && c.checked("CheckBox2") && c.checked("CheckBox3"));
    QVERIFY(!c.checked("CheckBox4"));
    QVERIFY(c.checked("RadioButton19"));
    QCOMPARE(c.index("ComboBox22"), 4);
    QCOMPARE(c.text("Edit31"), QStringLiteral("2468"));
    QCOMPARE(c.text("Edit1"), QStringLiteral("+380501234567"));
    QCOMPARE(c.text("Edit19"), QStringLiteral("DACHA"));
    QCOMPARE(c.text("Edit10"), QStringLiteral("0123456789ABCDEF"));
    QVERIFY(line.button("ButtWrite")->isEnabled());
    QVERIFY(!line.form->timer2().isActive());
    QCOMPARE(line.form->control<QLabel>("Label22")->text(), QStringLiteral("Связь установлена"));
}

void TestEndToEnd::writeStoresWhatTheUserChanged()
{
    Line line;
    QVERIFY(line.connectAndRead());
    Controls &c = line.c();
    // Several pages, by the user's means.
    line.click("CheckBox14"); // arming SMS: 1..5
    c.setChecked("RadioButton20", true);                      // input 1: toggle switch
    c.setChecked("RadioButton31", true);                      // output 5: sensor power
    c.setIndex("ComboBox30", 3);                              // listening 30 s
    c.setText("Edit31", "12");                                // too short: "7913" goes out
    line.click("CheckBox56"); // thermometer on
    c.setText("Edit33", "5");                                 // upper threshold "05"
    c.setText("Edit2", "+380671112233");
    c.setText("Edit24", "");                                  // empty: default "Alarm!"
    c.setText("Edit18", "00000000000000AB");                  // key 9 goes first
    c.setText("Edit34", "internet");
    line.click("CheckBox113"); // partial arming, input 2

    QSignalSpy stored(&line.device, &sim::Simulator::recordChanged);
    line.button("ButtWrite")->click();
    QCOMPARE(line.waitForBox(2), kWriteDone);
    QVERIFY(stored.count() >= 1);
    const QByteArray r = line.device.record();
    QCOMPARE(r.at(1), '5');
    QCOMPARE(r.at(6), '4');
    QCOMPARE(r.at(14), '1');
    QCOMPARE(r.at(22), '3');
    QCOMPARE(r.mid(26, 4), QByteArray("7913"));
    QCOMPARE(r.at(30), '1');
    QCOMPARE(r.mid(32, 2), QByteArray("05"));
    QCOMPARE(r.at(72), '1');
    QCOMPARE(r.mid(105, 15), padded("+380671112233", 15));
    QCOMPARE(r.mid(285, 12), padded("Alarm!", 12));
    QCOMPARE(r.mid(369, 16), QByteArray("00000000000000AB"));
    QCOMPARE(r.mid(513, 48), "\"internet\"" + QByteArray(38, ' '));
    QCOMPARE(r.mid(561, 6), QByteArray("\"TCP\","));
    // The window shows what was sent.
    QCOMPARE(c.text("Edit31"), QStringLiteral("7913"));
    QCOMPARE(c.text("Edit24"), QStringLiteral("Alarm!"));
}

void TestEndToEnd::blockCommandsTravelBothWays_data()
{
    QTest::addColumn<QString>("writeButton");
    QTest::addColumn<QString>("readButton");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("fromDevice");
    QTest::addColumn<QString>("shown");
    QTest::newRow("phones") << "Button6" << "Button12" << "Edit9" << "+79001234567" << 210
                            << padded("+79001234567", 15) << padded("+3805", 15) << "+3805";
    QTest::newRow("keys") << "Button7" << "Button13" << "Edit11" << "ABCDEF0123456789" << 481
                          << QByteArray("ABCDEF0123456789") << QByteArray("1111222233334444") << "1111222233334444";
    QTest::newRow("sms") << "Button8" << "Button14" << "Edit30" << "Garage" << 357 << padded("Garage", 12)
                         << padded("Vorota", 12) << "Vorota";
}

void TestEndToEnd::blockCommandsTravelBothWays()
{
    QFETCH(QString, writeButton);
    QFETCH(QString, readButton);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(int, offset);
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, fromDevice);
    QFETCH(QString, shown);
    Line line;
    QVERIFY(line.connectAndRead());
    line.c().setText(field, typed);
    line.click(qPrintable(writeButton));
    QVERIFY(line.waitForBox(2).startsWith(QStringLiteral("Запись")));
    QCOMPARE(line.device.record().mid(offset, stored.size()), stored);

    QByteArray record = line.device.record();
    record.replace(offset, fromDevice.size(), fromDevice);
    line.device.setRecord(record);
    line.click(qPrintable(readButton));
    QVERIFY(line.waitForBox(3).startsWith(QStringLiteral("Чтение")));
    QCOMPARE(line.c().text(field), shown);
}

void TestEndToEnd::gprsCommandsTravelBothWays()
{
    Line line;
    QVERIFY(line.connectAndRead());
    Controls &c = line.c();
    c.setText("Edit34", "internet");
    c.setText("Edit35", "monitor.example");
    c.setText("Edit40", "8080");
    c.setText("Edit37", "60");
    line.click("Button10");
    QCOMPARE(line.waitForBox(2), QStringLiteral("Запись НАСТРОЕК ИНТЕРНЕТ СОЕДИНЕНИЯ прошла успешно"));
    const QByteArray r = line.device.record();
    QCOMPARE(r.mid(513, 48), "\"internet\"" + QByteArray(38, ' '));
    QVERIFY(r.mid(561).startsWith("\"TCP\",\"monitor.example\",\"8080\""));

    // The device's values come back through "READ_APN_", the period included.
    QByteArray record = r;
    record.replace(85, 3, "120");
    line.device.setRecord(record);
    c.setText("Edit34", "x");
    c.setText("Edit35", "y");
    c.setText("Edit40", "1");
    c.setText("Edit37", "2");
    line.click("Button15");
    QCOMPARE(line.waitForBox(3), QStringLiteral("Чтение НАСТРОЕК ИНТЕРНЕТ СОЕДИНЕНИЯ прошло успешно"));
    QCOMPARE(c.text("Edit34"), QStringLiteral("internet"));
    QCOMPARE(c.text("Edit35"), QStringLiteral("monitor.example"));
    QCOMPARE(c.text("Edit40"), QStringLiteral("8080"));
    QCOMPARE(c.text("Edit37"), QStringLiteral("120"));
}

void TestEndToEnd::generatedConfigurationsSurviveWriteAndRead()
{
    Line line;
    QVERIFY(line.connectAndRead());
    Controls &c = line.c();
    auto *rng = QRandomGenerator::global();
    const quint32 seed = rng->generate();
    QRandomGenerator gen(seed);
    qInfo("seed %u", seed);
    const char *const columns[][2] = {{"CheckBox", "1"}, {"CheckBox", "10"}, {"CheckBox", "58"}, {"CheckBox", "81"}};
    for (int round = 0; round < 3; ++round) {
        for (const auto &col : columns) {
            const int first = QByteArray(col[1]).toInt();
            const int n = gen.bounded(10);
            for (int k = 0; k < 9; ++k)
                c.setChecked(QStringLiteral("CheckBox%1").arg(first + k), k < n);
        }
        c.setIndex("ComboBox19", gen.bounded(10));
        c.setIndex("ComboBox24", gen.bounded(10));
        c.setChecked(QStringLiteral("RadioButton%1").arg(42 + gen.bounded(7)), true);
        c.setText("Edit5", QStringLiteral("+38%1").arg(gen.bounded(100000000, 999999999)));
        c.setText("Edit27", QStringLiteral("In%1").arg(gen.bounded(1000)));
        c.setText("Edit35", QStringLiteral("host%1.example").arg(gen.bounded(1000)));
        c.setText("Edit40", QString::number(gen.bounded(1, 65535)));

        // Snapshot of every check box, radio, list and edit on the pages.
        QStringList names;
        for (QWidget *w : line.form->pageControl()->findChildren<QWidget *>()) {
            const QString name = w->objectName();
            if (name.startsWith("CheckBox") || name.startsWith("RadioButton") || name.startsWith("ComboBox")
                || name.startsWith("Edit"))
                names << name;
        }
        auto snapshot = [&] {
            QStringList s;
            for (const QString &name : names)
                s << name + '=' + QString::number(c.checked(name)) + '/' + QString::number(c.index(name)) + '/'
                        + c.text(name);
            return s;
        };
        const int boxes = line.desktop.boxes.size();
        line.button("ButtWrite")->click();
        QCOMPARE(line.waitForBox(boxes + 1), kWriteDone);
        const QStringList written = snapshot();
        line.button("Button1")->click(); // scramble the settings controls
        line.button("Button11")->click();
        QCOMPARE(line.waitForBox(boxes + 2), kReadDone);
        QCOMPARE(snapshot(), written);
    }
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"

void TestEndToEnd::closingAsksOnlyWhenEditsWouldBeLost_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("asks");
    QTest::newRow("nothing done") << QStringList{} << false;
    QTest::newRow("typed") << QStringList{"type"} << true;
    QTest::newRow("clicked") << QStringList{"click"} << true;
    QTest::newRow("read, then factory settings") << QStringList{"read", "factory"} << true;
    QTest::newRow("read") << QStringList{"read"} << false;
    QTest::newRow("typed, then read") << QStringList{"type", "read"} << false;
    QTest::newRow("read, then typed") << QStringList{"read", "type"} << true;
    QTest::newRow("typed, then written") << QStringList{"read", "type", "write"} << false;
    QTest::newRow("written, then clicked") << QStringList{"read", "write", "click"} << true;
    QTest::newRow("typed, write not acknowledged") << QStringList{"read", "type", "unanswered write"} << true;
    QTest::newRow("typed, then saved") << QStringList{"type", "save"} << false;
    QTest::newRow("opened") << QStringList{"open"} << false;
    QTest::newRow("clicked, then opened") << QStringList{"click", "open"} << false;
    QTest::newRow("opened, then typed") << QStringList{"open", "type"} << true;
}

void TestEndToEnd::closingAsksOnlyWhenEditsWouldBeLost()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, asks);
    Line line;
    // Every step that stores or loads changes what the pages show.
    QByteArray record = line.device.record();
    record.replace(225, 12, padded("DACHA", 12));
    line.device.setRecord(record);
    const config::Catalog &catalog = config::windowCatalog();
    // A file as a read writes it, one word apart from the controller.
    config::ConfigForm other;
    records::applySettings(other.controls(), "READ_SET_" + record + '\r', 9);
    config::Configuration cfg = catalog.capture(other.controls());
    cfg.set(QStringLiteral("Edit19"), QStringLiteral("SKLAD"));
    const QString file = line.dir.filePath(QStringLiteral("other.cfg"));
    QString error;
    QVERIFY2(config::save(file, catalog.render(cfg), &error), qPrintable(error));
    ConfigurationMenu *menu = line.form->findChild<ConfigurationMenu *>();
    QSignalSpy commands(&line.device, &sim::Simulator::commandReceived);
    const QString title = line.form->windowTitle();

    for (const QString &step : steps) {
        const config::Configuration before = catalog.capture(line.c());
        const int shown = int(line.desktop.boxes.size());
        if (step == "type") {
            QTest::keyClicks(line.form->findChild<QLineEdit *>(QStringLiteral("Edit19")), "ab");
        } else if (step == "click") {
            line.click("CheckBox1");
        } else if (step == "factory") {
            line.click("Button1");
        } else if (step == "read") {
            if (!line.form->isConnected())
                line.click("OpenClose");
            else
                line.click("Button11");
            QCOMPARE(line.waitForBox(shown + 1), kReadDone);
        } else if (step == "write") {
            line.click("ButtWrite");
            QCOMPARE(line.waitForBox(shown + 1), kWriteDone);
        } else if (step == "unanswered write") {
            sim::Simulator::Faults silent;
            silent.silent = true;
            line.device.setFaults(silent);
            line.click("ButtWrite");
            QTRY_VERIFY(!commands.isEmpty() && commands.last().first().toByteArray().startsWith("WRITE_SET_"));
        } else if (step == "save") {
            QVERIFY(menu->saveTo(line.dir.filePath(QStringLiteral("saved.cfg"))));
        } else if (step == "open") {
            QVERIFY2(menu->openFrom(file), qPrintable(line.desktop.texts().join("\n")));
        }
        if (step != "write" && step != "unanswered write" && step != "save")
            QVERIFY2(!catalog.compare(before, catalog.capture(line.c())).isEmpty(), qPrintable(step)); // it changed the pages
    }

    const int shown = int(line.desktop.boxes.size());
    const qsizetype heard = commands.size();
    QCOMPARE(line.form->close(), !asks); // the recorder stays, as Escape does
    QCOMPARE(line.desktop.boxes.size(), shown + (asks ? 1 : 0));
    if (asks) {
        const RecordingDesktop::Box &question = line.desktop.boxes.last();
        QVERIFY(!question.error);
        QCOMPARE(question.text, QStringLiteral("Изменённые настройки не записаны в контроллер и не сохранены в файл. "
                                               "Закрыть окно без записи?"));
        QCOMPARE(question.answers, (QStringList{"Закрыть", "Остаться"}));
        QCOMPARE(question.owner, line.form.get());
        line.desktop.answer = true;
        QVERIFY(line.form->close());
        QCOMPARE(line.desktop.boxes.size(), shown + 2);
    }
    QCOMPARE(line.form->windowTitle(), title);
    // Nothing is sent at exit.
    if (line.form->isConnected())
        QVERIFY(!commands.wait(300));
    QCOMPARE(commands.size(), heard);
}
