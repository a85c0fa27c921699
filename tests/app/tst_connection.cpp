#include "app/configuratorwindow.h"
#include "app/tform1.h"
#include "link/serialchannel.h"
#include "ui/widgetcontrols.h"
#include "tests/support/ptypeer.h"
#include "tests/support/recordingdesktop.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kNotConnected = QStringLiteral("Связь не установлена");
const QString kConnected = QStringLiteral("Связь установлена");

// One window on a pseudo-terminal linked as COM<com>, with a recording desktop.
struct Bench
{
    // table: the default table's devices for COM1, COM2, ...; clock: the session's time,
    // stepped by the test
    explicit Bench(QList<int> coms = {1}, QStringList table = {}, StepClock *clock = nullptr)
    {
        for (int com : coms)
            peers.push_back(std::make_unique<PtyPeer>(dir.path(), com));
        form = std::make_unique<TForm1>(PortMap(dir.path(), table), nullptr, clock);
    }

    PtyPeer &peer(int i = 0) { return *peers.at(size_t(i)); }
    QPushButton *button(const char *name) { return form->control<QPushButton>(name); }
    QLabel *status() { return form->control<QLabel>("Label22"); }
    QColor statusColour() { return status()->palette().color(QPalette::Active, QPalette::WindowText); }

    bool connect()
    {
        button("OpenClose")->click();
        return form->channel().isOpen();
    }

    // "READ_SET" as the journal has it: written at once, whether or not it has arrived.
    int sentRequests() const
    {
        int n = 0;
        for (const ExchangeJournal::Entry &e : form->journal().entries())
            n += e.direction == ExchangeJournal::Direction::Sent && e.bytes == "READ_SET\r";
        return n;
    }

    QComboBox *ports() { return form->control<QComboBox>("ComboBox1"); }
    QStringList portItems()
    {
        QStringList items;
        for (int i = 0; i < ports()->count(); ++i)
            items << ports()->itemText(i);
        return items;
    }
    // Opening the drop-down looks for ports again while disconnected.
    void openPortList()
    {
        ports()->showPopup();
        ports()->hidePopup();
    }

    QTemporaryDir dir;
    RecordingDesktop desktop;
    std::vector<std::unique_ptr<PtyPeer>> peers;
    std::unique_ptr<TForm1> form;
};

const char *const kDeviceButtons[] = {"Button6", "Button7", "Button8", "Button10",
                                      "Button12", "Button13", "Button14", "Button15"};

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    void connectSendsReadRequestAndSwitchesTheBar();
    void readRequestRepeatsUntilAnswered();
    void failedConnectLeavesEverythingAsItWas_data();
    void failedConnectLeavesEverythingAsItWas();
    void entryKeepsTheDeviceItWasFoundAs();
    void openingTheListLooksForPortsAgain();
    void disconnectRestoresTheStartState();
    void anotherPortTakesEffectAtTheNextConnect();
    void acknowledgementsAreReported_data();
    void acknowledgementsAreReported();
    void settingsReplyStopsRepeatAndEnablesButtons();
    void replyInSeveralChunksIsHandledOnce();
    void repeatWaitsWhileAReplyArrives();
    void redundantSettingsAnswerIsNotApplied();
    void readButtonsSendTheirWords_data();
    void readButtonsSendTheirWords();
    void button11DisablesItselfAndEnablesWrite();
    void tickUnderAnOpenMessageBoxDoesNotLoseTheReply();
    void vanishedPortDisconnectsWithOneMessage();
    void statusBarSaysHowLongTheControllerIsSilent_data();
    void statusBarSaysHowLongTheControllerIsSilent();
};

