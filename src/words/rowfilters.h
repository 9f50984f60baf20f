#pragma once
// Filters over the rows of one count: minimum count, minimum length, the N most frequent, and
// the order they are shown in. In a per-site run each site's rows are filtered on their own.
#include "words/wordrows.h"

#include <QStringView>
#include <optional>

namespace tv {

enum class RowOrder {
    Count,           // least frequent first, equal counts by word: the program's own order
    CountDescending, // most frequent first, equal counts by word
    Word,            // by word alone
};

struct RowFilters {
    qint64 minCount = 0;           // rows with a lower count are left out
    qsizetype minLength = 0;       // words (or phrases) of fewer characters are left out
    qint64 top = 0;                // above 0: only the rows with the `top` highest counts
    std::optional<RowOrder> order; // none: the order the rows came in
};

// The rows that pass the minimum count and length; of those the `top` most frequent (equal
// counts at the cut decided by word order); in the order asked for. Words compare by UTF-16
// code units, as everywhere in the program.
WordRows filterRows(WordRows rows, const RowFilters& filters);
// Sorts the rows; equal keys keep their order.
void sortRows(WordRows& rows, RowOrder order);
// The characters of a word as a reader counts them (grapheme clusters): "é" written as "e" and
// a combining accent is one, and so is a letter outside the Basic Multilingual Plane.
qsizetype characterCount(QStringView word);

} // namespace tv
