#pragma once
// Thinning out a site list by a search text, without regard to letter case.
#include <QString>

namespace tv {

class SiteListModel;

// Removes every row whose text contains `text`, both lower-cased. Throws Failure when a row
// goes missing while the list is walked; then nothing is removed.
void removeRowsContaining(SiteListModel& list, const QString& text);
// Removes every row whose text does not contain `text`, both lower-cased. Throws Failure when
// a row goes missing while the list is walked; then nothing is removed.
void removeRowsNotContaining(SiteListModel& list, const QString& text);

} // namespace tv
