#pragma once
// The order of many texts by a locale's collation (ICU's), for sorting a results column: each
// text's sort key is made once into one buffer, and the keys are compared as bytes.
#include <QLocale>
#include <QStringView>
#include <functional>
#include <vector>

namespace tv {

// ranks[i] is the place of text i (0 for the first) in the locale's order; equal texts keep
// their own order. `text(i)` gives text i. Falls back to code-point order when the locale has
// no collator.
std::vector<int> collationRanks(int count, const std::function<QStringView(int)>& text,
                                const QLocale& locale = QLocale());

} // namespace tv
