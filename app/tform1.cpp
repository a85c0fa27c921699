#include "app/tform1.h"

#include "app/banner.h"
#include "app/portdiscovery.h"
#include "protocol/commands.h"
#include "protocol/records/records.h"
#include "ui/desktop.h"
#include "ui/pagecontrol.h"
#include "ui/widgetcontrols.h"
#include "ui/windowrules.h"
#include "ui_tform1.h"

#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
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

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

void setTextColour(QWidget *w, QPalette::ColorRole role, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Active, role, colour);
    p.setColor(QPalette::Inactive, role, colour);
    w->setPalette(p);
}

QByteArray line(const char *word, const QByteArray &payload = {})
{
    return QByteArray(word) + payload + command::kCarriageReturn;
}

} // namespace

TForm1::TForm1(PortMap portMap, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::TForm1>()), m_channel(std::move(portMap))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(FormCanResize(width(), height()) ? size() : QSize(762, 580));

    ui->Image1->setPixmap(QPixmap::fromImage(bannerImage()));
    ui->Image1->installEventFilter(this);
    setTextColour(ui->Label22, QPalette::WindowText, kRed);
    setTextColour(ui->Button6, QPalette::ButtonText, QColor(0, 128, 0));

    m_timer1.setInterval(kPollMs);
    m_timer2.setInterval(kRepeatMs);

    m_controls = std::make_unique<WidgetControls>(this);
    m_rules = new WindowRules(this, *m_controls, Desktop::instance());
    initActionsConnections();

    // Port discovery: nothing is sent to any port.
    const PortList ports = discoverPorts(m_channel);
    m_portTable = ports.table;
    ui->ComboBox1->addItems(ports.items);
    if (!ports.items.isEmpty())
        ui->OpenClose->setEnabled(true);
    ui->ComboBox1->setCurrentIndex(ports.items.isEmpty() ? -1 : 0);
}

TForm1::~TForm1() = default;

PageControl *TForm1::pageControl() const
{
    return ui->PageControl1;
}

