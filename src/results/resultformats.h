#pragma once
// The results as machine-readable text: tab- or comma-separated values, or JSON.
#include <QString>
#include <QStringList>

namespace tv {

// How results are written for other programs: aligned is the saved text file's layout.
enum class OutputFormat { Aligned, Tsv, Csv, Json };

class ResultRows;
class TextOutput;

// One field of a tab-separated line: tab, line feed, carriage return and backslash written
// as \t, \n, \r and \\, other control characters as \xHH, so that every row stays one line
// of fields.
QString tsvField(const QString& text);
// One field of an RFC 4180 line: quoted (quotes doubled) when it holds a comma, a quote, a
// carriage return or a line feed. CSV has no escapes: other control characters stay.
QString csvField(const QString& text);
// A JSON string literal, quotes included; every control character written as \uXXXX (or
// \n, \r, \t).
QString jsonString(const QString& text);

// Writes a header line and every ticked row of `list` in `format` (not Aligned: that is the
// saved text file's) to `out`; rows of a per-site list carry the site. The last column is the
// count, written as it stands (a JSON number), unless `extra` names columns after it (numbers
// too). Throws Failure when `out` cannot take them.
void writeResultRows(const ResultRows& list, bool perSite, OutputFormat format, TextOutput& out,
                     const QStringList& extra = {});

} // namespace tv
