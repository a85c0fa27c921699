// The program's window around the form: the menu bar, fitting small screens, the help
// windows and the journal's long lines.
#include "app/configurationmenu.h"
#include "app/configuratorwindow.h"
#include "app/journalwindow.h"
#include "app/networkaddressdialog.h"
#include "app/networkaddresses.h"
#include "app/tform1.h"
#include "app/windowactions.h"
#include "integrity/buildinfo.h"
#include "net/comportserver.h"
#include "net/networkline.h"
#include "sim/simulator.h"
#include "tests/support/displaychild.h"
#include "tests/support/ptypeer.h"
#include "tests/support/recordingdesktop.h"
#include "ui/focusedwheel.h"
#include "ui/pagecontrol.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QAbstractTextDocumentLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>
#include <cmath>

#include <sys/socket.h>

namespace {

QString plain(QString text)
{
    return text.remove(QLatin1Char('&'));
}

QAction *entry(QMenu *menu, const QString &caption)
{
    for (QAction *action : menu->actions()) {
        if (plain(action->text()) == caption)
            return action;
    }
    return nullptr;
}

// The controls a user can reach with the keyboard on one page.
QList<QWidget *> focusable(QWidget *page)
{
    QList<QWidget *> found;
    for (QWidget *w : page->findChildren<QWidget *>()) {
        if (w->focusPolicy() & Qt::TabFocus && w->isVisibleTo(page) && !qobject_cast<QAbstractButton *>(w->parentWidget())
            && !w->inherits("QComboBoxPrivateContainer") && w->window() == page->window())
            found << w;
    }
    return found;
}

// Run in a child on a display of the row's size and scale: fits the window to the
// screen and reports, page by page, whether the control furthest down and right can
// be scrolled into view.
int fitCheck()
{
    QTemporaryDir ports;
    auto *form = new TForm1(PortMap(ports.path(), {}));
    ConfiguratorWindow window(form);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 2;
    QTextStream out(stdout);
    const QRect available = window.screen()->availableGeometry();
    out << "fits " << int(available.contains(window.frameGeometry())) << '\n';
    // In device pixels too: a fractional scale rounds the logical screen up by half a pixel.
    const QSize screen = QSize(qEnvironmentVariableIntValue("TAVRIX_FIT_WIDTH"),
                               qEnvironmentVariableIntValue("TAVRIX_FIT_HEIGHT"));
    const qreal ratio = window.devicePixelRatioF();
    const QRect frame = window.frameGeometry();
    out << "fits in device pixels "
        << int(std::ceil((frame.right() + 1) * ratio) <= screen.width()
               && std::ceil((frame.bottom() + 1) * ratio) <= screen.height())
        << '\n';
    const QSize need(form->width(), form->height() + window.menuBar()->height() + window.statusBar()->height());
    out << "whole " << int(available.width() >= need.width() && available.height() >= need.height()) << '\n';
    out << "grown " << int(window.size() == need) << '\n';
    QScrollArea *scroll = window.scrollArea();
    out << "scrollbars " << int(scroll->horizontalScrollBar()->isVisible()) << ' '
        << int(scroll->verticalScrollBar()->isVisible()) << '\n';
    PageControl *pages = form->pageControl();
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        QWidget *last = nullptr;
        for (QWidget *w : focusable(pages->page(i))) {
            const QRect r(w->mapTo(form, QPoint()), w->size());
            if (!last || r.bottom() > QRect(last->mapTo(form, QPoint()), last->size()).bottom()
                || r.right() > QRect(last->mapTo(form, QPoint()), last->size()).right())
                last = w;
        }
        if (!last)
            continue;
        scroll->ensureWidgetVisible(last, 0, 0);
        QCoreApplication::processEvents();
        const QRect inView(last->mapTo(scroll->viewport(), QPoint()), last->size());
        out << "page " << i << ' ' << int(scroll->viewport()->rect().contains(inView)) << '\n';
    }
    return 0;
}

// Counts the wheel events the display sends, so that a check waits for the wheel to
// have come rather than for a while.
class WheelsSeen : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Wheel && event->spontaneous())
            ++count;
        return false;
    }
};

// One turn of the wheel over the middle of `target` through the display, as a mouse
// gives it: down, or up when the page is already at its end.
bool turnWheelOver(QWidget *target, const QScrollBar *page, const WheelsSeen &seen)
{
    const qreal ratio = target->devicePixelRatioF();
    const QPoint at = target->mapToGlobal(target->rect().center());
    const int button = page && page->value() == page->maximum() && page->maximum() > 0 ? 4 : 5;
    const int before = seen.count;
    if (QProcess::execute(QStringLiteral("xdotool"),
                          {"mousemove", QString::number(qRound(at.x() * ratio)),
                           QString::number(qRound(at.y() * ratio)), "click", QString::number(button)})
        != 0)
        return false;
    return QTest::qWaitFor([&] { return seen.count > before; }, 10000);
}