void TForm1::initActionsConnections()
{
    connect(ui->OpenClose, &QPushButton::clicked, this, &TForm1::OpenCloseClick);
    connect(ui->ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Select);
    connect(&m_timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(&m_timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    connect(ui->ButtWrite, &QPushButton::clicked, this, &TForm1::ButtWriteClick);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(ui->Button11, &QPushButton::clicked, this, &TForm1::Button11Click);
    connect(ui->Button12, &QPushButton::clicked, this, &TForm1::Button12Click);
    connect(ui->Button13, &QPushButton::clicked, this, &TForm1::Button13Click);
    connect(ui->Button14, &QPushButton::clicked, this, &TForm1::Button14Click);
    connect(ui->Button15, &QPushButton::clicked, this, &TForm1::Button15Click);
    connect(ui->Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
    connect(ui->Button7, &QPushButton::clicked, this, &TForm1::Button7Click);
    connect(ui->Button8, &QPushButton::clicked, this, &TForm1::Button8Click);
    connect(ui->Button10, &QPushButton::clicked, this, &TForm1::Button10Click);
    connect(&m_channel, &SerialChannel::lost, this, &TForm1::onPortLost);

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

bool TForm1::FormCanResize(int, int)
{
    // The window keeps its size: every resize is refused.
    return false;
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->Image1 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Image1Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::Image1Click()
{
    Desktop::instance().openUrl(kMakerWebAddress);
}

void TForm1::ComboBox1Select(int index)
{
    // A new choice takes effect at the next connect.
    if (index >= 0)
        ui->OpenClose->setEnabled(true);
}

void TForm1::OpenCloseClick()
{
    if (m_channel.isOpen())
        disconnectPort();
    else
        connectPort();
}

void TForm1::connectPort()
{
    ui->OpenClose->setText(QString::fromUtf8(kDisconnect));
    const int index = ui->ComboBox1->currentIndex();
    const bool opened = index >= 0 && index < m_portTable.size() && m_channel.open(m_portTable.at(index), kBaudRate);
    if (!opened) {
        Desktop::instance().showError(QString::fromUtf8(kOpenFailed));
        ui->OpenClose->setText(QString::fromUtf8(kConnect));
        return;
    }
    m_replies.clear();
    m_timer2.start();
    m_timer1.start(kPollMs);
    ui->ButtWrite->setEnabled(false);
    ui->Button11->setEnabled(false);
    for (QPushButton *b : {ui->Button6, ui->Button7, ui->Button8, ui->Button10, ui->Button12, ui->Button13,
                           ui->Button14, ui->Button15})
        b->setEnabled(true);
    send([] { return line(command::kReadSettings); }, AroundWrite::Nothing);
}

void TForm1::disconnectPort()
{
    ui->Label22->setText(QString::fromUtf8(kNotConnected));
    setTextColour(ui->Label22, QPalette::WindowText, kRed);
    ui->OpenClose->setText(QString::fromUtf8(kConnect));
    m_channel.close();
    m_replies.clear();
    m_timer2.stop();
    ui->ButtWrite->setEnabled(false);
    m_timer1.stop();
    for (QPushButton *b : {ui->Button6, ui->Button7, ui->Button8, ui->Button10, ui->Button11, ui->Button12,
                           ui->Button13, ui->Button14, ui->Button15})
        b->setEnabled(false);
}

void TForm1::onPortLost()
{
    // The port is gone (adapter pulled, far end closed): one disconnect, one message,
    // instead of an error box on every repeat.
    if (ui->OpenClose->text() == QString::fromUtf8(kConnect))
        return;
    disconnectPort();
    Desktop::instance().showError(QString::fromUtf8(kPortLost));
}

void TForm1::send(const std::function<QByteArray()> &build, AroundWrite around)
{
    m_channel.setMayRead(false);
    m_timer1.stop();
    const QByteArray text = build();
    if (around == AroundWrite::DisableWrite)
        ui->ButtWrite->setEnabled(false);
    // The write purges the line; the partial reply collected so far goes with it.
    m_replies.clear();
    const qint64 written = m_channel.write(text);
    if (around != AroundWrite::Nothing)
        ui->ButtWrite->setEnabled(true);
    // A port that vanished is reported once, by onPortLost.
    if (written != text.size() && m_channel.isOpen())
        Desktop::instance().showError(QString::fromUtf8(kSendFailed));
    if (m_channel.isOpen())
        m_timer1.start(kPollMs);
    m_channel.setMayRead(true);
}

void TForm1::Timer2Timer()
{
    // The repeat purges the line. A reply that has arrived since the last poll may be
    // the answer to the previous request: handle it first instead of throwing it away.
    if (m_channel.mayRead() && m_channel.bytesWaiting() > 0)
        Timer1Timer();
    if (!m_timer2.isActive() || !m_channel.isOpen())
        return;
    send([] { return line(command::kReadSettings); }, AroundWrite::Nothing);
}

void TForm1::Timer1Timer()
{
    // A tick nested under a message box of the outer tick skips one read.
    if (!m_channel.mayRead()) {
        m_channel.setMayRead(true);
        return;
    }
    m_channel.setMayRead(false);
    char bytes[ReplyBuffer::kCapacity];
    const qint64 n = m_channel.read(bytes, sizeof bytes);
    m_channel.setMayRead(false);
    if (const auto text = m_replies.append(QByteArray(bytes, int(n)))) {
        for (const FoundReply &found : findReplies(*text)) {
            handleReply(found, *text);
            if (!m_channel.isOpen())
                break; // the port was lost while a message box was open
        }
    }
    m_channel.setMayRead(true);
}

void TForm1::handleReply(const FoundReply &found, const QByteArray &text)
{
    setStatusConnected(true);
    Controls &c = *m_controls;
    switch (found.row->reply) {
    case Reply::Settings:
        records::applySettings(c, text, found.payloadPos);
        m_timer2.stop();
        ui->ButtWrite->setEnabled(true);
        ui->Button11->setEnabled(true);
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
    default:
        break; // acknowledgements carry no payload
    }
    Desktop::instance().showInformation(QString::fromUtf8(found.row->message));
}

void TForm1::setStatusConnected(bool recognised)
{
    ui->Label22->setText(QString::fromUtf8(recognised ? kConnected : kNotConnected));
    setTextColour(ui->Label22, QPalette::WindowText, recognised ? kBlue : kRed);
}

void TForm1::ButtWriteClick()
{
    send([this] { return line(command::kWriteSettings, records::buildSettings(*m_controls)); },
         AroundWrite::DisableWrite);
}

void TForm1::Button1Click()
{
    applyFactoryDefaults(*m_controls);
}

void TForm1::Button11Click()
{
    ui->Button11->setEnabled(false);
    send([] { return line(command::kReadSettings); }, AroundWrite::EnableWriteAfter);
}

void TForm1::Button12Click()
{
    send([] { return line(command::kReadPhones); }, AroundWrite::DisableWrite);
}

void TForm1::Button13Click()
{
    send([] { return line(command::kReadKeys); }, AroundWrite::DisableWrite);
}

void TForm1::Button14Click()
{
    send([] { return line(command::kReadSms); }, AroundWrite::DisableWrite);
}

void TForm1::Button15Click()
{
    send([] { return line(command::kReadGprs); }, AroundWrite::DisableWrite);
}

void TForm1::Button6Click()
{
    send([this] { return line(command::kWritePhones, records::buildPhoneList(*m_controls)); },
         AroundWrite::DisableWrite);
}

void TForm1::Button7Click()
{
    send([this] { return line(command::kWriteKeys, records::buildKeyList(*m_controls)); },
         AroundWrite::DisableWrite);
}

void TForm1::Button8Click()
{
    send([this] { return line(command::kWriteSms, records::buildSmsList(*m_controls)); },
         AroundWrite::DisableWrite);
}

void TForm1::Button10Click()
{
    send([this] { return line(command::kWriteGprs, records::buildGprsList(*m_controls)); },
         AroundWrite::DisableWrite);
}
