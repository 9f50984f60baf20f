#include "clirunner.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

namespace tv::test {

QString cliProgram()
{
    return QStringLiteral(TV_CLI_PROGRAM);
}

CliOutcome runCli(const CliRun& run)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The command line must not need a display, nor be told which platform plugin to use.
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(run.environment);

    QProcess process;
    process.setProcessEnvironment(env);
    if (!run.errorFile.isEmpty())
        process.setStandardErrorFile(run.errorFile);
    CliOutcome outcome;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);

    process.start(cliProgram(), run.arguments);
    if (!process.waitForStarted(30000))
        return outcome;
    if (!run.input.isEmpty())
        process.write(run.input);
    process.closeWriteChannel();
    limit.start(run.timeoutMs);
    // The loop keeps this process's server answering while the child runs.
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

CliOutcome runCli(const QStringList& arguments, const QByteArray& input)
{
    CliRun run;
    run.arguments = arguments;
    run.input = input;
    return runCli(run);
}

} // namespace tv::test
