#pragma once
// The concordance as the command line prints it (--concordance WORD): one line per use of the
// word, the fields site, left context, word and right context separated by tabs and escaped as
// in the tsv format.
#include "keep/concordance.h"

#include <QString>

class QIODevice;

namespace tv {

class Console;
class RunKeeper;

// One line, with its line feed.
QString concordanceLine(const ConcordanceLine& line);
// Every line, in the order given.
QString concordanceText(const QList<ConcordanceLine>& lines);

// Every use of `word` in the run `keeper` kept last, `width` characters of context either side,
// written to `output` in UTF-8; what could not be searched (pages not kept, keeping that
// failed) is told on `console`. False when a page's text is missing from the lines or they
// could not be written.
bool writeConcordance(const RunKeeper& keeper, const QString& word, int width, QIODevice& output,
                      Console& console);

} // namespace tv
