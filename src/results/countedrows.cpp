#include "results/countedrows.h"

#include "results/counttexts.h"
#include "results/resultsmodel.h"

namespace tv {

void appendCountRow(ResultsModel& list, bool perSite, const CountRow& row, CountTexts& counts)
{
    if (perSite)
        list.append(row.site, row.word, counts.text(row.count));
    else
        list.append(row.word, counts.text(row.count));
}

} // namespace tv