// Run in a child on a display of the row's size and scale: turns the wheel over each
// kind of control, with and without the focus, and reports what moved.
int wheelCheck()
{
    useWheelOnlyWithFocus();
    WheelsSeen seen;
    qApp->installEventFilter(&seen);
    QTextStream out(stdout);

    auto check = [&](const QString &kind, QWidget *control, QWidget *elsewhere, QScrollArea *scroll,
                     const std::function<int()> &value) {
        for (const bool focused : {false, true}) {
            QWidget *window = control->window();
            window->activateWindow();
            if (!QTest::qWaitForWindowActive(window))
                return false;
            scroll->verticalScrollBar()->setValue(0);
            scroll->ensureWidgetVisible(control, 0, 0);
            (focused ? control : elsewhere)->setFocus(Qt::OtherFocusReason);
            if (!QTest::qWaitFor([&] { return QApplication::focusWidget() == (focused ? control : elsewhere); }))
                return false;
            QCoreApplication::processEvents();
            QScrollBar *page = scroll->verticalScrollBar();
            const int valueBefore = value();
            const int pageBefore = page->value();
            if (!turnWheelOver(control, page, seen))
                return false;
            out << "wheel " << kind << ' ' << int(focused) << " value " << int(value() != valueBefore)
                << " scrolled " << int(page->value() != pageBefore) << " focus " << int(control->hasFocus())
                << " scrollable " << int(page->maximum() > 0) << '\n';
        }
        return true;
    };

    {
        QTemporaryDir ports;
        auto *form = new TForm1(PortMap(ports.path(), {}));
        ConfiguratorWindow window(form);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return 2;
        form->pageControl()->setCurrentIndex(1);
        auto *arming = form->control<QComboBox>("ComboBox19");
        auto *dialling = form->control<QComboBox>("ComboBox2");
        QWidget *other = form->control<QLineEdit>("Edit31");
        if (!check(QStringLiteral("list"), arming, other, window.scrollArea(), [arming] { return arming->currentIndex(); })
            || !check(QStringLiteral("editable-list"), dialling, other, window.scrollArea(),
                      [dialling] { return dialling->currentIndex(); }))
            return 3;
    }

    // Any other window: a page of spin boxes and sliders taller than its window.
    QScrollArea window;
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    auto *edit = new QLineEdit;
    auto *spin = new QSpinBox;
    spin->setRange(0, 100);
    spin->setValue(50);
    auto *slider = new QSlider(Qt::Horizontal);
    slider->setRange(0, 100);
    slider->setValue(50);
    auto *longList = new QComboBox;
    for (int i = 0; i < 60; ++i)
        longList->addItem(QString::number(i));
    for (QWidget *w : std::initializer_list<QWidget *>{edit, spin, slider, longList})
        layout->addWidget(w);
    layout->addSpacing(1000);
    window.setWidget(content);
    window.setWidgetResizable(true);
    window.resize(300, 200);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 2;
    if (!check(QStringLiteral("spin-box"), spin, edit, &window, [spin] { return spin->value(); })
        || !check(QStringLiteral("slider"), slider, edit, &window, [slider] { return slider->value(); }))
        return 3;

    // A list's drop-down scrolls with the wheel as ever.
    longList->setFocus();
    longList->showPopup();
    QAbstractItemView *view = longList->view();
    if (!QTest::qWaitForWindowExposed(view->window()))
        return 2;
    const int before = view->verticalScrollBar()->value();
    if (!turnWheelOver(view->viewport(), view->verticalScrollBar(), seen))
        return 3;
    out << "wheel drop-down 1 scrolled " << int(view->verticalScrollBar()->value() != before) << '\n';
    return 0;
}

// The simulator's controller lent over RFC 2217 by the program's own server, in this
// process; the simulator's terminal is in a folder of its own, out of the window's list.
struct ServedController
{
    ServedController()
    {
        QString why;
        if (!sim.start(dir.path(), 7, &why)) {
            error = why;
            return;
        }
        sim.setPacing(false);
        if (!server.start(sim.slavePath(), QHostAddress::LocalHost, 0))
            error = server.errorString();
    }
    bool ok() const { return error.isEmpty(); }
    QString address(quint16 port = 0) const
    {
        return QStringLiteral("rfc2217://127.0.0.1:%1").arg(port ? port : server.listeningPort());
    }

    QTemporaryDir dir;
    sim::Simulator sim;
    ComPortServer server;
    QString error;
};

