#pragma once
// The whole run of tallyvane-count once its command line is understood: read the sites, count
// them with the chosen engine, write the results.
#include "cli/cliarguments.h"

#include <cstdio>

class QIODevice;

namespace tv {

class Console;
class CountedRows;
class ResultRows;

enum ExitStatus {
    ExitAllRead = 0,
    ExitSomeFailed = 1,
    ExitUsage = 2,
    ExitNothingCounted = 3,
    ExitInterrupted = 130, // stopped by Ctrl-C with --partial-on-interrupt; what was counted is out
};

// Writes the rows in the format the options ask for (aligned, tsv, csv, json), escaped when
// `output` is a terminal; a failure is told on `console`. False when the rows were not written.
bool writeCountOutput(const CliOptions& options, const CountedRows& rows, QIODevice& output,
                      Console& console);
// The same for any rows; `extra` names the columns after the count ("share", "pages").
bool writeCountOutput(const CliOptions& options, const ResultRows& rows, bool perSite,
                      const QStringList& extra, QIODevice& output, Console& console);

// Runs the count and writes its results to `output`; messages go to `errors` (standard error).
// Call it with the event loop running. Gives the exit status.
int runCountCommand(const CliOptions& options, QIODevice& output, FILE* errors = stderr);

} // namespace tv
