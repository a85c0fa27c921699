#include "app/tform1.h"

#include "app/banner.h"
#include "app/bookrecorder.h"
#include "app/sitebookwindow.h"
#include "app/configurationmenu.h"
#include "app/journalwindow.h"
#include "app/networkaddressdialog.h"
#include "app/networkaddresses.h"
#include "app/productionwindow.h"
#include "app/writesnapshots.h"
#include "app/portdiscovery.h"
#include "app/unsavededits.h"
#include "app/windowactions.h"
#include "link/portdiagnosis.h"
#include "link/serialchannel.h"
#include "net/networkline.h"
#include "net/networkports.h"
#include "net/portnames.h"
#include "config/catalog.h"
#include "config/configform.h"
#include "config/writeplan.h"
#include "protocol/commands.h"
#include "protocol/settingsreply.h"
#include "records/records.h"
#include "ui/desktop.h"
#include "rules/factorydefaults.h"
#include "ui/pagecontrol.h"
#include "ui/signalcolours.h"
#include "ui/widgetcontrols.h"
#include "ui/windowrules.h"
#include "ui_tform1.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>

namespace {

const QUrl kMakerWebAddress(QStringLiteral("https://www.tavrix.example/"));

const char kNotConnected[] = "Связь не установлена";
const char kConnected[] = "Связь установлена";
const char kConnect[] = "Соединиться";
const char kDisconnect[] = "Отсоединиться";
const char kOpenFailed[] = "Ошибка открытия порта";
const char kSendFailed[] = "Ошибка отправки данных";
const char kPortLost[] = "Потеряна связь с портом";
const char kLostDuringWrite[] =
    "Связь пропала во время записи: контроллер, возможно, уже хранит новые настройки. "
    "После восстановления связи считайте их кнопкой «Считать настройки» и проверьте.";
const char kCloseUnsaved[] =
    "Изменённые настройки не записаны в контроллер и не сохранены в файл. Закрыть окно без записи?";
const char kCloseAnyway[] = "Закрыть";
const char kStay[] = "Остаться";
const char kConnectNetwork[] = "Подключиться по сети…";
const char kForgetAddress[] = "Забыть адрес";

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

void setTextColour(QWidget *w, QPalette::ColorRole role, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Active, role, colour);
    p.setColor(QPalette::Inactive, role, colour);
    w->setPalette(p);
}

} // namespace

