#include "sitecommands.h"

#include "platform/dialogs.h"
#include "platform/guard.h"
#include "platform/pointer.h"
#include "platform/windowcontrols.h"
#include "sites/filtersites.h"
#include "sites/loadfromfile.h"
#include "sites/sitelistmodel.h"

// The labels follow the lines of each procedure, so a report names the line that failed.

namespace tv {

namespace {

using RemoveProcedure = void (*)(SiteListModel&, const QString&);

void filterCommand(const WindowControl& button, const QString& prompt, RemoveProcedure remove,
                   SiteListModel& sites, Dialogs& dialogs, Pointer& pointer)
{
    // A second filter started during the first one's yields would remove rows under it.
    if (pointer.busy())
        return;
    Guard g(clickLocation(button));
    const QString text = g.value(100, QString(), [&] { return dialogs.inputBox(prompt); });
    if (g.test(102, [&] { return text.isEmpty(); }))
        return;
    g.run(104, [&] { pointer.setPointerMode(PointerHourglass); });
    g.run(106, [&] { remove(sites, text); });
    g.run(108, [&] { pointer.setPointerMode(PointerArrow); });
}

} // namespace

QStringList sampleSites()
{
    return {QStringLiteral("quenrith.com"), QStringLiteral("www.google.com")};
}

void addOneUrl(SiteListModel& sites, Dialogs& dialogs)
{
    Guard g(clickLocation(control::addOneUrl));
    const QString address = g.value(100, QString(), [&] {
        return dialogs.inputBox(QStringLiteral("Enter website address to add: "));
    });
    if (g.test(102, [&] { return address.isEmpty(); }))
        return;
    g.run(104, [&] { sites.append(address); });
}

void loadSampleSites(SiteListModel& sites)
{
    Guard g(clickLocation(control::loadSampleSites));
    const QStringList samples = sampleSites();
    g.run(100, [&] { sites.append(samples[0]); });
    g.run(102, [&] { sites.append(samples[1]); });
}

void clearSiteList(SiteListModel& sites, const Pointer& pointer)
{
    Guard g(clickLocation(control::clearSiteList));
    if (g.test(100, [&] { return pointer.busy(); }))
        return;
    g.run(102, [&] { sites.clear(); });
}

void loadSitesFromFiles(SiteListModel& sites, Dialogs& dialogs)
{
    Guard g(clickLocation(control::loadSitesFromFiles));
    // Lines 100 to 106 (preparing the dialog) and 112 (splitting its answer into folder and
    // names) have nothing to do here: the dialog takes its settings in one call and hands back
    // full paths.
    const QStringList paths = g.value(108, QStringList(), [&] {
        return dialogs.openFileNames(
            QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"),
            QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"));
    });
    if (g.test(110, [&] { return paths.isEmpty(); }))
        return;
    if (g.test(114, [&] { return paths.size() == 1; })) {
        g.run(116, [&] { appendSitesFromFile(sites, paths.value(0), dialogs); });
    } else {
        for (const QString& path : paths)
            g.run(122, [&] { appendSitesFromFile(sites, path, dialogs); });
    }
}

void openSiteFiles(SiteListModel& sites, const QStringList& paths, Dialogs& dialogs)
{
    Guard g(windowLocation("openSiteFiles"));
    for (const QString& path : paths)
        g.run(100, [&] { appendSitesFromFile(sites, path, dialogs); });
}

void removeSitesContaining(SiteListModel& sites, Dialogs& dialogs, Pointer& pointer)
{
    filterCommand(control::removeSitesContaining, QStringLiteral("Remove entries containing: "),
                  removeRowsContaining, sites, dialogs, pointer);
}

void removeSitesNotContaining(SiteListModel& sites, Dialogs& dialogs, Pointer& pointer)
{
    filterCommand(control::removeSitesNotContaining,
                  QStringLiteral("Remove entries not containing: "), removeRowsNotContaining, sites,
                  dialogs, pointer);
}

void removeSelectedSite(SiteListModel& sites, int selectedRow, const Pointer& pointer)
{
    if (pointer.busy())
        return;
    if (selectedRow < 1 || selectedRow > sites.count())
        return;
    sites.removeAt(selectedRow);
}

} // namespace tv
