#include "tests/support/displaychild.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

namespace testsupport {

std::optional<QString> runOnDisplay(const QString &screen, const QString &scale, const char *mode, QString *errors)
{
    QProcess xvfb;
    xvfb.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-noreset", "-screen", "0", screen + "x24", "-nolisten", "tcp"});
    if (!xvfb.waitForStarted() || !QTest::qWaitFor([&] { return xvfb.canReadLine(); }, 20000))
        return std::nullopt;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(mode), QStringLiteral("1"));
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(xvfb.readLine()).trimmed());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
    env.insert(QStringLiteral("TAVRIX_FIT_WIDTH"), screen.section(QLatin1Char('x'), 0, 0));
    env.insert(QStringLiteral("TAVRIX_FIT_HEIGHT"), screen.section(QLatin1Char('x'), 1, 1));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    const bool finished = child.waitForFinished(120000);
    xvfb.terminate();
    xvfb.waitForFinished();
    *errors = QString::fromUtf8(child.readAllStandardError());
    if (!finished || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(child.readAllStandardOutput());
}

} // namespace testsupport