TForm1::TForm1(PortMap portMap, QWidget *parent, StepClock *clock, std::unique_ptr<Connection> connection)
    : QWidget(parent),
      ui(std::make_unique<Ui::TForm1>()),
      m_portMap(std::move(portMap)),
      m_connection(connection ? std::move(connection) : std::make_unique<Connection>(Session::Timing::window(), clock)),
      m_session(m_connection->session()),
      m_waiting(m_session, clock)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("Form1"));
    // A screen reader would otherwise call the port list by the port it shows (or by
    // nothing while there is none); some desktops take a list's name from its label.
    ui->ComboBox1->setAccessibleName(QStringLiteral("COM-порт"));
    auto *portCaption = new QLabel(ui->ComboBox1->accessibleName(), ui->GroupBox3);
    portCaption->setObjectName(QStringLiteral("portCaption"));
    portCaption->setBuddy(ui->ComboBox1);
    portCaption->hide();

    ui->Image1->setPixmap(QPixmap::fromImage(bannerImage()));
    ui->Image1->installEventFilter(this);
    setSignalColour(ui->Label22, QPalette::WindowText, kRed);
    setTextColour(ui->Button6, QPalette::ButtonText, QColor(0, 128, 0));

    m_controls = std::make_unique<WidgetControls>(this);
    m_rules = new WindowRules(this, *m_controls, Desktop::instance());
    // Network ports open through the same connection as COM ports, by their names.
    net::registerNetworkPorts(NetworkLine::kDefaultTimeoutMs);
    m_connectNetwork = new QAction(QString::fromUtf8(kConnectNetwork), this);
    m_connectNetwork->setObjectName(QStringLiteral("connectNetwork"));
    connect(m_connectNetwork, &QAction::triggered, this, &TForm1::askNetworkAddress);
    m_forgetAddress = new QAction(QString::fromUtf8(kForgetAddress), this);
    m_forgetAddress->setObjectName(QStringLiteral("forgetAddress"));
    connect(m_forgetAddress, &QAction::triggered, this, &TForm1::forgetChosenAddress);
    initActionsConnections();
    auto *menu = new ConfigurationMenu(this, ui->GroupBox3, *m_controls);
    m_connection->setJournal(&m_journal);
    menu->addMenuAction(JournalWindow::openAction(m_journal, this));
    // While the line runs its stations own the ports: this window lets go of its own.
    menu->addMenuAction(ProductionWindow::openAction(m_portMap, this, [this](bool running) {
        m_lineRunning = running;
        if (running && isConnected())
            disconnectPort();
        followCommands();
    }, [this] { return isConnected() ? m_portTable.value(ui->ComboBox1->currentIndex(), 0) : 0; }));
    m_snapshots = new WriteSnapshots(*m_controls, m_journal, this);
    menu->addMenuAction(m_snapshots->revertAction());
    connect(m_snapshots, &WriteSnapshots::writeRequested, this, &TForm1::ButtWriteClick);
    menu->sheetSource = [this] { return m_snapshots->connection(); };
    // Every read that tells something new and every acknowledged write go into the book.
    m_book = new BookRecorder(m_journal, this);
    connect(m_snapshots, &WriteSnapshots::settingsTaken, m_book, &BookRecorder::settingsRead);
    connect(m_snapshots, &WriteSnapshots::writeAcknowledged, m_book, &BookRecorder::written);
    menu->addMenuAction(SiteBookWindow::openAction(*m_book, *menu, this));
    // The start values count as stored: closing an untouched window asks nothing.
    m_edits = std::make_unique<UnsavedEdits>(ui->PageControl1);
    connect(menu, &ConfigurationMenu::inStepWithFile, this, [this] { m_edits->markStored(); });

    fillPortList(DeviceList::Deferred);
    ui->ComboBox1->installEventFilter(this);
}

void TForm1::describePortsFully()
{
    if (!m_ports.describedLater)
        return;
    describeFully(m_ports);
    QComboBox *combo = ui->ComboBox1;
    for (int i = 0; i < m_ports.tooltips.size() && i < combo->count(); ++i)
        combo->setItemData(i, m_ports.tooltips.at(i), Qt::ToolTipRole);
    m_emptyPortsHint = m_ports.emptyHint;
    showPortTip();
}

void TForm1::fillPortList(DeviceList devices)
{
    // Port discovery: nothing is sent to any port. A rebuilt list keeps the chosen COM
    // number chosen while it is still there; otherwise the first port is, as at start.
    QComboBox *combo = ui->ComboBox1;
    const int chosen = chosenPort();
    // Probed through a channel of its own: the list is only ever looked at while closed.
    SerialChannel probe;
    m_ports = discoverPorts(probe, m_portMap, devices);
    const PortList &ports = m_ports;
    m_portTable = ports.table;
    m_portDevices = ports.devices;
    m_portLinks = ports.links;
    m_emptyPortsHint = ports.emptyHint;
    const QSignalBlocker quiet(combo);
    combo->clear();
    combo->addItems(ports.items);
    for (int i = 0; i < ports.tooltips.size(); ++i)
        combo->setItemData(i, ports.tooltips.at(i), Qt::ToolTipRole);
    listAddresses(chosen);
}

int TForm1::chosenPort() const
{
    return m_portTable.value(ui->ComboBox1->currentIndex(), 0);
}

void TForm1::listAddresses(int chosen)
{
    QComboBox *combo = ui->ComboBox1;
    const QSignalBlocker quiet(combo);
    while (!m_portTable.isEmpty() && portnames::isAddress(m_portTable.last())) {
        combo->removeItem(int(m_portTable.size()) - 1);
        m_portTable.removeLast();
        m_portDevices.removeLast();
        m_portLinks.removeLast();
    }
    for (const QString &address : networkaddresses::remembered()) {
        const int number = portnames::number(address);
        if (!number)
            continue;
        combo->addItem(address);
        combo->setItemData(combo->count() - 1, address, Qt::ToolTipRole);
        m_portTable << number;
        m_portDevices << address;
        m_portLinks << QString();
    }
    const int index = m_portTable.indexOf(chosen);
    combo->setCurrentIndex(index >= 0 ? index : combo->count() == 0 ? -1 : 0);
    followCommands();
    showPortTip();
}

