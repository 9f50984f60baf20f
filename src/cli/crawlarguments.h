#pragma once
// The options of tallyvane-count that fill the site list from whole sites: the pages sitemaps
// list, and the pages found by following a site's links, with the limits of those crawls.
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tv {

struct CliOptions;
struct SiteSource;

// Limits the user set for every crawl; unset ones keep the crawl's own defaults.
struct CrawlSettings {
    std::optional<int> depth;
    std::optional<int> maxPages;
    std::optional<int> delayMs;
    QString under;     // a path prefix; "" for the whole site
    QStringList given; // the limit options given, for the check that a crawl goes with them
};

// Whether `name` is one of these options (each takes a value).
bool isCrawlOption(const QString& name);

// Sets one of these options: --sitemap and --crawl add a source in command-line order, the
// others set a limit. Gives the mistake, or "".
QString applyCrawlOption(CrawlSettings& settings, QList<SiteSource>& sources, const QString& name,
                         const QString& value);

// The checks that need the whole command line; gives the mistake, or "".
QString checkCrawlOptions(const CliOptions& options);

// The lines of --help about these options.
QString crawlHelpText();

} // namespace tv
