#include "filtersites.h"

#include "platform/yield.h"
#include "sites/sitelistmodel.h"

#include <QList>

namespace tv {

namespace {

// One pass records the matching rows; the removal goes from the last of them to the first.
void removeRowsWhere(SiteListModel& list, const QString& text, bool removeMatches)
{
    const QString needle = text.toLower();
    const int count = list.count();
    QList<int> doomed;
    for (int row = 1; row <= count; ++row) {
        yieldToWindow();
        const bool matches = list.text(row).toLower().contains(needle);
        if (matches == removeMatches)
            doomed.append(row);
    }
    list.removeAtRows(doomed);
}

} // namespace

void removeRowsContaining(SiteListModel& list, const QString& text)
{
    removeRowsWhere(list, text, true);
}

void removeRowsNotContaining(SiteListModel& list, const QString& text)
{
    removeRowsWhere(list, text, false);
}

} // namespace tv