void TForm1::showPortTip()
{
    // The closed selector names the chosen device, or says why there is none.
    QComboBox *combo = ui->ComboBox1;
    const int index = combo->currentIndex();
    combo->setToolTip(index >= 0 ? combo->itemData(index, Qt::ToolTipRole).toString() : m_emptyPortsHint);
}

TForm1::~TForm1() = default;

PageControl *TForm1::pageControl() const
{
    return ui->PageControl1;
}

void TForm1::initActionsConnections()
{
    for (const WindowCommand &c : windowCommands()) {
        if (auto *button = c.handler ? control<QPushButton>(c.source) : nullptr)
            connect(button, &QPushButton::clicked, this, c.handler);
    }
    connect(ui->ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Select);
    connect(ui->ComboBox1, &QComboBox::currentIndexChanged, this, &TForm1::showPortTip);
    connect(ui->ComboBox1, &QComboBox::currentIndexChanged, this, &TForm1::followCommands);
    // Delete on a network port in the open list forgets it, as "Забыть адрес" does.
    ui->ComboBox1->view()->installEventFilter(this);
    connect(ui->ComboBox1, &PortSelector::popupAboutToShow, this, [this] {
        // Ports come and go (adapters, simulators): look again, but never under an open link.
        if (!isConnected())
            fillPortList();
    });
    connect(&m_session, &Session::lost, this, &TForm1::onPortLost);
    connect(&m_session, &Session::stateChanged, this, &TForm1::onStateChanged);
    connect(&m_session, &Session::sent, this, &TForm1::onSent);
    connect(&m_session, &Session::replied, this, &TForm1::handleReply);

    // The page buttons that only set controls.
    const struct { const char *button; void (*apply)(Controls &); } pageButtons[] = {
        {"Button18", records::resetPhones},
        {"Button16", records::resetKeys},
        {"Button17", records::resetSmsTexts},
        {"Button9", records::setGprsDefaults},
    };
    for (const auto &b : pageButtons) {
        if (auto *button = control<QPushButton>(b.button))
            connect(button, &QPushButton::clicked, this, [this, apply = b.apply] { apply(*m_controls); });
    }
    const char *operatorButtons[] = {"Button2", "Button3", "Button4", "Button5"};
    for (int op = 1; op <= 4; ++op) {
        if (auto *button = control<QPushButton>(operatorButtons[op - 1]))
            connect(button, &QPushButton::clicked, this, [this, op] { records::setOperatorApn(*m_controls, op); });
    }
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->ComboBox1->view() && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        const int row = ui->ComboBox1->view()->currentIndex().row();
        if (!isConnected() && portnames::isAddress(m_portTable.value(row, 0))) {
            networkaddresses::forget(m_portDevices.at(row));
            listAddresses(chosenPort());
            // The open list stays where the forgotten entry was.
            ui->ComboBox1->view()->setCurrentIndex(ui->ComboBox1->model()->index(qMin(row, ui->ComboBox1->count() - 1), 0));
            return true;
        }
    }
    if (watched == ui->Image1 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Image1Click();
        return true;
    }
    if (watched == ui->ComboBox1 && (event->type() == QEvent::ToolTip || event->type() == QEvent::FocusIn))
        describePortsFully();
    return QWidget::eventFilter(watched, event);
}

bool TForm1::hasUnsavedEdits() const
{
    return m_edits->exist();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // Nothing is sent at exit, so edits that reached neither the controller nor a file
    // go only when the user says so; one question, however many close requests come.
    if (m_askingToClose) {
        event->ignore();
        return;
    }
    if (hasUnsavedEdits()) {
        m_askingToClose = true;
        const bool close = Desktop::instance().confirm(this, QString::fromUtf8(kCloseUnsaved),
                                                       QString::fromUtf8(kCloseAnyway), QString::fromUtf8(kStay));
        m_askingToClose = false;
        if (!close) {
            event->ignore();
            return;
        }
    }
    QWidget::closeEvent(event);
}

