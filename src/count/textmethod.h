#pragma once
// The text method, offered as "Regular Text Method (slower)": every page's words tallied in
// memory, the tallies sorted by count and word.
#include "count/countrequest.h"
#include "count/countresults.h"

namespace tv {

class CountObserver;
class PageSource;

// Counts the request's sites, one count over all of them or one per site, and hands over one
// row per distinct word, least frequent first; per site, a page is cut down to the text between
// its body tags first, and the rows carry the site as typed. The summary's total is the sum of
// the rows' counts (unset for one count over no site, or without a layout). Failures are
// reported through the error report of "Sorting.SortingText" and the count goes on; nothing is
// thrown.
CountSummary countWithTextMethod(const CountRequest& request, PageSource& pages,
                                 CountObserver& observer);

} // namespace tv