void TestConnection::connectSendsReadRequestAndSwitchesTheBar()
{
    Bench b;
    QVERIFY(b.connect());
    QCOMPARE(b.button("OpenClose")->text(), QStringLiteral("Отсоединиться"));
    QTRY_COMPARE(b.peer().received(), QByteArray("READ_SET\r"));
    QVERIFY(b.form->timer1().isActive());
    QVERIFY(b.form->timer2().isActive());
    QCOMPARE(b.form->timer1().interval(), 1000);
    QCOMPARE(b.form->timer2().interval(), 2000);
    QVERIFY(!b.button("ButtWrite")->isEnabled());
    QVERIFY(!b.button("Button11")->isEnabled());
    for (const char *name : kDeviceButtons)
        QVERIFY2(b.button(name)->isEnabled(), name);
    // Status stays red until a reply is recognised.
    QCOMPARE(b.status()->text(), kNotConnected);
    QCOMPARE(b.statusColour(), QColor(255, 0, 0));
    QVERIFY(b.desktop.boxes.isEmpty());
}

void TestConnection::readRequestRepeatsUntilAnswered()
{
    StepClock clock;
    Bench b({1}, {}, &clock);
    QVERIFY(b.connect());
    QTRY_COMPARE(b.peer().received(), QByteArray("READ_SET\r"));
    clock.advance(1999);
    QCOMPARE(b.sentRequests(), 1);
    clock.advance(1);
    QTRY_COMPARE(b.peer().received(), QByteArray("READ_SET\rREAD_SET\r"));
    QCOMPARE(b.status()->text(), kNotConnected);
    QVERIFY(!b.button("ButtWrite")->isEnabled());
    QVERIFY(b.desktop.boxes.isEmpty());
}

void TestConnection::failedConnectLeavesEverythingAsItWas_data()
{
    QTest::addColumn<bool>("held");
    QTest::addColumn<QString>("detail"); // after "COM1 — <device>: "; %pid is this process
    QTest::newRow("gone since start-up") << false << "устройства больше нет: .+";
    QTest::newRow("held by another program") << true << "занят программой tst_connection \\(PID %pid\\)";
}

void TestConnection::failedConnectLeavesEverythingAsItWas()
{
    QFETCH(bool, held);
    QFETCH(QString, detail);
    Bench b;
    const QString device = b.form->portDevices().value(0);
    SerialChannel other;
    if (held)
        QVERIFY(other.open(device, 9600));
    else
        b.peer().hangUp();
    QVERIFY(!b.connect());
    QCOMPARE(b.desktop.boxes.size(), 1);
    QVERIFY(b.desktop.boxes[0].error);
    QCOMPARE(b.desktop.boxes[0].text, QStringLiteral("Ошибка открытия порта"));
    const QString pattern = "^COM1 — " + QRegularExpression::escape(device) + ": "
        + detail.replace("%pid", QString::number(QCoreApplication::applicationPid())) + "$";
    QVERIFY2(QRegularExpression(pattern).match(b.desktop.boxes[0].detail).hasMatch(),
             qPrintable(b.desktop.boxes[0].detail));
    QCOMPARE(b.button("OpenClose")->text(), QStringLiteral("Соединиться"));
    QVERIFY(!b.form->timer1().isActive());
    QVERIFY(!b.form->timer2().isActive());
    for (const char *name : kDeviceButtons)
        QVERIFY(!b.button(name)->isEnabled());
}

void TestConnection::entryKeepsTheDeviceItWasFoundAs()
{
    // COM1 is found by its link (a simulator); once the link has gone, the default table
    // would give COM1 another device. The entry keeps to the device it was found as.
    QTemporaryDir elsewhere;
    PtyPeer tableDevice(elsewhere.path(), 1);
    Bench b({1}, {tableDevice.slavePath()});
    const QString found = QFileInfo(b.peer().slavePath()).canonicalFilePath();
    QCOMPARE(b.form->portDevices(), QStringList{found});
    QVERIFY(b.connect());
    QTRY_COMPARE(b.peer().received(), QByteArray("READ_SET\r"));
    b.peer().hangUp(); // the simulator stops: its port and its link go
    QTRY_COMPARE(b.desktop.texts(), QStringList{"Потеряна связь с портом"});
    b.desktop.clear();
    // Another program's new pseudo-terminal usually gets the freed name.
    PtyPeer newcomer(elsewhere.path(), 2);

    QVERIFY(!b.connect());
    QCOMPARE(b.desktop.texts(), QStringList{"Ошибка открытия порта"});
    QVERIFY2(b.desktop.boxes[0].detail.startsWith("COM1 — " + found + ": устройства больше нет"),
             qPrintable(b.desktop.boxes[0].detail));
    QCOMPARE(b.button("OpenClose")->text(), QStringLiteral("Соединиться"));
    QCOMPARE(b.portItems(), QStringList{"COM1"});
    QVERIFY(tableDevice.received().isEmpty());
    QVERIFY(newcomer.received().isEmpty());

    // Only a new look at the ports takes the table's device for COM1.
    b.openPortList();
    QCOMPARE(b.portItems(), QStringList{"COM1"});
    const QString table = QFileInfo(tableDevice.slavePath()).canonicalFilePath();
    QCOMPARE(b.form->portDevices(), QStringList{table});
    QCOMPARE(b.ports()->itemData(0, Qt::ToolTipRole).toString(), "COM1 — " + table + " · псевдотерминал");
    QVERIFY(b.connect());
    QTRY_COMPARE(tableDevice.received(), QByteArray("READ_SET\r"));
}

