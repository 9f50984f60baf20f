#pragma once
// Figures of a finished count: its total and distinct words and their ratio, each row's share
// of the total, and on how many pages each word of a combined count occurs.
#include "words/wordrows.h"

#include <QString>
#include <vector>

namespace tv {

struct CountFigures {
    qint64 total = 0;    // words counted: the sum of the counts
    qint64 distinct = 0; // distinct words
    // Distinct words per word counted (the type/token ratio); 0 for an empty count.
    double ratio() const { return total > 0 ? double(distinct) / double(total) : 0.0; }
};

// The figures of one count.
CountFigures figuresOf(const WordRows& rows);
// The figures of a per-site run: the words of every site, and the words distinct across them.
CountFigures figuresOf(const std::vector<NamedCount>& counts);

// Sets each row's share: its count in percent of the rows' total. Run it on all rows of one
// count, before any filter; in a per-site run, on each site's rows.
void withShares(WordRows& rows);
// The share as shown: a percentage with two decimals, "12.50".
QString shareText(double percent);

// Sets each row's pages: how many of `pages` (each page's own count) hold its word.
void withPages(WordRows& rows, const std::vector<NamedCount>& pages);
// The combined count of several pages: every word once with the sum of its counts, least
// frequent first and equal counts by word.
WordRows combineCounts(const std::vector<NamedCount>& pages);

} // namespace tv
