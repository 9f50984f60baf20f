#pragma once
// The word analysis on the command line: the stop lists read when the count starts, the
// splitter the count is given, and the rows written after it (filtered, with the share and
// pages columns, or as the word by page table), with the count's figures on standard error.
#include "cli/cliarguments.h"
#include "words/countsplitter.h"

#include <memory>

class QIODevice;

namespace tv {

class CliCount;
class Console;
struct CountRequest;

class CliWords {
public:
    // Reads the stop lists the options name: a built-in list by language, else a file. Throws
    // Failure when one can be neither.
    explicit CliWords(const CliOptions& options);

    // Gives the count its splitter when the analysis needs one; stop words that can match no
    // word are told on `console`. Throws Failure when the splitter cannot be made.
    void prepare(CountRequest& request, bool storedWords, Console& console);
    // For a second method after the first could not start.
    void restart(bool storedWords);

    // Whether the output differs from the count's own rows.
    bool changesOutput() const;
    // Writes the rows as the options ask; false when they were not written (told on `console`).
    bool write(CliCount& count, const QString& caption, QIODevice& output, Console& console);

private:
    const CliOptions& m_options;
    AnalysisOptions m_analysis;
    QStringList m_sites;
    std::unique_ptr<CountSplitter> m_splitter;
};

} // namespace tv