void TestConnection::openingTheListLooksForPortsAgain()
{
    Bench b({3, 12});
    b.ports()->setCurrentIndex(1);
    QCOMPARE(b.ports()->currentText(), QStringLiteral("COM12"));

    // An adapter plugged in after start is listed; the choice stays.
    PtyPeer plugged(b.dir.path(), 5);
    b.openPortList();
    QCOMPARE(b.portItems(), (QStringList{"COM3", "COM5", "COM12"}));
    QCOMPARE(b.ports()->currentText(), QStringLiteral("COM12"));
    QCOMPARE(b.ports()->itemData(1, Qt::ToolTipRole).toString(),
             "COM5 — " + QFileInfo(plugged.slavePath()).canonicalFilePath() + " · псевдотерминал · по ссылке "
                 + plugged.linkPath());
    QCOMPARE(b.ports()->toolTip(), b.ports()->itemData(2, Qt::ToolTipRole).toString());

    // The chosen port has gone: the first one is chosen, as at start.
    b.peer(1).hangUp();
    b.openPortList();
    QCOMPARE(b.portItems(), (QStringList{"COM3", "COM5"}));
    QCOMPARE(b.ports()->currentText(), QStringLiteral("COM3"));

    // Never while connected: the list stands for the open link.
    QVERIFY(b.connect());
    PtyPeer late(b.dir.path(), 7);
    b.openPortList();
    QCOMPARE(b.portItems(), (QStringList{"COM3", "COM5"}));
    QVERIFY(b.form->channel().isOpen());

    // Nothing left: the connect button goes off again.
    b.button("OpenClose")->click();
    b.peer(0).hangUp();
    plugged.hangUp();
    late.hangUp();
    b.openPortList();
    QVERIFY(b.portItems().isEmpty());
    QCOMPARE(b.ports()->currentIndex(), -1);
    QVERIFY(!b.button("OpenClose")->isEnabled());
}

void TestConnection::disconnectRestoresTheStartState()
{
    Bench b;
    QVERIFY(b.connect());
    b.peer().send("WRITE_SET_OK\r");
    QTRY_COMPARE(b.desktop.boxes.size(), 1);
    QCOMPARE(b.statusColour(), QColor(0, 0, 255));
    b.button("OpenClose")->click();
    QVERIFY(!b.form->channel().isOpen());
    QCOMPARE(b.status()->text(), kNotConnected);
    QCOMPARE(b.statusColour(), QColor(255, 0, 0));
    QCOMPARE(b.button("OpenClose")->text(), QStringLiteral("Соединиться"));
    QVERIFY(!b.form->timer1().isActive());
    QVERIFY(!b.form->timer2().isActive());
    QVERIFY(!b.button("ButtWrite")->isEnabled());
    QVERIFY(!b.button("Button11")->isEnabled());
    for (const char *name : kDeviceButtons)
        QVERIFY(!b.button(name)->isEnabled());
    // Nothing is sent on disconnect.
    QCOMPARE(b.peer().received().count("READ_SET\r"), b.peer().received().size() / 9);
}