void TForm1::Image1Click()
{
    Desktop::instance().openUrl(kMakerWebAddress);
}

void TForm1::ComboBox1Select(int index)
{
    // A new choice takes effect at the next connect.
    if (index >= 0)
        followCommands();
}

void TForm1::OpenCloseClick()
{
    if (m_lineRunning)
        return;
    if (isConnected())
        disconnectPort();
    else
        connectPort();
}

void TForm1::connectPort()
{
    // The COM number is resolved again as the list found it. An entry found by its link
    // follows the link (a simulator restarted, an adapter re-plugged under another name);
    // one found in the default table opens only the device it was found as. Whatever the
    // number no longer stands for (a pseudo-terminal name already serving another
    // program, the table's device behind a link that has gone) is never opened.
    const int index = ui->ComboBox1->currentIndex();
    const bool known = index >= 0 && index < m_portTable.size();
    const int com = known ? m_portTable.at(index) : 0;
    const QString found = known ? m_portDevices.at(index) : QString();
    const bool linked = known && !m_portLinks.at(index).isEmpty();
    openPort(com, known ? found : QString(), found, linked);
}

bool TForm1::openPort(int com, const QString &entry, const QString &found, bool linked)
{
    ui->OpenClose->setText(QString::fromUtf8(kDisconnect));
    const bool address = portnames::isAddress(com);
    const QString device = address || com == 0 ? entry : m_portMap.deviceNow(com, linked, found);
    // The line's own words while it opens, for the status bar; the journal keeps them all.
    QString said;
    const QMetaObject::Connection listening =
        connect(&m_journal, &ExchangeJournal::recorded, this, [&said](const ExchangeJournal::Entry &e) {
            if (e.direction == ExchangeJournal::Direction::Note)
                said = QString::fromUtf8(e.bytes);
        });
    const bool opened = m_connection->open(device);
    disconnect(listening);
    if (!opened) {
        QString detail;
        if (address) {
            detail = QStringLiteral("%1: %2").arg(entry, m_connection->refusal().in(language::Language::Russian));
        } else if (com > 0) {
            QString reason;
            const QString now = m_portMap.devicePath(com);
            if (device.isEmpty() && !now.isEmpty() && !linked)
                reason = QString::fromUtf8("номер теперь обозначает %1; откройте список портов, чтобы найти их заново")
                             .arg(now);
            else
                reason = m_connection->refusal().in(language::Language::Russian);
            detail = QStringLiteral("COM%1 — %2: ").arg(com).arg(device.isEmpty() ? found : device) + reason;
        }
        Desktop::instance().showError(QString::fromUtf8(kOpenFailed), detail);
        ui->OpenClose->setText(QString::fromUtf8(kConnect));
        return false;
    }
    if (address) {
        // The status bar says how the line was set up: the last of the negotiation's words,
        // or that the server's own settings stand.
        if (auto *network = qobject_cast<NetworkLine *>(m_connection->line())) {
            const QStringList notices = network->takeNotices();
            if (!notices.isEmpty())
                said = notices.join(QStringLiteral("; "));
        }
        setNetworkStatus(said.isEmpty() ? entry : QStringLiteral("%1 — %2").arg(entry, said));
        // Used last, listed first among the addresses, and the one chosen.
        networkaddresses::remember(entry);
        listAddresses(com);
    }
    m_snapshots->connected(com, device);
    m_book->connected(portnames::name(com), device);
    m_session.start();
    return true;
}

NetworkAddressDialog *TForm1::askNetworkAddress()
{
    if (m_lineRunning || isConnected())
        return nullptr;
    if (auto *open = findChild<NetworkAddressDialog *>()) {
        open->raise();
        open->activateWindow();
        return open;
    }
    // The chosen address offered for a change; a new one starts blank.
    const int index = ui->ComboBox1->currentIndex();
    const QString start = portnames::isAddress(m_portTable.value(index, 0)) ? m_portDevices.at(index) : QString();
    auto *dialog = new NetworkAddressDialog(this, start);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // A refused connection leaves the dialog open for another try.
    dialog->tryAddress = [this](const QString &address) { return connectToAddress(address); };
    dialog->open();
    return dialog;
}

