#include "clirunner.h"

#include <QEventLoop>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

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
    if (!run.outputFile.isEmpty())
        process.setStandardOutputFile(run.outputFile);
    if (run.inChild)
        process.setChildProcessModifier(run.inChild);
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
    if (run.outputFile.isEmpty())
        outcome.out = process.readAllStandardOutput();
    if (run.errorFile.isEmpty())
        outcome.err = process.readAllStandardError();
    return outcome;
}

PseudoTerminal::PseudoTerminal()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0)
        return;
    termios raw{};
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 || tcgetattr(m_master, &raw) != 0) {
        close(m_master);
        m_master = -1;
        return;
    }
    cfmakeraw(&raw);
    tcsetattr(m_master, TCSANOW, &raw);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_path = QString::fromLocal8Bit(ptsname(m_master));
    m_slave = open(ptsname(m_master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { drain(); });
}

PseudoTerminal::~PseudoTerminal()
{
    delete m_notifier;
    if (m_slave >= 0)
        close(m_slave);
    if (m_master >= 0)
        close(m_master);
}

void PseudoTerminal::drain()
{
    char buffer[4096];
    for (ssize_t got; (got = read(m_master, buffer, sizeof buffer)) > 0;)
        m_data.append(buffer, got);
}

QByteArray PseudoTerminal::written()
{
    if (m_master >= 0)
        drain();
    return m_data;
}

CliOutcome runCli(const QStringList& arguments, const QByteArray& input)
{
    CliRun run;
    run.arguments = arguments;
    run.input = input;
    return runCli(run);
}

} // namespace tv::test
