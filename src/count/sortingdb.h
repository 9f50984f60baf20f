#pragma once
// The database-method counter, offered as "MS Access Method (faster)": every word occurrence
// becomes one row of the table tbWords, and one grouping query counts and orders them.
#include <QString>

namespace tv {

class CountingView;
class PageSource;

// Counts the words of every site row in the database file `databasePath` (SQLite, with the
// table tbWords), one count over all sites or one per site (the view's options), appends one
// results row per distinct word, least frequent first, and sets the first column's caption to
// "Results - Word Count: N". Failures are reported through the error report of
// "Sorting.SortingDB"; a database that cannot be opened or is in use by another run is
// reported once and nothing else happens. Nothing is thrown.
void SortingDB(CountingView& view, PageSource& pages, const QString& databasePath);

} // namespace tv
