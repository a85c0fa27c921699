#pragma once

#include "link/exchangejournal.h"
#include "link/portmap.h"
#include "app/portdiscovery.h"
#include "app/waitingstatus.h"
#include "protocol/connection.h"

#include <QTimer>
#include <QWidget>
#include <memory>

namespace Ui {
class TForm1;
}
class PageControl;
class QAction;
class UnsavedEdits;
class WidgetControls;
class WindowRules;
struct WindowCommand;

// The main window: banner, connection bar and the configuration pages. It wires the
// channel, the reply table and the codecs together; the work is done in those.
class TForm1 : public QWidget
{
    Q_OBJECT

public:
    // clock: the session's time, stepped by a test; none runs on the event loop.
    // connection: the line the window talks over (made with the window's timing on
    // `clock`); none: ports are opened by their names.
    explicit TForm1(PortMap portMap = PortMap::system(), QWidget *parent = nullptr, StepClock *clock = nullptr,
                    std::unique_ptr<Connection> connection = {});
    ~TForm1() override;

    Connection &channel() { return *m_connection; }
    // What went over the line, for "Журнал обмена…".
    ExchangeJournal &journal() { return m_journal; }
    WidgetControls &controls() { return *m_controls; }
    PageControl *pageControl() const;
    const QVector<int> &portTable() const { return m_portTable; }
    // The device each entry of the port selector was found as. A connect resolves the
    // COM number again and never opens what the number no longer stands for.
    const QStringList &portDevices() const { return m_portDevices; }
    const ReplyBuffer &replies() const { return m_session.conversation().replies(); }
    // The connection: what it waits for, what it has; the buttons follow it.
    Session &session() { return m_session; }
    bool isConnected() const { return m_session.isConnected(); }
    // The site book's side of the connection: which site, and what is recorded.
    class BookRecorder &bookRecorder() { return *m_book; }
    // How long the controller has kept the window waiting, for the status bar.
    const WaitingStatus &waitingStatus() const { return m_waiting; }
    // The pages hold edits that neither the controller nor a file has.
    bool hasUnsavedEdits() const;
    // Clear while a poll or a send is under way, so that a poll nested under one of
    // its message boxes skips one read.
    bool mayRead() const { return m_session.mayRead(); }
    // Timer1 polls for replies, Timer2 repeats the read request until it is answered.
    QTimer &timer1() { return m_session.pollPeriod().timer(); }
    QTimer &timer2() { return m_session.repeatPeriod().timer(); }
    template<typename T>
    T *control(const char *name) const { return findChild<T *>(QLatin1String(name)); }

    // Handlers, named after the control and the event.
    void OpenCloseClick();
    void ComboBox1Select(int index);
    void Timer1Timer();
    void Timer2Timer();
    void ButtWriteClick();
    void Button1Click();
    void Button11Click();
    void Button12Click();
    void Button13Click();
    void Button14Click();
    void Button15Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Button10Click();
    void Image1Click();
    // "Подключиться по сети…": asks for an address and connects to it (the dialog, not
    // modal; nullptr while the window cannot connect now).
    class NetworkAddressDialog *askNetworkAddress();
    // Connects to a network port as "Соединиться" connects to a COM port; once it is open
    // the address is remembered and stands in the port list after the COM ports. False
    // (with an error box) when it cannot be opened.
    bool connectToAddress(const QString &address);
    // "Забыть адрес": the chosen network port leaves the list and the settings.
    void forgetChosenAddress();
    // What the network line said of its settings, while one is connected.
    QString networkStatus() const { return m_networkStatus; }

signals:
    // The command buttons have been set from the state: their menu entries look again.
    void commandsFollowed();
    void networkStatusChanged(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void initActionsConnections();
    void fillPortList(DeviceList devices = DeviceList::Read);
    // The port tips with what the system's list of devices says, when they are first
    // wanted (a tip, the focus): reading that list takes as long as building the pages.
    void describePortsFully();
    // The remembered addresses after the COM ports, replacing those listed before; the
    // port numbered `chosen` stays chosen while listed, otherwise the first one is.
    void listAddresses(int chosen);
    int chosenPort() const;
    // Opens the entry's port (a COM number's device or an address); false after the box.
    bool openPort(int com, const QString &device, const QString &found, bool linked);
    void setNetworkStatus(const QString &text);
    void showPortTip();
    void connectPort();
    void disconnectPort();
    void onPortLost(Session::State was);
    void onStateChanged(Session::State state, Session::State before);
    void onSent(Conversation::SendResult result);
    // Sends the command's word and its payload: the row's, or `payload` for a row without.
    void run(const WindowCommand &command, const QByteArray &payload = {});
    // Sets every command button from the facts of the moment.
    void followCommands();
    void handleReply(const FoundReply &found, const QByteArray &text);
    void setStatusConnected(bool recognised);

    std::unique_ptr<Ui::TForm1> ui;
    PortMap m_portMap;
    ExchangeJournal m_journal; // outlives the line that writes into it
    std::unique_ptr<Connection> m_connection;
    Session &m_session;
    WaitingStatus m_waiting;
    QVector<int> m_portTable;
    QStringList m_portDevices;
    QStringList m_portLinks;
    QString m_emptyPortsHint;
    QString m_networkStatus;
    QAction *m_connectNetwork = nullptr;
    QAction *m_forgetAddress = nullptr;
    PortList m_ports;
    // The command being written, for what it does around the write.
    const WindowCommand *m_sending = nullptr;
    bool m_recordHeld = false;
    bool m_sentSince = false;
    bool m_rereadAsked = false;
    std::unique_ptr<WidgetControls> m_controls;
    WindowRules *m_rules = nullptr;
    std::unique_ptr<UnsavedEdits> m_edits;
    class WriteSnapshots *m_snapshots = nullptr; // what the controller held before each write
    class BookRecorder *m_book = nullptr;
    QStringList m_sentSettings; // the pages as the last settings write sent them
    bool m_askingToClose = false;
    // The production line owns the ports while it runs.
    bool m_lineRunning = false;
};
