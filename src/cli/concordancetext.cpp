#include "concordancetext.h"

#include "cli/console.h"
#include "keep/runkeeper.h"
#include "platform/failure.h"
#include "results/resultformats.h"
#include "results/textoutput.h"

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

bool writeConcordance(const RunKeeper& keeper, const QString& word, int width, QIODevice& output,
                      Console& console)
{
    bool whole = true;
    if (!keeper.failure().isEmpty()) {
        console.message(QStringLiteral("the counted texts could not be kept: ") + keeper.failure());
        whole = false;
    }
    if (!keeper.store() || keeper.run() == 0)
        return false;
    try {
        const Concordance found = findConcordance(*keeper.store(), keeper.run(), word, width);
        if (found.pagesNotKept > 0) {
            console.message(QStringLiteral("%1 page(s) were counted but their text was not kept "
                                           "(the run's texts reached %2 MiB): their uses are "
                                           "not listed")
                                .arg(found.pagesNotKept)
                                .arg(keeper.store()->limits().runBytes >> 20));
            whole = false;
        }
        TextOutput out(output, QStringConverter::Utf8);
        out.open();
        for (const ConcordanceLine& line : found.lines)
            out.write(concordanceLine(line));
        out.commit();
    } catch (...) {
        console.message(describeException(std::current_exception()));
        return false;
    }
    return whole;
}

} // namespace tv
