#include "countingrun.h"

#include "count/countingview.h"
#include "count/sortingdb.h"
#include "count/sortingtext.h"
#include "platform/dialogs.h"
#include "platform/guard.h"
#include "platform/pointer.h"

namespace tv {

void startCounting(CountingView& view, Dialogs& dialogs, PageSource& pages,
                   const EngineChoice& choice)
{
    // A second run started from inside the first would share its table and its rows.
    if (view.busy())
        return;
    Guard g(QStringLiteral("Form1"), QStringLiteral("PushButton12_Click"));
    if (g.test(100, [&] { return view.siteCount() == 0; })) {
        g.run(102, [&] { dialogs.information(QStringLiteral("No files added.")); });
        return;
    }
    g.run(108, [&] { view.setPointerMode(PointerHourglass); });
    if (choice.databaseMethod) {
        if (choice.providerAvailable)
            g.run(114, [&] { SortingDB(view, pages, choice.databasePath); });
        else
            g.run(118, [&] { SortingText(view, pages); });
    } else if (choice.textMethod) {
        g.run(124, [&] { SortingText(view, pages); });
    }
    g.run(128, [&] { view.setPointerMode(PointerDefault); });
    g.run(130, [&] { view.setProgressValue(0); });
    g.run(132, [&] { view.setProgressText(QStringLiteral("Progress Bar")); });
    g.run(134, [&] { dialogs.information(QStringLiteral("Done.")); });
    g.run(136, [&] { view.setResultsEnabled(true); });
}

} // namespace tv