// Passes both ways until the settings write comes, then resets the connection in its
// middle, as a cable pulled from a serial server does.
class ResetInWrite : public QObject
{
public:
    explicit ResetInWrite(quint16 upstream) : m_upstream(upstream)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *client = m_server.nextPendingConnection();
            auto *server = new QTcpSocket(client);
            server->connectToHost(QHostAddress::LocalHost, m_upstream);
            connect(server, &QTcpSocket::readyRead, client, [=] { client->write(server->readAll()); });
            connect(client, &QTcpSocket::readyRead, server, [=] {
                const QByteArray bytes = client->readAll();
                const qsizetype at = bytes.indexOf("WRITE_SET_");
                if (at < 0) {
                    server->write(bytes);
                    return;
                }
                server->write(bytes.left(at + 20));
                server->flush();
                const linger hard{1, 0};
                ::setsockopt(int(client->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
                client->abort();
                server->abort();
            });
        });
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    quint16 m_upstream;
    QTcpServer m_server;
};

QStringList itemsOf(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void menuEntriesMirrorTheirSources_data();
    void menuEntriesMirrorTheirSources();
    void connectEntryFollowsTheLink();
    void networkPortReadThroughTheDialog();
    void networkAddressesStandAfterTheComPorts();
    void networkResetInAWriteIsAPulledPort();
    void commandsFollowTheSession_data();
    void commandsFollowTheSession();
    void mnemonicsAreUniqueAndOpenTheMenus();
    void entryGivenToTheBarMenuIsInBothMenus();
    void formKeepsItsSizeBelowTheBar();
    void windowFitsEveryScreen_data();
    void windowFitsEveryScreen();
    void wheelTakesAControlOnlyWithFocus_data();
    void wheelTakesAControlOnlyWithFocus();
    void closingAsksTheFormsQuestion();
    void aboutNamesProgramVersionQtLineAndPage();
    void journalWrapsALongReply();

private:
    std::unique_ptr<QTemporaryDir> m_ports;
    std::unique_ptr<RecordingDesktop> m_desktop;
    std::unique_ptr<ConfiguratorWindow> m_window;
    TForm1 *m_form = nullptr;
    QHash<QString, QStringList> m_wheelRuns; // screen and scale → what the child saw
};

void TestWindow::init()
{
    m_ports = std::make_unique<QTemporaryDir>();
    // The window's own settings (remembered addresses among them) start empty each time.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_ports->filePath(QStringLiteral("settings")));
    m_desktop = std::make_unique<RecordingDesktop>();
    m_form = new TForm1(PortMap(m_ports->path(), {}));
    m_window = std::make_unique<ConfiguratorWindow>(m_form);
}

void TestWindow::cleanup()
{
    m_window.reset();
    m_desktop.reset();
    m_ports.reset();
}

void TestWindow::menuEntriesMirrorTheirSources_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("source");
    QTest::newRow("open") << "fileMenu" << "Открыть конфигурацию…" << "openConfiguration";
    QTest::newRow("save") << "fileMenu" << "Сохранить конфигурацию…" << "saveConfiguration";
    QTest::newRow("compare") << "fileMenu" << "Сравнить с файлом…" << "compareConfiguration";
    QTest::newRow("report") << "fileMenu" << "Отчёт о конфигурации…" << "reportConfiguration";
    QTest::newRow("site book") << "fileMenu" << "Объекты…" << "openSiteBook";
    QTest::newRow("connect") << "controllerMenu" << "Соединиться" << "OpenClose";
    QTest::newRow("read") << "controllerMenu" << "Считать настройки" << "Button11";
    QTest::newRow("write") << "controllerMenu" << "Записать настройки" << "ButtWrite";
    QTest::newRow("factory") << "controllerMenu" << "Заводские настройки" << "Button1";
    QTest::newRow("revert") << "controllerMenu" << "Вернуть прежние настройки" << "revertSettings";
    QTest::newRow("journal") << "controllerMenu" << "Журнал обмена…" << "openJournal";
    QTest::newRow("production line") << "controllerMenu" << "Серийная запись…" << "openProductionLine";
    QTest::newRow("network port") << "controllerMenu" << "Подключиться по сети…" << "connectNetwork";
    QTest::newRow("forget address") << "controllerMenu" << "Забыть адрес" << "forgetAddress";
}

