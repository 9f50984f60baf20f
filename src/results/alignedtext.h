#pragma once
// The aligned text of the results: every cell padded with spaces to its column's width and
// followed by TAB. The saved file (and the command line's aligned output) pads every cell;
// the clipboard leaves the last cell of a line as it is, without trailing spaces or TAB.
#include <QList>
#include <QStringList>
#include <QStringView>

namespace tv {

// Appends the text, spaces up to `width`, then TAB.
void appendPaddedCell(QString& line, QStringView text, qsizetype width);
// A line of the saved file: every cell padded and followed by TAB.
void fileLine(QString& line, const QStringList& cells, const QList<qsizetype>& widths);
// A line of the clipboard text: every cell but the last padded and followed by TAB, the last
// one without the spaces it ends with. No line end.
void clipboardLine(QString& line, const QStringList& cells, const QList<qsizetype>& widths);

} // namespace tv
