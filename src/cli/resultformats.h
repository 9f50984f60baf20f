#pragma once
// The results list as machine-readable text: tab- or comma-separated values, or JSON.
#include "cli/cliarguments.h"

#include <QString>

class QIODevice;

namespace tv {

class ResultsModel;

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

// Writes every ticked row of `list` in `format` (not Aligned: that is the saved text file's
// own writer) in UTF-8 to `device`; rows of a per-site list carry the site. Gives false when
// the device took less than it was given; `error` then says why.
bool writeResultRows(const ResultsModel& list, bool perSite, OutputFormat format, QIODevice& device,
                     QString& error);

} // namespace tv