void TestWindow::menuEntriesMirrorTheirSources()
{
    QFETCH(QString, menu);
    QFETCH(QString, caption);
    QFETCH(QString, source);
    auto *list = m_window->findChild<QMenu *>(menu);
    QVERIFY(list);
    QAction *item = entry(list, caption);
    QVERIFY2(item, qPrintable(caption));
    auto *button = m_form->findChild<QAbstractButton *>(source);
    auto *action = m_form->findChild<QAction *>(source);
    QVERIFY(button || action);
    // Enabled exactly when its source is, both ways.
    for (bool enabled : {false, true, false}) {
        if (button)
            button->setEnabled(enabled);
        else
            action->setEnabled(enabled);
        QCOMPARE(item->isEnabled(), enabled);
    }
    if (action)
        QCOMPARE(item->shortcut(), action->shortcut());

    // Doing what the source does, and nothing while it is disabled.
    // Without the source's own work, so that no dialog or port opens.
    if (button)
        button->disconnect(m_form);
    else
        QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
    QSignalSpy clicks(button ? static_cast<QObject *>(button) : action,
                      button ? SIGNAL(clicked(bool)) : SIGNAL(triggered(bool)));
    item->trigger();
    QCOMPARE(clicks.size(), 0);
    if (button)
        button->setEnabled(true);
    else
        action->setEnabled(true);
    item->trigger();
    QCOMPARE(clicks.size(), 1);
}

void TestWindow::connectEntryFollowsTheLink()
{
    PtyPeer peer(m_ports->path(), 3);
    // The port list was read before the peer existed.
    m_form->control<QComboBox>("ComboBox1")->showPopup();
    m_form->control<QComboBox>("ComboBox1")->hidePopup();
    QAction *item = entry(m_window->controllerMenu(), QStringLiteral("Соединиться"));
    QVERIFY(item);
    QTRY_VERIFY(item->isEnabled());
    item->trigger();
    QVERIFY(m_form->isConnected());
    QTRY_COMPARE(plain(item->text()), QStringLiteral("Отсоединиться"));
    item->trigger();
    QVERIFY(!m_form->isConnected());
    QTRY_COMPARE(plain(item->text()), QStringLiteral("Соединиться"));
}

void TestWindow::networkPortReadThroughTheDialog()
{
    ServedController served;
    QVERIFY2(served.ok(), qPrintable(served.error));
    QAction *item = entry(m_window->controllerMenu(), QStringLiteral("Подключиться по сети…"));
    QVERIFY(item);
    QVERIFY(item->isEnabled());
    item->trigger();
    auto *dialog = m_form->findChild<NetworkAddressDialog *>();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());

    // Without a host it is refused in the tool's words, and stays open for a correction.
    dialog->hostEdit()->clear();
    dialog->portBox()->setValue(served.server.listeningPort());
    dialog->accept();
    QString why;
    QVERIFY(!NetworkLine::parse(dialog->address(), &why));
    QCOMPARE(dialog->refusalLabel()->text(), why);
    QVERIFY(dialog->isVisible());
    QVERIFY(!m_form->isConnected());

    dialog->hostEdit()->setText(QStringLiteral("127.0.0.1"));
    dialog->accept();
    QVERIFY(m_form->isConnected());
    QVERIFY(!dialog->isVisible());
    QVERIFY(!item->isEnabled());
    const QString address = served.address();
    auto *ports = m_form->control<QComboBox>("ComboBox1");
    QCOMPARE(ports->currentText(), address);
    QCOMPARE(networkaddresses::remembered(), QStringList{address});

    // The negotiation in words: all of it in the journal, its outcome in the status bar.
    QStringList notes;
    for (const ExchangeJournal::Entry &e : m_form->journal().entries()) {
        if (e.direction == ExchangeJournal::Direction::Note)
            notes << QString::fromUtf8(e.bytes);
    }
    QVERIFY2(notes.filter(QStringLiteral("COM-PORT-OPTION")).size() >= 2, qPrintable(notes.join('\n')));
    QVERIFY(!m_window->networkLabel()->isHidden());
    QVERIFY(m_window->networkLabel()->text().startsWith(address));
    QVERIFY(m_window->networkLabel()->text().contains(QStringLiteral("9600")));

    // The read on connect comes through the server, the controller's record byte for byte.
    QTRY_VERIFY(m_form->control<QPushButton>("ButtWrite")->isEnabled());
    QByteArray received;
    for (const ExchangeJournal::Entry &e : m_form->journal().entries()) {
        if (e.direction == ExchangeJournal::Direction::Received)
            received += e.bytes;
    }
    QVERIFY(received.contains(served.sim.record()));
    QVERIFY(m_desktop->texts().contains(QStringLiteral("Чтение НАСТРОЕК прошло успешно")));

    m_form->OpenCloseClick();
    QVERIFY(!m_form->isConnected());
    QVERIFY(m_window->networkLabel()->isHidden());
    // Listed, it connects as a COM port does.
    QCOMPARE(ports->currentText(), address);
    m_form->OpenCloseClick();
    QVERIFY(m_form->isConnected());
    m_form->OpenCloseClick();
}