void TestConnection::anotherPortTakesEffectAtTheNextConnect()
{
    Bench b({3, 12});
    auto *combo = b.form->control<QComboBox>("ComboBox1");
    QCOMPARE(combo->currentText(), QStringLiteral("COM3"));
    QVERIFY(b.connect());
    QTRY_COMPARE(b.peer(0).received(), QByteArray("READ_SET\r"));
    combo->setCurrentIndex(1);
    b.form->ComboBox1Select(1);
    QVERIFY(b.form->channel().isOpen());
    b.button("OpenClose")->click(); // disconnects from COM3
    QVERIFY(!b.form->channel().isOpen());
    QVERIFY(b.connect());
    QTRY_COMPARE(b.peer(1).received(), QByteArray("READ_SET\r"));
    QCOMPARE(b.peer(0).received(), QByteArray("READ_SET\r"));
}

void TestConnection::acknowledgementsAreReported_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("settings written") << QByteArray("WRITE_SET_OK\r")
                                      << QStringList{"Запись НАСТРОЕК прошла успешно"};
    QTest::newRow("phones") << QByteArray("WRITE_ABON_OK\r") << QStringList{"Запись ТЕЛЕФОНЫХ НОМЕРОВ прошла успешно"};
    QTest::newRow("keys") << QByteArray("WRITE_DALLAS_OK\r") << QStringList{"Запись КЛЮЧЕЙ I-BUTTON прошла успешно"};
    QTest::newRow("sms") << QByteArray("WRITE_SMS_OK\r") << QStringList{"Запись ТЕКСТОВ SMS сообщений прошла успешно"};
    QTest::newRow("gprs") << QByteArray("WRITE_APN_OK\r")
                          << QStringList{"Запись НАСТРОЕК ИНТЕРНЕТ СОЕДИНЕНИЯ прошла успешно"};
    QTest::newRow("SMS then phone ack, one CR: phone first")
        << QByteArray("WRITE_SMS_OKWRITE_ABON_OK\r")
        << QStringList{"Запись ТЕЛЕФОНЫХ НОМЕРОВ прошла успешно", "Запись ТЕКСТОВ SMS сообщений прошла успешно"};
    QTest::newRow("no reply word") << QByteArray("GARBAGE\r") << QStringList{};
}

void TestConnection::acknowledgementsAreReported()
{
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, messages);
    Bench b;
    QVERIFY(b.connect());
    b.peer().send(reply);
    // The buffer is emptied once the complete text has been handled.
    QTRY_VERIFY(b.peer().received().size() >= 9 && b.form->channel().bytesWaiting() == 0
                && b.form->replies().pending().isEmpty());
    QTRY_COMPARE(b.desktop.texts(), messages);
    for (const auto &box : b.desktop.boxes)
        QVERIFY(!box.error);
    QCOMPARE(b.status()->text(), messages.isEmpty() ? kNotConnected : kConnected);
    QCOMPARE(b.statusColour(), messages.isEmpty() ? QColor(255, 0, 0) : QColor(0, 0, 255));
    QVERIFY(b.form->timer2().isActive()); // only a settings reply stops the repeat
    // A text that has been handled is no reply still arriving: the repeat goes out.
    b.form->timer2().stop();
    const int requests = b.peer().received().count("READ_SET\r");
    b.form->Timer2Timer();
    QTRY_COMPARE(b.peer().received().count("READ_SET\r"), requests + 1);
}

void TestConnection::settingsReplyStopsRepeatAndEnablesButtons()
{
    StepClock clock;
    Bench b({1}, {}, &clock);
    QVERIFY(b.connect());
    bool stateWhenShown = false;
    b.desktop.whileOpen = [&](const RecordingDesktop::Box &) {
        stateWhenShown = !b.form->timer2().isActive() && b.button("ButtWrite")->isEnabled()
            && b.button("Button11")->isEnabled() && b.status()->text() == kConnected;
    };
    b.peer().send("READ_SET_" + QByteArray(600, '0') + "\r");
    QTRY_COMPARE(b.form->channel().bytesWaiting(), qint64(610));
    clock.advance(1000); // the poll takes it
    QCOMPARE(b.desktop.texts(), QStringList{"Чтение НАСТРОЕК прошло успешно"});
    QVERIFY(stateWhenShown);
    // The repeat does not resume.
    const int requests = b.sentRequests();
    clock.advance(2500);
    QCOMPARE(b.sentRequests(), requests);
}

