#pragma once
// The bodies of the main window's site-list commands. Each one carries the error report of its
// button's click procedure (from the window's control table) and goes on after a reported
// failure.
#include <QString>
#include <QStringList>

namespace tv {

class Dialogs;
class Pointer;
class SiteListModel;

// The two host names "Load Sample/Example Sites" appends, in order.
QStringList sampleSites();

// "Add One URL": asks for an address and appends it as typed; cancel or "" changes nothing.
void addOneUrl(SiteListModel& sites, Dialogs& dialogs);
// "Load Sample/Example Sites": appends the two sample host names, every time.
void loadSampleSites(SiteListModel& sites);
// "Clear List": empties the list, except while the busy mark shows.
void clearSiteList(SiteListModel& sites, const Pointer& pointer);
// "Load From File": appends the lines of the files picked in the file dialog, in its order.
void loadSitesFromFiles(SiteListModel& sites, Dialogs& dialogs);
// Files named when the window program starts: each loaded in order as "Load From File" loads
// a picked file ("File not found" for a missing one); a failing file does not stop the rest.
void openSiteFiles(SiteListModel& sites, const QStringList& paths, Dialogs& dialogs);
// "Remove Entries Containing X": hourglass while it works, arrow after; refused while busy.
void removeSitesContaining(SiteListModel& sites, Dialogs& dialogs, Pointer& pointer);
// "Remove Entries Not Containing X": hourglass while it works, arrow after; refused while busy.
void removeSitesNotContaining(SiteListModel& sites, Dialogs& dialogs, Pointer& pointer);

// Double-click on the site list: removes row `selectedRow` (1-based; 0 when none is
// selected). Does nothing while busy or without a selected row; never throws.
void removeSelectedSite(SiteListModel& sites, int selectedRow, const Pointer& pointer);

} // namespace tv