void TestWindow::networkAddressesStandAfterTheComPorts()
{
    PtyPeer peer(m_ports->path(), 50);
    QVERIFY(peer.isValid());
    QStringList old;
    for (int i = 1; i <= networkaddresses::kKept; ++i) {
        old.prepend(QStringLiteral("socket://10.0.0.%1:4001").arg(i));
        networkaddresses::remember(old.first());
    }
    auto *ports = m_form->control<QComboBox>("ComboBox1");
    ports->showPopup();
    ports->hidePopup();
    QCOMPARE(itemsOf(ports), QStringList{QStringLiteral("COM50")} + old);

    // A refused connection is told once, names the address, and is not remembered.
    quint16 closed = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        closed = probe.serverPort();
    }
    const QString refused = QStringLiteral("rfc2217://127.0.0.1:%1").arg(closed);
    QVERIFY(!m_form->connectToAddress(refused));
    QCOMPARE(m_desktop->boxes.size(), 1);
    QVERIFY(m_desktop->boxes.first().error);
    QVERIFY(m_desktop->boxes.first().detail.startsWith(refused));
    QCOMPARE(networkaddresses::remembered(), old);

    // The eleventh goes first and pushes out the oldest.
    ServedController served;
    QVERIFY2(served.ok(), qPrintable(served.error));
    QVERIFY(m_form->connectToAddress(served.address()));
    const QStringList now = QStringList{served.address()} + old.mid(0, networkaddresses::kKept - 1);
    QCOMPARE(networkaddresses::remembered(), now);
    QCOMPARE(itemsOf(ports), QStringList{QStringLiteral("COM50")} + now);
    auto *forget = m_form->findChild<QAction *>(QStringLiteral("forgetAddress"));
    QVERIFY(!forget->isEnabled()); // not the connected one
    m_form->OpenCloseClick();

    // "Забыть адрес" on the chosen address; nothing on a COM port.
    QAction *item = entry(m_window->controllerMenu(), QStringLiteral("Забыть адрес"));
    QVERIFY(item);
    ports->setCurrentIndex(0);
    QVERIFY(!item->isEnabled());
    const QString gone = old.at(3);
    ports->setCurrentIndex(ports->findText(gone));
    QVERIFY(item->isEnabled());
    item->trigger();
    QVERIFY(!itemsOf(ports).contains(gone));
    QVERIFY(!networkaddresses::remembered().contains(gone));

    // Delete on an entry of the open list, and not on a COM port.
    ports->showPopup();
    QAbstractItemView *view = ports->view();
    const QString deleted = old.at(0);
    view->setCurrentIndex(ports->model()->index(ports->findText(deleted), 0));
    QTest::keyClick(view, Qt::Key_Delete);
    QVERIFY(!itemsOf(ports).contains(deleted));
    view->setCurrentIndex(ports->model()->index(0, 0));
    QTest::keyClick(view, Qt::Key_Delete);
    QCOMPARE(ports->itemText(0), QStringLiteral("COM50"));
    ports->hidePopup();
    QStringList left = now;
    left.removeAll(gone);
    left.removeAll(deleted);
    QCOMPARE(networkaddresses::remembered(), left);

    // A new window lists them as the settings keep them.
    TForm1 again(PortMap(m_ports->path(), {}));
    QCOMPARE(itemsOf(again.control<QComboBox>("ComboBox1")), QStringList{QStringLiteral("COM50")} + left);
}

void TestWindow::networkResetInAWriteIsAPulledPort()
{
    ServedController served;
    QVERIFY2(served.ok(), qPrintable(served.error));
    ResetInWrite proxy(served.server.listeningPort());
    QVERIFY(m_form->connectToAddress(served.address(proxy.port())));
    auto *write = m_form->control<QPushButton>("ButtWrite");
    QTRY_VERIFY(write->isEnabled());
    const QByteArray held = served.sim.record();
    m_desktop->clear();
    write->click();
    QTRY_VERIFY(!m_form->isConnected());
    QCoreApplication::processEvents();
    // One box, saying the write may not have landed; nothing told as written.
    QCOMPARE(m_desktop->boxes.size(), 1);
    QVERIFY(m_desktop->boxes.first().error);
    QCOMPARE(m_desktop->boxes.first().text, QStringLiteral("Потеряна связь с портом"));
    QVERIFY(m_desktop->boxes.first().detail.startsWith(QStringLiteral("Связь пропала во время записи")));
    QVERIFY(m_desktop->boxes.first().detail.contains(served.address(proxy.port()) + QStringLiteral(": ")));
    QCOMPARE(served.sim.record(), held);
    QVERIFY(m_window->networkLabel()->isHidden());
}

