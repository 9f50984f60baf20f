#include "count/countingrun.h"

#include "count/databasemethod.h"
#include "count/textmethod.h"
#include "platform/dialogs.h"
#include "platform/guard.h"
#include "platform/windowcontrols.h"

#include <optional>

namespace tv {

void startCounting(CountingWindow& window, Dialogs& dialogs, PageSource& pages,
                   const MethodChoice& choice)
{
    // A second run started from inside the first would share its table and its rows.
    if (window.busy())
        return;
    Guard g(clickLocation(control::startCounting));
    CountRequest request;
    if (g.test(100, [&] {
            request.sites = window.siteRows();
            request.failures = window.failurePolicy();
            return request.sites.isEmpty();
        })) {
        g.run(102, [&] { dialogs.information(QStringLiteral("No files added.")); });
        return;
    }
    g.run(108, [&] { window.setPointerMode(PointerHourglass); });
    // Each method runs its own count and hands back its total, shown as the caption; a run
    // the user stopped says how far it got.
    bool stopped = false;
    const auto run = [&](int line, CountMethod method) {
        CountSummary summary;
        g.run(line, [&] {
            request.mode = window.countMode();
            request.splitter = window.wordSplitter(request, method);
            summary = method == CountMethod::Database
                          ? countWithDatabaseMethod(request, pages, window, choice.databasePath)
                          : countWithTextMethod(request, pages, window);
            stopped = summary.stopped || window.stopRequested();
            if (!summary.total)
                return;
            QString caption = totalCaption(method, *summary.total);
            if (stopped)
                caption += QStringLiteral(" (%1)").arg(
                    stoppedNote(summary.sitesFinished, int(request.sites.size())));
            window.setTotalCaption(caption);
        });
    };
    if (choice.databaseMethod) {
        if (choice.providerAvailable)
            run(114, CountMethod::Database);
        else
            run(118, CountMethod::Text);
    } else if (choice.textMethod) {
        run(124, CountMethod::Text);
    }
    g.run(128, [&] { window.setPointerMode(PointerDefault); });
    g.run(130, [&] { window.setProgressValue(0); });
    g.run(132, [&] { window.setProgressText(QStringLiteral("Progress Bar")); });
    // The user who stopped the run needs no box to say so: the caption does.
    if (!stopped)
        g.run(134, [&] { dialogs.information(QStringLiteral("Done.")); });
    g.run(136, [&] { window.setResultsEnabled(true); });
}

} // namespace tv
