#include "app/networkaddressdialog.h"

#include "net/networkline.h"
#include "ui/signalcolours.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const QString kRfc2217 = QStringLiteral("rfc2217://");
const QString kSocket = QStringLiteral("socket://");
// Where RFC 2217 servers listen unless told otherwise.
constexpr int kUsualPort = 2217;

} // namespace

NetworkAddressDialog::NetworkAddressDialog(QWidget *parent, const QString &start)
    : QDialog(parent), m_kind(new QComboBox(this)), m_host(new QLineEdit(this)), m_port(new QSpinBox(this)),
      m_refusal(new QLabel(this))
{
    setObjectName(QStringLiteral("networkAddressDialog"));
    setWindowTitle(QStringLiteral("Подключиться по сети"));
    m_kind->setObjectName(QStringLiteral("networkKind"));
    m_kind->addItem(kRfc2217 + QStringLiteral(" — RFC 2217, настройки линии задаёт программа"), kRfc2217);
    m_kind->addItem(kSocket + QStringLiteral(" — TCP, настройки линии сервера"), kSocket);
    m_host->setObjectName(QStringLiteral("networkHost"));
    m_host->setPlaceholderText(QStringLiteral("192.168.1.20 или имя сервера"));
    m_port->setObjectName(QStringLiteral("networkPort"));
    // Zero is no port: the spin box shows it blank-ish and the address is refused.
    m_port->setRange(0, 65535);
    m_port->setValue(kUsualPort);
    m_refusal->setObjectName(QStringLiteral("networkRefusal"));
    m_refusal->setWordWrap(true);
    m_refusal->hide();

    if (const auto given = NetworkLine::parse(start)) {
        m_kind->setCurrentIndex(given->kind == NetworkLine::Kind::Rfc2217 ? 0 : 1);
        m_host->setText(given->host);
        m_port->setValue(given->port);
    }

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Протокол:"), m_kind);
    form->addRow(QStringLiteral("&Сервер:"), m_host);
    form->addRow(QStringLiteral("П&орт:"), m_port);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(QStringLiteral("Соединиться"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_refusal);
    layout->addWidget(buttons);
    m_host->setFocus();
}

void NetworkAddressDialog::setAcceptText(const QString &text)
{
    m_ok->setText(text);
}

QString NetworkAddressDialog::address() const
{
    QString host = m_host->text().trimmed();
    // An IPv6 address is written in brackets before its port.
    if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('[')))
        host = QStringLiteral("[%1]").arg(host);
    return m_kind->currentData().toString() + host + QLatin1Char(':') + QString::number(m_port->value());
}

void NetworkAddressDialog::accept()
{
    QString why;
    const auto parsed = NetworkLine::parse(address(), &why);
    if (!parsed) {
        m_refusal->setText(why);
        setSignalColour(m_refusal, QPalette::WindowText, QColor(255, 0, 0));
        m_refusal->show();
        m_host->setFocus();
        return;
    }
    m_refusal->hide();
    if (tryAddress && !tryAddress(parsed->text()))
        return;
    QDialog::accept();
}
