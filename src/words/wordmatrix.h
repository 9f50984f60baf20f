#pragma once
// The word by page table (the document-term matrix) of a combined count: one line per word, one
// column per page, for spreadsheets and statistics programs.
#include "words/wordrows.h"

#include <QString>
#include <vector>

class QIODevice;

namespace tv {

enum class MatrixFormat {
    Csv, // RFC 4180: fields with a comma, a quote or a line end quoted, CR LF line ends
    Tsv, // tabs between fields; tab, line feed, carriage return and backslash written as
         // \t, \n, \r and \\ so that every row stays one line
};

// Writes the table in UTF-8: a header line ("word" and the page names), then for every row of
// `words`, in their order, the word and its count on each of `pages` (0 where it does not
// occur). Gives false when the device took less than it was given; `error` then says why.
bool writeWordMatrix(QIODevice& device, const WordRows& words, const std::vector<NamedCount>& pages,
                     MatrixFormat format, QString& error);

} // namespace tv