void TestWindow::commandsFollowTheSession_data()
{
    // What the user does, in order: connect, a settings record comes, a button is
    // clicked, disconnect; then the state the session is in and the buttons enabled.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<Session::State>("state");
    QTest::addColumn<QStringList>("enabled");
    const QStringList idle{"OpenClose", "Button1"};
    const QStringList blocks{"Button12", "Button13", "Button14", "Button15", "Button6", "Button7", "Button8", "Button10"};
    const QStringList all = idle + blocks + QStringList{"ButtWrite", "Button11"};
    using S = Session::State;
    QTest::newRow("disconnected") << QStringList{} << S::Disconnected << idle;
    QTest::newRow("awaiting record") << QStringList{"connect"} << S::AwaitingRecord << idle + blocks;
    QTest::newRow("awaiting record, block read sent")
        << QStringList{"connect", "Button12"} << S::AwaitingRecord << idle + blocks + QStringList{"ButtWrite"};
    QTest::newRow("awaiting ack, no record")
        << QStringList{"connect", "Button7"} << S::AwaitingAck << idle + blocks + QStringList{"ButtWrite"};
    QTest::newRow("ready, record held") << QStringList{"connect", "record"} << S::Ready << all;
    QTest::newRow("awaiting ack, record held") << QStringList{"connect", "record", "Button6"} << S::AwaitingAck << all;
    QTest::newRow("re-read asked")
        << QStringList{"connect", "record", "Button11"} << S::Ready << idle + blocks + QStringList{"ButtWrite"};
    QTest::newRow("re-read answered") << QStringList{"connect", "record", "Button11", "record"} << S::Ready << all;
    QTest::newRow("disconnected, record was held")
        << QStringList{"connect", "record", "disconnect"} << S::Disconnected << idle;
}

void TestWindow::commandsFollowTheSession()
{
    QFETCH(QStringList, steps);
    QFETCH(Session::State, state);
    QFETCH(QStringList, enabled);
    PtyPeer peer(m_ports->path(), 3);
    m_form->control<QComboBox>("ComboBox1")->showPopup();
    m_form->control<QComboBox>("ComboBox1")->hidePopup();
    for (const QString &step : steps) {
        if (step == "connect" || step == "disconnect") {
            m_form->control<QPushButton>("OpenClose")->click();
            QCOMPARE(m_form->isConnected(), step == "connect");
        } else if (step == "record") {
            const qsizetype boxes = m_desktop->boxes.size();
            peer.send("READ_SET_" + QByteArray(600, '0') + "\r");
            QTRY_COMPARE(m_desktop->boxes.size(), boxes + 1);
        } else {
            QVERIFY2(m_form->control<QPushButton>(qPrintable(step))->isEnabled(), qPrintable(step));
            m_form->control<QPushButton>(qPrintable(step))->click();
        }
    }
    QCOMPARE(m_form->session().state(), state);
    for (const WindowCommand &command : windowCommands()) {
        auto *button = m_form->control<QPushButton>(command.source);
        if (!button)
            continue;
        const QString name = QLatin1String(command.source);
        QVERIFY2(button->isEnabled() == enabled.contains(name), qPrintable(name));
        // The menu bar's entry says what the button says.
        if (auto *item = m_window->findChild<QAction *>(QStringLiteral("menu") + name)) {
            QVERIFY2(item->isEnabled() == button->isEnabled(), qPrintable(name));
            QCOMPARE(plain(item->text()), button->text());
        }
    }
    QCOMPARE(m_form->control<QPushButton>("OpenClose")->text(),
             m_form->isConnected() ? QStringLiteral("Отсоединиться") : QStringLiteral("Соединиться"));
}

void TestWindow::mnemonicsAreUniqueAndOpenTheMenus()
{
    QStringList titles;
    for (QAction *title : m_window->menuBar()->actions()) {
        titles << title->text();
        QSet<QChar> letters;
        for (QAction *item : title->menu()->actions()) {
            if (item->isSeparator())
                continue;
            const qsizetype at = item->text().indexOf(QLatin1Char('&'));
            QVERIFY2(at >= 0 && at + 1 < item->text().size(), qPrintable(item->text()));
            const QChar letter = item->text().at(at + 1).toLower();
            QVERIFY2(!letters.contains(letter), qPrintable(item->text()));
            letters << letter;
        }
    }
    QCOMPARE(titles, (QStringList{"&Файл", "&Контроллер", "&Справка"}));

    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::sendKeyEvent(QTest::Click, m_window.get(), Qt::Key(QChar(u'К').unicode()), QStringLiteral("к"),
                        Qt::AltModifier);
    QTRY_COMPARE(QApplication::activePopupWidget(), m_window->controllerMenu());
    m_window->controllerMenu()->close();
}

void TestWindow::entryGivenToTheBarMenuIsInBothMenus()
{
    auto *form = new TForm1(PortMap(m_ports->path(), {}));
    auto *sheet = new QAction(QStringLiteral("Отчёт о конфигурации…"), form);
    form->findChild<ConfigurationMenu *>()->addMenuAction(sheet);
    ConfiguratorWindow window(form);
    QVERIFY(entry(window.fileMenu(), sheet->text()));
    QVERIFY(contextMenuActions(form, form->findChild<ConfigurationMenu *>()->moreActions()).contains(sheet));
}

