#pragma once
// A program run as a child for a benchmark: its wall time and its own peak memory. The peak is
// read by a small go-between process (this benchmark started with --measure) that waits for
// the program and reports what the system counted for it alone.
#include <QString>
#include <QStringList>

namespace tv::bench {

struct ChildRun {
    bool finished = false; // it ran to its end in time
    int exitCode = -1;
    double seconds = 0;
    double peakMegabytes = 0;
    double cpuSeconds = 0; // user and system time of the program itself
};

// The built tallyvane-count, or the one the environment variable TV_CLI names.
QString cliProgram();

// Runs `program` with `arguments`, standard output to `outputFile` ("" throws it away).
ChildRun runMeasured(const QString& program, const QStringList& arguments,
                     const QString& outputFile, int timeoutMs = 600000);

// The go-between: argv is OUTPUT PROGRAM ARGS...; prints "PEAK_KB CPU_SECONDS EXIT" and
// returns 0.
int measureChild(int argc, char** argv);

} // namespace tv::bench
