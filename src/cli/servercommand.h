#pragma once
// tallyvane-count with a PostgreSQL server as --database: counting this worker's share of the
// list into a named run (pages already in are skipped), the run's report in the command line's
// formats, the list of runs, and dropping one.
#include "cli/cliarguments.h"

#include <cstdio>

class QIODevice;

namespace tv {

// Runs the server command the options name and writes what it prints to `output`; messages go
// to `errors`. Call it with the event loop running. Gives the exit status.
int runServerCommand(const CliOptions& options, QIODevice& output, FILE* errors = stderr);

} // namespace tv
