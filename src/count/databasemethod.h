#pragma once
// The database method, offered as "MS Access Method (faster)": every word occurrence becomes one
// row of the table tbWords, and one grouping query counts and orders them.
#include "count/countrequest.h"
#include "count/countresults.h"

#include <QString>

namespace tv {

class CountObserver;
class PageSource;

// Counts the request's sites in the database file `databasePath` (SQLite, with the table
// tbWords), one count over all of them or one per site, and hands over one row per distinct
// word, least frequent first; per site, the rows carry the site's display name (the text after
// its last backslash). The summary's total is the sum of the rows' counts. Failures are
// reported through the error report of "Sorting.SortingDB"; a database that cannot be opened,
// or is in use by another run, is reported once and the summary says the count never started.
// Nothing is thrown.
CountSummary countWithDatabaseMethod(const CountRequest& request, PageSource& pages,
                                     CountObserver& observer, const QString& databasePath);

} // namespace tv
