#pragma once
// The rows of a finished count, as the filters, figures and word by page table take them.
#include <QString>
#include <vector>

namespace tv {

// One word (or phrase) of a count with its count, and the figures that may be shown beside it.
struct WordRow {
    QString word;
    qint64 count = 0;
    double share = 0; // percent of its count's total words, once withShares() has run
    int pages = 0;    // pages it occurs on, once withPages() has run
};
using WordRows = std::vector<WordRow>;

// The rows of one count under a name: one site's count in a per-site run, or one page's words
// for the pages column and the word by page table.
struct NamedCount {
    QString name;
    WordRows rows;
};

} // namespace tv
