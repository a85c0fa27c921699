#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

// One run of a program, with the environment a test gives it.
struct ProgramRun
{
    int exitCode = -1;
    bool finished = false; // false: still running when the wait ended, then stopped
    QByteArray out;
    QByteArray err;
};

// A window started by a test must find no serial port: a private ports folder and an
// empty default table.
inline QProcessEnvironment withoutSerialPorts(QProcessEnvironment environment, const QTemporaryDir &config)
{
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    environment.insert(QStringLiteral("TAVRIX_DEFAULT_PORTS"), QString());
    return environment;
}

// Runs the program until it ends or waitMs has passed; a program still running then
// (a window's event loop) is stopped.
inline ProgramRun runProgram(const QString &program, const QStringList &arguments,
                             const QProcessEnvironment &environment, int waitMs = 30000)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProgramRun run;
    if (!process.waitForStarted(10000))
        return run;
    run.finished = process.waitForFinished(waitMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished(10000);
    }
    run.exitCode = run.finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}
