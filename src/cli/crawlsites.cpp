#include "cli/crawlsites.h"

#include "cli/clisites.h"
#include "cli/console.h"
#include "crawl/crawler.h"
#include "crawl/downloadfetcher.h"
#include "crawl/sitemapreader.h"
#include "crawl/sourcepagereader.h"
#include "fetch/addressdisplay.h"
#include "fetch/networkpagesource.h"
#include "sites/sitelistmodel.h"

#include <QEventLoop>

namespace tv {

namespace {

// Runs a sitemap reader or a crawler from `address` to its end.
template <class Runner> void runToEnd(Runner& runner, const QString& address)
{
    QEventLoop loop;
    QObject::connect(&runner, &Runner::finished, &loop, &QEventLoop::quit);
    runner.start(address);
    if (runner.isRunning())
        loop.exec();
}

int readSitemap(const QString& address, ResourceFetcher& fetcher, SiteListModel& sites,
                Console& console)
{
    SitemapReader reader(fetcher);
    const QString shown = displayAddress(address.trimmed());
    QObject::connect(&reader, &SitemapReader::progress, [&](int addresses, int sitemaps) {
        console.status(QStringLiteral("reading the sitemaps of %1: %2 read, %3 pages listed")
                           .arg(shown)
                           .arg(sitemaps)
                           .arg(addresses));
    });
    runToEnd(reader, address);
    console.clearStatus();
    for (const QString& notice : reader.notices())
        console.message(notice);
    sites.append(reader.addresses());
    if (!reader.addresses().isEmpty())
        return 0;
    if (reader.notices().isEmpty())
        console.message(QStringLiteral("The sitemap %1 lists no pages.").arg(shown));
    return 1;
}

CrawlOptions crawlOptions(const CrawlSettings& settings)
{
    CrawlOptions options;
    options.maxDepth = settings.depth.value_or(options.maxDepth);
    options.maxPages = settings.maxPages.value_or(options.maxPages);
    options.delay =
        std::chrono::milliseconds(settings.delayMs.value_or(int(options.delay.count())));
    options.under = settings.under;
    // The count reads each page's bytes as it reads a downloaded page (with its style sheets),
    // so that a crawled page counts exactly as the same page in a list.
    options.keepText = false;
    return options;
}

int crawlSite(const QString& address, const CrawlSettings& settings, ResourceFetcher& fetcher,
              SiteListModel& sites, NetworkPageSource& pages, Console& console)
{
    // Each page read goes to the count's page source at once: its text is made while the crawl
    // goes on, and the crawl's links come from the same parse.
    SourcePageReader reader(pages);
    Crawler crawler(fetcher, crawlOptions(settings));
    crawler.setPageReader(&reader);
    const QString shown = displayAddress(address.trimmed());
    QObject::connect(&crawler, &Crawler::progress, [&](const CrawlProgress& p) {
        console.status(QStringLiteral("crawling %1: %2 pages read, %3 more found")
                           .arg(shown)
                           .arg(p.pagesFound)
                           .arg(p.queued + p.inFlight));
    });
    runToEnd(crawler, address);
    console.clearStatus();

    int failures = 0;
    QStringList told;
    for (const CrawlSkip& skip : crawler.skipped()) {
        if (!skip.failed)
            continue;
        ++failures;
        console.message(skip.reason);
        told << skip.reason;
    }
    for (const QString& notice : crawler.notices())
        if (std::none_of(told.cbegin(), told.cend(),
                         [&](const QString& reason) { return notice.contains(reason); }))
            console.message(notice);

    if (crawler.pages().empty() && failures == 0) {
        // Nothing read and nothing failed: robots.txt, the limits or the address kept it out,
        // as its notice says. The user asked for pages and got none.
        failures = 1;
    }
    for (const CrawledPage& page : crawler.pages())
        sites.append(page.address);
    return failures;
}

} // namespace

int gatherSites(const CliOptions& options, SiteListModel& sites, NetworkPageSource& pages,
                Console& console)
{
    // One downloader for every sitemap and crawl of the run, named as a crawler.
    std::unique_ptr<DownloadFetcher> fetcher;
    int failures = 0;
    for (const SiteSource& source : options.sources) {
        if (source.found == SiteSource::Found::None) {
            loadSites({source}, sites, console);
            continue;
        }
        if (!fetcher)
            fetcher = std::make_unique<DownloadFetcher>();
        failures += source.found == SiteSource::Found::Sitemap
                        ? readSitemap(source.value, *fetcher, sites, console)
                        : crawlSite(source.value, options.crawl, *fetcher, sites, pages, console);
    }
    return failures;
}

} // namespace tv
