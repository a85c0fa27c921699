#include "ui/desktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>

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

void SystemDesktop::alert()
{
    QApplication::beep();
}

void SystemDesktop::openUrl(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}