void TestConnection::replyInSeveralChunksIsHandledOnce()
{
    Bench b;
    QVERIFY(b.connect());
    b.form->timer2().stop(); // keep the line quiet: no purge between the pieces
    b.peer().send("WRITE_SE");
    QTRY_COMPARE(b.form->replies().pending(), QByteArray("WRITE_SE"));
    b.peer().send("T_O");
    QTRY_COMPARE(b.form->replies().pending(), QByteArray("WRITE_SET_O"));
    b.peer().send("K\r");
    QTRY_COMPARE(b.desktop.texts(), QStringList{"Запись НАСТРОЕК прошла успешно"});
    QVERIFY(b.form->replies().pending().isEmpty());
    // Nothing of it is handled again on later polls.
    b.peer().send("WRITE_SMS_OK\r");
    QTRY_COMPARE(b.desktop.boxes.size(), 2);
    QCOMPARE(b.desktop.texts().last(), QStringLiteral("Запись ТЕКСТОВ SMS сообщений прошла успешно"));
}

void TestConnection::repeatWaitsWhileAReplyArrives()
{
    Bench b;
    QVERIFY(b.connect());
    QTRY_COMPARE(b.peer().received(), QByteArray("READ_SET\r"));
    // The test drives both timers by hand.
    b.form->timer1().stop();
    b.form->timer2().stop();
    auto waitFor = [&](qint64 bytes) { return QTest::qWaitFor([&] { return b.form->channel().bytesWaiting() == bytes; }); };

    b.peer().send("READ_SET_000");
    QVERIFY(waitFor(12));
    b.form->Timer2Timer(); // unread bytes arrived: held back
    b.form->Timer1Timer();
    QCOMPARE(b.form->replies().pending(), QByteArray("READ_SET_000"));
    b.peer().send("111");
    QVERIFY(waitFor(3));
    b.form->Timer1Timer();
    b.form->Timer2Timer(); // the text grew since the last repeat: held back
    QCOMPARE(b.peer().received(), QByteArray("READ_SET\r"));

    // A whole period without growth: the partial text is stale and goes with the purge.
    b.form->Timer2Timer();
    QTRY_COMPARE(b.peer().received(), QByteArray("READ_SET\rREAD_SET\r"));
    QVERIFY(b.form->replies().pending().isEmpty());

    b.peer().send("READ_SET_" + QByteArray(600, '0'));
    QVERIFY(waitFor(609));
    b.form->Timer2Timer();
    b.peer().send("\r");
    QVERIFY(waitFor(610));
    b.form->Timer1Timer();
    QCOMPARE(b.desktop.texts(), QStringList{"Чтение НАСТРОЕК прошло успешно"});
    QCOMPARE(b.peer().received(), QByteArray("READ_SET\rREAD_SET\r"));
}

void TestConnection::redundantSettingsAnswerIsNotApplied()
{
    StepClock clock;
    Bench b({1}, {}, &clock);
    QVERIFY(b.connect());
    // A silent line: the request goes out again, twice (each write purges what the
    // driver has not sent yet, so each is let through first).
    QTRY_COMPARE(b.peer().received(), QByteArray("READ_SET\r"));
    b.form->Timer2Timer();
    QTRY_COMPARE(b.peer().received(), QByteArray("READ_SET\rREAD_SET\r"));
    b.form->Timer2Timer();
    QTRY_COMPARE(b.peer().received(), QByteArray("READ_SET\rREAD_SET\rREAD_SET\r"));
    const QByteArray reply = "READ_SET_" + QByteArray(600, '0') + "\r";
    // What has come is taken by the next poll.
    auto arrive = [&](const QByteArray &text) {
        b.peer().send(text);
        const bool came = QTest::qWaitFor([&] { return b.form->channel().bytesWaiting() == text.size(); });
        clock.advance(1000);
        return came;
    };
    QVERIFY(arrive(reply));
    QCOMPARE(b.desktop.boxes.size(), 1);
    // The controller answers a repeat too: the user's edit stays, and no second box.
    b.form->controls().setText("Edit31", "2468");
    QVERIFY(arrive(reply));
    QVERIFY(b.form->channel().bytesWaiting() == 0 && b.form->replies().pending().isEmpty());
    clock.advance(1100);
    QCOMPARE(b.desktop.boxes.size(), 1);
    QCOMPARE(b.form->controls().text("Edit31"), QStringLiteral("2468"));
    // A record that is not a copy of the one shown is never passed over, even while a
    // copy is still due (a controller that answered only once never sends it).
    QByteArray changed = reply;
    changed.replace(9 + 26, 4, "1357");
    QVERIFY(arrive(changed));
    QCOMPARE(b.desktop.boxes.size(), 2);
    QCOMPARE(b.form->controls().text("Edit31"), QStringLiteral("1357"));
    // Asked for again, the answer is applied.
    b.button("Button11")->click();
    QVERIFY(arrive(reply));
    QCOMPARE(b.desktop.boxes.size(), 3);
    QCOMPARE(b.form->controls().text("Edit31"), QStringLiteral("0000"));
}

