#pragma once
// Runs the built tallyvane-count as a child process while this process keeps its event loop
// (and so its HTTP server) going, with no display in the child's environment.
#include <QByteArray>
#include <QProcessEnvironment>
#include <QStringList>

namespace tv::test {

struct CliOutcome {
    bool finished = false; // false: it did not end in time and was killed
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

struct CliRun {
    QStringList arguments;
    QByteArray input;                // standard input, closed after it
    QProcessEnvironment environment; // added to (and overriding) the inherited one
    QString errorFile;               // when set, standard error goes to this file
    int timeoutMs = 120000;
};

QString cliProgram();
CliOutcome runCli(const CliRun& run);
CliOutcome runCli(const QStringList& arguments, const QByteArray& input = {});

} // namespace tv::test
