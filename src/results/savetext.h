#pragma once
// "Save Results As Text File": the results as a column-aligned text file.
#include "platform/progresssink.h"

#include <QString>

namespace tv {

class Dialogs;
class Pointer;
class ResultRows;
class TextOutput;

// The save dialog's title and filter.
QString saveDialogTitle();
QString saveDialogFilter();
// The question asked before an existing file is replaced.
QString overwriteQuestion(const QString& path);

// Writes a caption line and one line per ticked row to the file at `path`: every cell padded
// with spaces to its column's widest text (captions and all rows, ticked or not) and followed
// by TAB, every line ended by CR LF, in the system code page. `progress` may be null. Failures
// are reported (once) through the error report of "Main.SaveListviewProperlySpaced" and never
// escape; the file at `path` is then left as it was.
void saveAlignedResults(const ResultRows& list, const QString& path, ProgressSink* progress);
// The same bytes written to `out` (standard output, say). Failures are reported (once) the same
// way; `out` then says it failed.
void writeAlignedResults(const ResultRows& list, TextOutput& out);

// The command: asks for the file name, asks before replacing an existing file, and writes the
// list with the busy mark showing. Failures are reported; nothing is written on cancel.
void saveResultsAsText(const ResultRows& list, Dialogs& dialogs, Pointer& pointer,
                       ProgressSink* progress);

} // namespace tv
