#pragma once

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// "Подключиться по сети…": asks for a network port as its parts, the kind
// (rfc2217:// or socket://), the host and the port number, and lets it through only
// when it is a valid address; otherwise it says why, in the tool's words.
class NetworkAddressDialog : public QDialog
{
    Q_OBJECT

public:
    // start: an address to offer ("rfc2217://host:2217"); empty: a blank one.
    explicit NetworkAddressDialog(QWidget *parent, const QString &start = {});

    // The address as the parts say now: "rfc2217://host:2217".
    QString address() const;
    QComboBox *kindBox() const { return m_kind; }
    QLineEdit *hostEdit() const { return m_host; }
    QSpinBox *portBox() const { return m_port; }
    // Why the last try to accept was refused; empty while nothing was.
    QLabel *refusalLabel() const { return m_refusal; }

    // Called with a valid address on "Соединиться"; false keeps the dialog open (the
    // connection was refused and said so), for another try.
    std::function<bool(const QString &address)> tryAddress;
    // The accepting button's caption ("Соединиться" unless set).
    void setAcceptText(const QString &text);

    void accept() override;

private:
    QComboBox *m_kind;
    QLineEdit *m_host;
    QSpinBox *m_port;
    QLabel *m_refusal;
    class QPushButton *m_ok;
};
