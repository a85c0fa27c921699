#include "ui/desktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>

namespace {
Desktop *g_installed = nullptr;
} // namespace

Desktop &Desktop::instance()
{
    static SystemDesktop real;
    return g_installed ? *g_installed : real;
}

void Desktop::install(Desktop *desktop)
{
    g_installed = desktop;
}

void SystemDesktop::showError(const QString &text, const QString &detailedText)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok);
    box.setDetailedText(detailedText);
    box.exec();
}

void SystemDesktop::showInformation(const QString &text)
{
    QMessageBox box(QMessageBox::Information, QString(), text, QMessageBox::Ok);
    box.exec();
}

bool SystemDesktop::confirm(QWidget *owner, const QString &text, const QString &yes, const QString &no)
{
    QMessageBox box(QMessageBox::Question, QGuiApplication::applicationDisplayName(), text, QMessageBox::NoButton,
                    owner);
    QPushButton *accept = box.addButton(yes, QMessageBox::AcceptRole);
    QPushButton *reject = box.addButton(no, QMessageBox::RejectRole);
    box.setDefaultButton(reject);
    box.setEscapeButton(reject);
    box.exec();
    return box.clickedButton() == accept;
}

void SystemDesktop::alert()
{
    QApplication::beep();
}

void SystemDesktop::openUrl(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}
