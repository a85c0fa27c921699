#pragma once

#include "commandline/commandline.h"

#include <QCommandLineOption>
#include <QList>

#include <functional>

class QProcessEnvironment;

// The configurator's command line. It is read before the application object exists, so
// that help, version, usage errors and the options that need no window work without a
// display. Qt's own options (-platform, -style, -display, ...) pass through to Qt. One
// argument may name a configuration file to open in the window (a file manager passes
// the file the user opened).
class ConfiguratorCommandLine
{
public:
    static constexpr int kNoDisplay = 1;

    // Does its work without a window or a display, writes to out and err and returns
    // the exit status. A QCoreApplication exists while it runs.
    using WindowlessRun = std::function<int(QTextStream &out, QTextStream &err)>;

    ConfiguratorCommandLine();

    // An option that ends the program with its run instead of opening the window.
    void addWindowlessOption(const QCommandLineOption &option, WindowlessRun run);

    // Returns the exit status if the program ends here, or nothing to open the window.
    // With no display to open it on, says so in one line and returns kNoDisplay.
    std::optional<int> process(int &argc, char **argv, const QProcessEnvironment &environment);
    std::optional<int> process(int &argc, char **argv, const QProcessEnvironment &environment,
                               QTextStream &out, QTextStream &err);

    static QString programName();

    // The configuration file named on the command line, as an absolute path; empty
    // when none was named.
    QString configurationFile() const { return m_configurationFile; }

private:
    QCommandLineParser m_parser;
    QString m_configurationFile;
    QList<std::pair<QCommandLineOption, WindowlessRun>> m_windowless;
};

// While the window's application object is built: a platform plugin that cannot start
// (a display that does not answer) ends the program with one line and kNoDisplay instead
// of Qt's abort. Qt's other messages in that time are passed on afterwards.
class PlatformStartGuard
{
public:
    PlatformStartGuard();
    ~PlatformStartGuard();
    PlatformStartGuard(const PlatformStartGuard &) = delete;
    PlatformStartGuard &operator=(const PlatformStartGuard &) = delete;
};
