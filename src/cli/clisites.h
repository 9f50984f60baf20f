#pragma once
// The site list tallyvane-count reads from its command line: addresses as typed, and list files
// and standard input line by line, with the errors a list that cannot be read gives.
#include "cli/cliarguments.h"

namespace tv {

class Console;
class SiteListModel;

// Appends the rows of every source in command-line order: addresses as typed, list files and
// standard input line by line as "Load From File" reads them. Throws Failure when a list
// cannot be read; a line too long for an address is told on `console` at once.
void loadSites(const QList<SiteSource>& sources, SiteListModel& sites, Console& console);

} // namespace tv
