#include "concordancetext.h"

#include "cli/resultformats.h"

namespace tv {

QString concordanceLine(const ConcordanceLine& line)
{
    return tsvField(line.address) + u'\t' + tsvField(line.left) + u'\t' + tsvField(line.match) +
           u'\t' + tsvField(line.right) + u'\n';
}

QString concordanceText(const QList<ConcordanceLine>& lines)
{
    QString text;
    for (const ConcordanceLine& line : lines)
        text += concordanceLine(line);
    return text;
}

} // namespace tv