bool TForm1::connectToAddress(const QString &text)
{
    if (m_lineRunning || isConnected())
        return false;
    QString why;
    const auto parsed = NetworkLine::parse(text.trimmed(), &why);
    if (!parsed) {
        Desktop::instance().showError(QString::fromUtf8(kOpenFailed), why);
        return false;
    }
    const QString address = parsed->text();
    return openPort(portnames::number(address), address, address, false);
}

void TForm1::forgetChosenAddress()
{
    const int index = ui->ComboBox1->currentIndex();
    if (isConnected() || !portnames::isAddress(m_portTable.value(index, 0)))
        return;
    networkaddresses::forget(m_portDevices.at(index));
    listAddresses(chosenPort());
}

void TForm1::setNetworkStatus(const QString &text)
{
    if (text == m_networkStatus)
        return;
    m_networkStatus = text;
    emit networkStatusChanged(text);
}

void TForm1::disconnectPort()
{
    ui->Label22->setText(QString::fromUtf8(kNotConnected));
    setSignalColour(ui->Label22, QPalette::WindowText, kRed);
    m_snapshots->disconnected();
    m_book->disconnected();
    m_connection->close();
    setNetworkStatus({});
}

void TForm1::onStateChanged(Session::State state, Session::State before)
{
    // A connect or a disconnect starts the buttons afresh; the settings buttons wait for
    // the first settings reply (handleReply).
    if (state == Session::State::Disconnected || before == Session::State::Disconnected) {
        m_recordHeld = m_sentSince = m_rereadAsked = false;
        m_sentSettings.clear();
    }
    followCommands();
}

void TForm1::followCommands()
{
    const CommandFacts facts{m_session.state(), m_recordHeld, m_sentSince, m_rereadAsked,
                             m_sending && m_sending->kind != SendKind::Reread, ui->ComboBox1->count() > 0,
                             m_lineRunning};
    for (const WindowCommand &c : windowCommands()) {
        if (auto *button = c.enabledWhen ? control<QPushButton>(c.source) : nullptr)
            button->setEnabled(c.enabledWhen(facts));
    }
    ui->OpenClose->setText(QString::fromUtf8(isConnected() ? kDisconnect : kConnect));
    if (m_connectNetwork) {
        m_connectNetwork->setEnabled(!m_lineRunning && !isConnected());
        const int index = ui->ComboBox1->currentIndex();
        m_forgetAddress->setEnabled(!isConnected() && portnames::isAddress(m_portTable.value(index, 0)));
    }
    emit commandsFollowed();
}

void TForm1::onPortLost(Session::State was)
{
    // The port is gone (adapter pulled, far end closed): one disconnect, one message,
    // instead of an error box on every repeat.
    // A network line says why (reset, closed by the server), under its address.
    QString why;
    if (const auto *network = qobject_cast<const NetworkLine *>(m_connection->line());
        network && !network->lostReason().isEmpty())
        why = QStringLiteral("%1: %2").arg(network->path(), network->lostReason());
    disconnectPort();
    QStringList detail;
    if (was == Session::State::AwaitingAck)
        detail << QString::fromUtf8(kLostDuringWrite);
    if (!why.isEmpty())
        detail << why;
    Desktop::instance().showError(QString::fromUtf8(kPortLost), detail.join(QLatin1Char('\n')));
}

void TForm1::run(const WindowCommand &command, const QByteArray &payload)
{
    QByteArray text = command.word;
    text += command.payload ? command.payload(*m_controls) : payload;
    text += command::kCarriageReturn;
    m_sending = &command;
    followCommands();
    if (command.kind == SendKind::Write)
        m_session.write(text);
    else if (command.kind == SendKind::Reread)
        m_session.reread();
    else
        m_session.send(text);
    m_sending = nullptr;
}

void TForm1::onSent(Conversation::SendResult result)
{
    // Right after the write, before the poll restarts. A repeat or a connect sends on
    // no button's behalf; a port that vanished is reported once, by onPortLost.
    if (std::exchange(m_sending, nullptr)) {
        m_sentSince = true;
        followCommands();
    }
    if (result == Conversation::SendResult::ShortWrite)
        Desktop::instance().showError(QString::fromUtf8(kSendFailed));
}

