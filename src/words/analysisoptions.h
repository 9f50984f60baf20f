#pragma once
// What a user asked of the word analysis: how pages are split into words (rule, stop words,
// phrases) and what is done with the rows after the count (filters, order, the share and pages
// columns, the word by page table). The defaults ask for nothing: the count is the program's own.
#include "words/rowfilters.h"
#include "words/stoplist.h"
#include "words/wordrule.h"

namespace tv {

struct AnalysisOptions {
    WordRule rule = WordRule::Classic;
    StopList stopWords;
    int phraseLength = 1; // 1: single words; 2 or 3: phrases
    RowFilters filters;
    bool withShare = false; // a column with each row's share of its count's words
    bool withPages = false; // a column with the pages a word occurs on (one count over all sites)
    bool matrix = false;    // the word by page table instead of the rows

    // Whether the pages must be split by a splitter of their own rather than inline.
    bool needsSplitter() const
    {
        return rule != WordRule::Classic || !stopWords.isEmpty() || phraseLength != 1 ||
               withPages || matrix;
    }
    // Whether each page's own count must be kept.
    bool keepsPages() const { return withPages || matrix; }
    // Whether the rows after the count differ from the engines' rows.
    bool reshapesRows() const
    {
        return filters.minCount > 0 || filters.minLength > 0 || filters.top > 0 ||
               filters.order.has_value() || withShare || withPages;
    }
};

} // namespace tv
