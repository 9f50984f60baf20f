#pragma once
// The text-method counter, offered as "Regular Text Method (slower)": counts in memory.
#include <QString>
#include <QStringList>

namespace tv {

class CountingView;
class PageSource;

// Counts the words of every site row, one count over all sites or one per site (the view's
// options), and appends one results row per distinct word, least frequent first, then sets the
// first column's caption to "Results (Total Word Count: N)". Failures are reported through the
// error report of "Sorting.SortingText" and the count goes on; nothing is thrown.
void SortingText(CountingView& view, PageSource& pages);

} // namespace tv