void TestWindow::formKeepsItsSizeBelowTheBar()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QCOMPARE(m_form->size(), QSize(762, 580));
    const int bar = m_window->menuBar()->height();
    QVERIFY(bar > 0);
    QCOMPARE(m_form->mapTo(m_window.get(), QPoint()), QPoint(0, bar));
    // The status bar sits right under the form, as the menu bar over it.
    const int status = m_window->statusBar()->height();
    QVERIFY(status > 0);
    QCOMPARE(m_window->statusBar()->y(), bar + 580);
    QCOMPARE(m_window->size(), QSize(762, 580 + bar + status));
    QVERIFY(!m_window->scrollArea()->verticalScrollBar()->isVisible());
    QVERIFY(!m_window->scrollArea()->horizontalScrollBar()->isVisible());
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Конфигуратор Tavrix   v2.0"));
}

void TestWindow::windowFitsEveryScreen_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("scale");
    QTest::addColumn<bool>("mustScroll"); // whatever the menu bar's height
    QTest::newRow("1366×768 at 125 %") << "1366x768" << "1.25" << false;
    QTest::newRow("1366×768 at 150 %") << "1366x768" << "1.5" << true;
    QTest::newRow("1024×600 at 100 %") << "1024x600" << "1" << false;
    QTest::newRow("1024×600 at 125 %") << "1024x600" << "1.25" << true;
    QTest::newRow("1024×768 at 150 %") << "1024x768" << "1.5" << true;
    QTest::newRow("1366×768 at 100 %") << "1366x768" << "1" << false;
    QTest::newRow("1920×1080 at 125 %") << "1920x1080" << "1.25" << false;
}

void TestWindow::windowFitsEveryScreen()
{
    QFETCH(QString, screen);
    QFETCH(QString, scale);
    QFETCH(bool, mustScroll);
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
        QSKIP("Xvfb is not installed (scripts/install-deps.sh installs it)");
    QString errors;
    const std::optional<QString> run = testsupport::runOnDisplay(screen, scale, "TAVRIX_FIT_CHECK", &errors);
    QVERIFY2(run, qPrintable(errors));
    const QString out = *run;
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY2(lines.contains(QStringLiteral("fits 1")), qPrintable(out));
    QVERIFY2(lines.contains(QStringLiteral("fits in device pixels 1")), qPrintable(out));
    // A screen large enough changes nothing; on a smaller one the form scrolls.
    const bool whole = lines.contains(QStringLiteral("whole 1"));
    QVERIFY2(!(whole && mustScroll), qPrintable(out));
    QCOMPARE(lines.contains(QStringLiteral("grown 1")), whole);
    QCOMPARE(lines.contains(QStringLiteral("scrollbars 0 0")), whole);
    const QStringList pages = lines.filter(QRegularExpression(QStringLiteral("^page ")));
    QCOMPARE(pages.size(), 10);
    for (const QString &page : pages)
        QVERIFY2(page.endsWith(QLatin1String(" 1")), qPrintable(out));
}

void TestWindow::wheelTakesAControlOnlyWithFocus_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("scale");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("focused");
    QTest::addColumn<bool>("pageScrolls"); // the window's page is taller than the screen has room for
    const struct
    {
        const char *screen;
        const char *scale;
        const char *label;
        bool formScrolls;
    } screens[] = {
        {"1366x768", "1.5", "1366×768 at 150 %", true},
        {"1024x600", "1", "1024×600 at 100 %", true},
        {"1366x768", "1", "1366×768 at 100 %", false},
    };
    for (const auto &s : screens) {
        for (const char *kind : {"list", "editable-list", "spin-box", "slider"}) {
            // The spin box and slider stand in a small window of their own, which scrolls.
            const bool scrolls = s.formScrolls || !QByteArray(kind).endsWith("list");
            for (const bool focused : {false, true})
                QTest::addRow("%s, %s, %s", s.label, kind, focused ? "focused" : "not focused")
                    << s.screen << s.scale << kind << focused << scrolls;
        }
        QTest::addRow("%s, drop-down", s.label) << s.screen << s.scale << "drop-down" << true << true;
    }
}

