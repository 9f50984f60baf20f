#include "programrun.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

namespace tv::test {

ProgramOutcome runProgram(const QString& program, const QStringList& arguments,
                          const QProcessEnvironment& extra, int timeoutMs)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(extra);

    QProcess process;
    process.setProcessEnvironment(env);
    ProgramOutcome outcome;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);

    process.start(program, arguments);
    if (!process.waitForStarted(30000))
        return outcome;
    process.closeWriteChannel();
    limit.start(timeoutMs);
    while (process.state() != QProcess::NotRunning && limit.isActive())
        loop.exec();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(10000);
        return outcome;
    }
    outcome.finished = process.exitStatus() == QProcess::NormalExit;
    outcome.exitCode = process.exitCode();
    outcome.out = process.readAllStandardOutput();
    outcome.err = process.readAllStandardError();
    return outcome;
}

} // namespace tv::test
