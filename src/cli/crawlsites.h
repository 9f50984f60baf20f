#pragma once
// Site rows found while tallyvane-count makes its site list: the pages sitemaps list and the
// pages crawls read, each put where its option stands on the command line.
#include "cli/cliarguments.h"

namespace tv {

class Console;
class NetworkPageSource;
class SiteListModel;

// Fills `sites` from every source in command-line order, as loadSites does, reading sitemaps and
// crawling sites on the way (call it with the event loop running). The pages a crawl read are
// handed to `pages`, so that the count takes them without a second download. Throws Failure
// when a list cannot be read. Gives how many things failed, each told on `console`: a sitemap
// that lists no page, a page a crawl found but could not download.
int gatherSites(const CliOptions& options, SiteListModel& sites, NetworkPageSource& pages,
                Console& console);

} // namespace tv
