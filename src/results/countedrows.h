#pragma once
// A count's rows in the results list: site, word and count per site; word and count for one
// count over all sites.
#include "count/countresults.h"

namespace tv {

class CountTexts;
class ResultsModel;

// Appends `row` to `list` in the per-site layout or the combined one.
void appendCountRow(ResultsModel& list, bool perSite, const CountRow& row, CountTexts& counts);

} // namespace tv