void TestConnection::readButtonsSendTheirWords_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("phones") << "Button12" << QByteArray("READ_ABON\r");
    QTest::newRow("keys") << "Button13" << QByteArray("READ_DALLAS\r");
    QTest::newRow("sms") << "Button14" << QByteArray("READ_SMS\r");
    QTest::newRow("gprs") << "Button15" << QByteArray("READ_APN\r");
}

void TestConnection::readButtonsSendTheirWords()
{
    QFETCH(QString, button);
    QFETCH(QByteArray, sent);
    Bench b;
    QVERIFY(b.connect());
    QTRY_COMPARE(b.peer().received(), QByteArray("READ_SET\r"));
    b.peer().takeReceived();
    b.form->findChild<QPushButton *>(button)->click();
    QTRY_COMPARE(b.peer().received(), sent);
    b.peer().takeReceived();
    // Enabled again right after the write; the poll restarts a full period after the send.
    QVERIFY(b.button("ButtWrite")->isEnabled());
    QVERIFY(b.form->timer1().isActive());
    QVERIFY(b.form->timer1().remainingTime() > 900);
}

void TestConnection::button11DisablesItselfAndEnablesWrite()
{
    Bench b;
    QVERIFY(b.connect());
    b.peer().send("READ_SET_" + QByteArray(600, '0') + "\r");
    QTRY_COMPARE(b.desktop.boxes.size(), 1);
    b.peer().takeReceived();
    b.button("ButtWrite")->setEnabled(false);
    b.button("Button11")->click();
    QVERIFY(!b.button("Button11")->isEnabled());
    QVERIFY(b.button("ButtWrite")->isEnabled());
    QTRY_COMPARE(b.peer().received(), QByteArray("READ_SET\r"));
    b.peer().takeReceived();
    b.peer().send("READ_SET_" + QByteArray(600, '0') + "\r");
    QTRY_VERIFY(b.button("Button11")->isEnabled());
    QCOMPARE(b.desktop.boxes.size(), 2);
}

void TestConnection::tickUnderAnOpenMessageBoxDoesNotLoseTheReply()
{
    // The real message box: its nested event loop keeps the poll running.
    Desktop::install(nullptr);
    QTemporaryDir dir;
    PtyPeer peer(dir.path(), 1);
    TForm1 form(PortMap(dir.path(), {}));
    form.control<QPushButton>("OpenClose")->click();
    QVERIFY(form.channel().isOpen());
    form.timer2().stop();

    QStringList shown;
    bool secondSent = false;
    QTimer watcher;
    watcher.setInterval(20);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || (!shown.isEmpty() && shown.last() == box->text() && shown.size() > 1))
            return;
        if (shown.isEmpty() || shown.last() != box->text())
            shown << box->text();
        if (!secondSent) {
            // While the first box is open, the next reply arrives and is polled.
            secondSent = true;
            peer.send("WRITE_ABON_OK\r");
            return;
        }
        box->accept();
    });
    watcher.start();
    peer.send("WRITE_SET_OK\r");
    QTRY_COMPARE_WITH_TIMEOUT(shown, (QStringList{"Запись НАСТРОЕК прошла успешно",
                                                  "Запись ТЕЛЕФОНЫХ НОМЕРОВ прошла успешно"}),
                              8000);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(form.control<QLabel>("Label22")->text(), kConnected);
    QVERIFY(form.replies().pending().isEmpty());
    QVERIFY(form.mayRead());
}

