#pragma once
// "Save Results As Text File": the results list as a column-aligned text file.
#include "platform/progresssink.h"

#include <QString>

class QIODevice;

namespace tv {

class Dialogs;
class Pointer;
class ResultsModel;

// The save dialog's title and filter.
QString saveListTitle();
QString saveListFilter();
// The question asked before an existing file is replaced.
QString overwriteQuestion(const QString& path);

// Writes a caption line and one line per ticked row: every cell padded with spaces to its
// column's widest text (captions and all rows, ticked or not) and followed by TAB, every line
// ended by CR LF, in the system code page. `progress` may be null. Failures are reported (once)
// and never escape; the file at `path` is then left as it was.
void SaveListviewProperlySpaced(const ResultsModel& list, const QString& path,
                                ProgressSink* progress);
// The same bytes as the file, written to the open `device` (standard output, say). Failures are
// reported (once) and never escape; gives false then.
bool writeListviewProperlySpaced(const ResultsModel& list, QIODevice& device);

// The command: asks for the file name, asks before replacing an existing file, and writes the
// list with the busy mark showing. Failures are reported; nothing is written on cancel.
void saveResultsAsTextFile(const ResultsModel& list, Dialogs& dialogs, Pointer& pointer,
                           ProgressSink* progress);

} // namespace tv
