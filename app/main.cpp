#include "app/configurationmenu.h"
#include "app/configuratorcommandline.h"
#include "app/configuratorwindow.h"
#include "app/desktopidentity.h"
#include "app/russiantexts.h"
#include "app/tform1.h"
#include "commandline/commandline.h"
#include "link/portdiagnosis.h"
#include "link/serialchannel.h"
#include "ui/focusedwheel.h"
#include "ui/windowfont.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QProcessEnvironment>
#include <QScreen>
#include <QTextStream>
#include <QTimer>
#include <exception>
#include <optional>

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

// What every COM number stands for and why it is not free, for a user whose port list
// is empty.
int printPortTable(QTextStream &out, QTextStream &)
{
    const PortMap map = PortMap::system();
    SerialChannel probe;
    out << formatPortTable(diagnosePorts(map, probe), map.portsDir());
    return 0;
}

// With TAVRIX_EXIT_AFTER_FIRST_PAINT set the program ends, with 0, once the window's
// first frame is painted: how its start-up is timed, against a window with one label
// that does the same.
class ExitAfterFirstPaint : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // The frame is flushed in the pass that painted it; the quit is queued after it.
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    commandline::useStartingConsole();
    ConfiguratorCommandLine commandLine;
    commandLine.addWindowlessOption(
        QCommandLineOption(QStringLiteral("ports"),
                           QStringLiteral("Вывести COM1–COM50 с устройством за каждым номером, свободен ли "
                                          "порт и почему нет, и выйти.")),
        printPortTable);
    if (const std::optional<int> status = commandLine.process(argc, argv, QProcessEnvironment::systemEnvironment()))
        return *status;

    std::optional<PlatformStartGuard> guard(std::in_place);
    Application app(argc, argv);
    guard.reset();
    QApplication::setApplicationName(QStringLiteral("Конфигуратор Tavrix"));
    useDesktopIdentity();
    useRussianTexts();
    useWindowFont();
    useWheelOnlyWithFocus();

    auto *form = new TForm1;
    ConfiguratorWindow window(form);
    window.move(window.screen()->availableGeometry().center() - window.rect().center());
    if (qEnvironmentVariableIsSet("TAVRIX_EXIT_AFTER_FIRST_PAINT"))
        window.installEventFilter(new ExitAfterFirstPaint(&window));
    window.show();
    // Once the window is up, so that a refusal shows over it; a refused file leaves the
    // window as it starts.
    if (const QString file = commandLine.configurationFile(); !file.isEmpty())
        QTimer::singleShot(0, form, [form, file] { form->findChild<ConfigurationMenu *>()->openFrom(file); });
    return app.exec();
}