void TestConnection::vanishedPortDisconnectsWithOneMessage()
{
    StepClock clock;
    Bench b({1}, {}, &clock);
    QVERIFY(b.connect());
    QTRY_COMPARE(b.peer().received(), QByteArray("READ_SET\r"));
    b.peer().hangUp();
    QTRY_COMPARE(b.desktop.boxes.size(), 1);
    QVERIFY(b.desktop.boxes[0].error);
    QCOMPARE(b.desktop.boxes[0].text, QStringLiteral("Потеряна связь с портом"));
    QVERIFY(!b.form->channel().isOpen());
    QCOMPARE(b.button("OpenClose")->text(), QStringLiteral("Соединиться"));
    QVERIFY(!b.form->timer1().isActive());
    QVERIFY(!b.form->timer2().isActive());
    for (const char *name : kDeviceButtons)
        QVERIFY(!b.button(name)->isEnabled());
    // The repeat no longer runs, so nothing stacks up.
    clock.advance(2500);
    QCOMPARE(b.desktop.boxes.size(), 1);
    QCOMPARE(b.sentRequests(), 1);
}


void TestConnection::statusBarSaysHowLongTheControllerIsSilent_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("at"); // the second the controller says it; -1 never
    QTest::addColumn<bool>("answers");
    const QByteArray record = "READ_SET_" + QByteArray(600, '0') + "\r";
    QTest::newRow("nothing answers") << QByteArray() << -1 << false;
    QTest::newRow("the record at once") << record << 0 << true;
    QTest::newRow("the record after 4 s") << record << 4 << true;
    QTest::newRow("the record once silent") << record << 11 << true;
    QTest::newRow("a text that answers nothing") << QByteArray("GARBAGE\r") << 3 << false;
}

void TestConnection::statusBarSaysHowLongTheControllerIsSilent()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, at);
    QFETCH(bool, answers);
    StepClock clock;
    Bench b({1}, {}, &clock);
    ConfiguratorWindow window(b.form.get());
    const auto heldByTheWindow = qScopeGuard([&b] { (void)b.form.release(); });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect formPlace = b.form->geometry();
    const int barHeight = window.statusBar()->height();
    QLabel *shown = window.waitingLabel();
    QVERIFY(shown->isVisible());
    QCOMPARE(shown->text(), QString());

    QVERIFY(b.connect());
    QTRY_COMPARE(b.peer().received(), QByteArray("READ_SET\r"));
    const QString silent = QStringLiteral("Контроллер не отвечает — проверьте кабель, питание и номер порта");
    for (int second = 0; second <= 12; ++second) {
        if (second == at) {
            b.peer().send(reply);
            QTRY_COMPARE(b.form->channel().bytesWaiting(), qint64(reply.size()));
        }
        // Taken at the next tick.
        const bool answered = answers && second > at;
        const QString expected = answered ? QString()
            : second < 10                 ? QStringLiteral("Ожидание ответа контроллера… %1 с").arg(second)
                                          : silent;
        QCOMPARE(shown->text(), expected);
        QCOMPARE(b.form->waitingStatus().text(), expected);
        // The connection bar's own words stay as they are, and until the record comes
        // the request goes again every two seconds.
        QCOMPARE(b.status()->text(), answered ? kConnected : kNotConnected);
        if (!answered)
            QTRY_COMPARE(b.peer().received().count("READ_SET\r"), 1 + second / 2);
        clock.advance(1000);
    }
    // The bar kept its height and the form its place, whatever it said.
    QCOMPARE(window.statusBar()->height(), barHeight);
    QCOMPARE(b.form->geometry(), formPlace);
    b.button("OpenClose")->click();
    QCOMPARE(shown->text(), QString());
    clock.advance(3000);
    QCOMPARE(shown->text(), QString());
}

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
