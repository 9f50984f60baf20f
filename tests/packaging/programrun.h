#pragma once
// Runs an installed program as a child process while this process keeps its event loop (and so
// its HTTP server) going; the child gets no display unless the caller gives it a platform.
#include <QByteArray>
#include <QProcessEnvironment>
#include <QStringList>

namespace tv::test {

struct ProgramOutcome {
    bool finished = false; // false: it did not start, or did not end in time and was killed
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ProgramOutcome runProgram(const QString& program, const QStringList& arguments,
                          const QProcessEnvironment& extra = {}, int timeoutMs = 120000);

} // namespace tv::test
