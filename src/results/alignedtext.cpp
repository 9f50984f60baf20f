#include "results/alignedtext.h"

namespace tv {

void appendPaddedCell(QString& line, QStringView text, qsizetype width)
{
    line += text;
    if (text.size() < width)
        line.resize(line.size() + (width - text.size()), u' ');
    line += u'\t';
}

void fileLine(QString& line, const QStringList& cells, const QList<qsizetype>& widths)
{
    line.resize(0); // keeps the buffer for the next line
    for (qsizetype c = 0; c < cells.size(); ++c)
        appendPaddedCell(line, cells[c], widths.value(c));
}

void clipboardLine(QString& line, const QStringList& cells, const QList<qsizetype>& widths)
{
    fileLine(line, cells, widths);
    // The last cell loses its TAB and every space it ends with; the TAB before it stops the
    // trimming.
    if (!cells.isEmpty())
        line.chop(1);
    qsizetype end = line.size();
    while (end > 0 && line[end - 1] == u' ')
        --end;
    line.truncate(end);
}

} // namespace tv
