#include "app/tform1.h"
#include "ui/windowfont.h"

#include <QApplication>
#include <QScreen>
#include <QMessageBox>
#include <exception>

namespace {

// An exception that escapes a handler is shown once and ends the program with 0.
class Application : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception &e) {
            showAndQuit(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            showAndQuit(QString());
        }
        return false;
    }

private:
    static void showAndQuit(const QString &message)
    {
        QMessageBox::critical(nullptr, applicationName(), message);
        QApplication::exit(0);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Конфигуратор Tavrix"));
    useWindowFont();

    TForm1 form;
    form.move(form.screen()->availableGeometry().center() - form.rect().center());
    form.show();
    return app.exec();
}
