#include "childrun.h"

#include "support/benchsupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tv::bench {

QString cliProgram()
{
    // Another build may be measured the same way (an older one, say): TV_CLI names it.
    const QString other = qEnvironmentVariable("TV_CLI");
    return other.isEmpty() ? QStringLiteral(TV_CLI_PROGRAM) : other;
}

ChildRun runMeasured(const QString& program, const QStringList& arguments,
                     const QString& outputFile, int timeoutMs)
{
    QProcess process;
    ChildRun run;
    const QStringList goBetween =
        QStringList{QStringLiteral("--measure"),
                    outputFile.isEmpty() ? QStringLiteral("/dev/null") : outputFile, program} +
        arguments;
    run.seconds = secondsOf([&] {
        process.start(QCoreApplication::applicationFilePath(), goBetween);
        if (!process.waitForFinished(timeoutMs))
            process.kill();
    });
    process.waitForFinished(10000);
    const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
    if (process.exitStatus() != QProcess::NormalExit || fields.size() != 3)
        return run;
    run.peakMegabytes = fields[0].toDouble() / 1024.0;
    run.cpuSeconds = fields[1].toDouble();
    run.exitCode = fields[2].toInt();
    run.finished = run.exitCode >= 0;
    return run;
}

int measureChild(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const pid_t child = fork();
    if (child == 0) {
        const int output = ::open(argv[0], O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int nothing = ::open("/dev/null", O_WRONLY);
        ::dup2(output, STDOUT_FILENO);
        ::dup2(nothing, STDERR_FILENO);
        ::execv(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child)
        return 1;
    const auto seconds = [](const timeval& t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    std::printf("%ld %.3f %d\n", usage.ru_maxrss, seconds(usage.ru_utime) + seconds(usage.ru_stime),
                WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return 0;
}

} // namespace tv::bench
