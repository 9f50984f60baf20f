#pragma once
// The concordance as the command line prints it (--concordance WORD): one line per use of the
// word, the fields site, left context, word and right context separated by tabs and escaped as
// in the tsv format.
#include "keep/concordance.h"

#include <QString>

namespace tv {

// One line, with its line feed.
QString concordanceLine(const ConcordanceLine& line);
// Every line, in the order given.
QString concordanceText(const QList<ConcordanceLine>& lines);

} // namespace tv