void TForm1::Timer2Timer()
{
    m_session.repeat();
}

void TForm1::Timer1Timer()
{
    m_session.poll();
}

void TForm1::handleReply(const FoundReply &found, const QByteArray &text)
{
    setStatusConnected(true);
    Controls &c = *m_controls;
    // What a read shows is the controller's, nobody's edit; a block read leaves edits
    // elsewhere standing.
    const bool blockRead = found.row->reply == Reply::Phones || found.row->reply == Reply::Keys
        || found.row->reply == Reply::Sms || found.row->reply == Reply::Gprs;
    const bool stored = blockRead && !m_edits->exist();
    switch (found.row->reply) {
    case Reply::SettingsWritten:
        // The controller holds the pages as they were sent.
        if (!m_sentSettings.isEmpty())
            m_edits->markStored(m_sentSettings);
        m_sentSettings.clear();
        m_snapshots->written();
        break;
    case Reply::PhonesWritten:
    case Reply::KeysWritten:
    case Reply::SmsWritten:
    case Reply::GprsWritten:
        break;
    case Reply::Settings:
        // The session has stopped the repeat already.
        records::applySettings(c, text, found.payloadPos);
        m_snapshots->settingsRead(settingsreply::recordOf(text, found.payloadPos));
        m_edits->markStored();
        m_recordHeld = true;
        m_rereadAsked = false;
        followCommands();
        break;
    case Reply::Phones:
        records::applyPhoneList(c, text, found.payloadPos);
        break;
    case Reply::Keys:
        records::applyKeyList(c, text, found.payloadPos);
        break;
    case Reply::Sms:
        records::applySmsList(c, text, found.payloadPos);
        break;
    case Reply::Gprs:
        records::applyGprsList(c, text, found.payloadPos);
        break;
    }
    if (stored)
        m_edits->markStored();
    Desktop::instance().showInformation(QString::fromUtf8(found.row->message));
    // Settings written back from a snapshot and read again: stored as sent, or told.
    if (found.row->reply == Reply::Settings)
        m_snapshots->readBack(m_snapshots->held());
    // Settings written back from a snapshot are read back at once.
    if (found.row->reply == Reply::SettingsWritten && m_snapshots->readBackDue() && m_connection->isOpen())
        Button11Click();
}

void TForm1::setStatusConnected(bool recognised)
{
    ui->Label22->setText(QString::fromUtf8(recognised ? kConnected : kNotConnected));
    setSignalColour(ui->Label22, QPalette::WindowText, recognised ? kBlue : kRed);
}

void TForm1::ButtWriteClick()
{
    // The pages as they stand, their rules run already, go over what the controller holds.
    const config::Catalog &catalog = config::windowCatalog();
    const config::WritePlan plan =
        config::planWrite(m_snapshots->held(), catalog.capture(*m_controls), config::Rules::Ran);
    // What the controller holds is saved first; if it cannot be, nothing is sent.
    if (!m_snapshots->beforeWrite(plan))
        return;
    // The boxes show the defaults the record carries for them.
    catalog.apply(*m_controls, plan.writtenBack);
    run(windowCommand("ButtWrite"), plan.record);
    m_snapshots->writeSent(plan.record);
    m_sentSettings = m_edits->values();
}

void TForm1::Button1Click()
{
    applyFactoryDefaults(*m_controls);
}

void TForm1::Button11Click()
{
    // Enabled again by the next settings reply. Asked for by the user, any settings
    // answer is welcome again.
    m_rereadAsked = true;
    run(windowCommand("Button11"));
}

// The block buttons, hidden, send what their row says.
void TForm1::Button12Click() { run(windowCommand("Button12")); }
void TForm1::Button13Click() { run(windowCommand("Button13")); }
void TForm1::Button14Click() { run(windowCommand("Button14")); }
void TForm1::Button15Click() { run(windowCommand("Button15")); }
void TForm1::Button6Click() { run(windowCommand("Button6")); }
void TForm1::Button7Click() { run(windowCommand("Button7")); }
void TForm1::Button8Click() { run(windowCommand("Button8")); }
void TForm1::Button10Click() { run(windowCommand("Button10")); }