void TestWindow::wheelTakesAControlOnlyWithFocus()
{
    QFETCH(QString, screen);
    QFETCH(QString, scale);
    QFETCH(QString, kind);
    QFETCH(bool, focused);
    QFETCH(bool, pageScrolls);
    for (const char *tool : {"Xvfb", "xdotool"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            QSKIP("Xvfb or xdotool is not installed (scripts/install-deps.sh installs them)");
    }
    // One child a screen: every kind of control is turned in it.
    const QString key = screen + QLatin1Char('@') + scale;
    if (!m_wheelRuns.contains(key)) {
        QString errors;
        const std::optional<QString> run = testsupport::runOnDisplay(screen, scale, "TAVRIX_WHEEL_CHECK", &errors);
        QVERIFY2(run, qPrintable(errors));
        m_wheelRuns.insert(key, run->split(QLatin1Char('\n')));
    }
    const QStringList lines = m_wheelRuns.value(key);
    const QString prefix = QStringLiteral("wheel %1 %2 ").arg(kind).arg(int(focused));
    const QStringList found = lines.filter(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(prefix)));
    QVERIFY2(found.size() == 1, qPrintable(lines.join(QLatin1Char('\n'))));
    const QString seen = found.first().mid(prefix.size());
    if (kind == QLatin1String("drop-down")) {
        QCOMPARE(seen, QStringLiteral("scrolled 1"));
        return;
    }
    // With the focus the control takes the turn; without it the page does, and the
    // control neither changes nor takes the focus.
    QCOMPARE(seen,
             QStringLiteral("value %1 scrolled %2 focus %3 scrollable %4")
                 .arg(int(focused))
                 .arg(int(!focused && pageScrolls))
                 .arg(int(focused))
                 .arg(int(pageScrolls)));
}

void TestWindow::closingAsksTheFormsQuestion()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_form->control<QLineEdit>("Edit19")->setFocus();
    QTest::keyClicks(m_form->control<QLineEdit>("Edit19"), "ab");
    QVERIFY(m_form->hasUnsavedEdits());
    m_desktop->answer = false;
    QVERIFY(!m_window->close());
    QVERIFY(m_window->isVisible());
    QCOMPARE(m_desktop->boxes.size(), 1);
    m_desktop->answer = true;
    QVERIFY(m_window->close());
    QVERIFY(!m_window->isVisible());
    QCOMPARE(m_desktop->boxes.size(), 2);
}

void TestWindow::aboutNamesProgramVersionQtLineAndPage()
{
    QDialog *about = m_window->showAbout();
    QVERIFY(about);
    QCOMPARE(m_window->showAbout(), about); // one window, brought forward
    const QString text = about->findChild<QLabel *>(QStringLiteral("text"))->text();
    for (const QString &part : {QStringLiteral("Конфигуратор Tavrix"), QStringLiteral(TAVRIX_VERSION),
                                QString::fromLatin1(qVersion()), QStringLiteral("9600 бод"),
                                QStringLiteral("https://www.tavrix.example/"),
                                // The build, whether its files are as shipped, and what it ships of others.
                                QStringLiteral("Сборка ") + buildinfo::commit(), QStringLiteral("файлы программы: "),
                                QStringLiteral("Лицензия MIT"), QStringLiteral("Qt 6 (LGPL-3"),
                                QStringLiteral("libjpeg-turbo"), QStringLiteral("SQLite"), QStringLiteral("DejaVu")})
        QVERIFY2(text.contains(part), qPrintable(part));
    QVERIFY(!buildinfo::commit().isEmpty());
    emit about->findChild<QLabel *>(QStringLiteral("text"))->linkActivated(QStringLiteral("https://www.tavrix.example/"));
    QCOMPARE(m_desktop->urls, QStringList{"https://www.tavrix.example/"});

    const QString keys = m_window->showShortcuts()->findChild<QLabel *>(QStringLiteral("text"))->text();
    for (const char *key : {"Ctrl+O", "Ctrl+S", "Ctrl+Tab", "Ctrl+Shift+Tab", "Журнал обмена"})
        QVERIFY2(keys.contains(QString::fromUtf8(key)), key);
}

void TestWindow::journalWrapsALongReply()
{
    ExchangeJournal journal;
    const QByteArray reply = "READ_SET_" + QByteArray(617 - 9, '7');
    journal.record(ExchangeJournal::Direction::Received, QStringLiteral("COM3"), reply, reply.size());
    JournalWindow window(journal, nullptr);
    window.resize(700, 400);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QPlainTextEdit *view = window.view();
    QCOMPARE(view->horizontalScrollBar()->maximum(), 0);
    // All of the reply is there, over several lines of the view.
    QVERIFY(view->toPlainText().contains(QString::fromLatin1(reply)));
    // A plain text layout measures its height in lines.
    QVERIFY(view->document()->documentLayout()->documentSize().height() > 3);
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("TAVRIX_FIT_CHECK")) {
        QApplication app(argc, argv);
        return fitCheck();
    }
    if (qEnvironmentVariableIsSet("TAVRIX_WHEEL_CHECK")) {
        QApplication app(argc, argv);
        return wheelCheck();
    }
    QApplication app(argc, argv);
    TestWindow test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window.moc"
