#include "cli/crawlarguments.h"

#include "cli/cliarguments.h"
#include "crawl/crawler.h"
#include "crawl/siteaddress.h"

namespace tv {

namespace {

struct Range {
    const char* name;
    int low;
    int high;
};

// Wide enough for any real site, narrow enough that a slip of the keyboard is caught.
constexpr Range kDepth{"--depth", 0, 1000};
constexpr Range kMaxPages{"--max-pages", 1, 100000};
constexpr Range kDelay{"--delay", 0, 600000};

QString readNumber(const Range& range, const QString& value, std::optional<int>& into)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < range.low || n > range.high)
        return QStringLiteral("%1 takes a whole number from %2 to %3")
            .arg(QLatin1String(range.name))
            .arg(range.low)
            .arg(range.high);
    into = n;
    return QString();
}

} // namespace

bool isCrawlOption(const QString& name)
{
    return name == u"--sitemap" || name == u"--crawl" || name == u"--depth" ||
           name == u"--max-pages" || name == u"--under" || name == u"--delay";
}

QString applyCrawlOption(CrawlSettings& settings, QList<SiteSource>& sources, const QString& name,
                         const QString& value)
{
    if (name == u"--sitemap" || name == u"--crawl") {
        if (value.trimmed().isEmpty())
            return QStringLiteral("%1 needs a web address").arg(name);
        SiteSource source;
        source.value = value;
        source.found = name == u"--sitemap" ? SiteSource::Found::Sitemap : SiteSource::Found::Crawl;
        sources.append(source);
        return QString();
    }
    settings.given.append(name);
    if (name == u"--depth")
        return readNumber(kDepth, value, settings.depth);
    if (name == u"--max-pages")
        return readNumber(kMaxPages, value, settings.maxPages);
    if (name == u"--delay")
        return readNumber(kDelay, value, settings.delayMs);
    settings.under = typedPathPrefix(value);
    return settings.under.isEmpty() ? QStringLiteral("--under takes a path such as /docs/")
                                    : QString();
}

QString checkCrawlOptions(const CliOptions& options)
{
    bool crawls = false;
    bool sitemaps = false;
    for (const SiteSource& source : options.sources) {
        crawls |= source.found == SiteSource::Found::Crawl;
        sitemaps |= source.found == SiteSource::Found::Sitemap;
    }
    if (!crawls && !options.crawl.given.isEmpty())
        return QStringLiteral("%1 goes with --crawl").arg(options.crawl.given.first());
    // Workers sharing a run must count one list: a crawl or a sitemap may differ between them.
    if ((crawls || sitemaps) && countsOnServer(options))
        return QStringLiteral("--sitemap and --crawl count on this machine, not into a server "
                              "(save the pages they find to a list first)");
    return QString();
}

QString crawlHelpText()
{
    const CrawlOptions defaults;
    return QStringLiteral(
               "Whole sites:\n"
               "  --sitemap URL        the pages a sitemap lists, in its order (sitemap index "
               "files\n"
               "                       and gzip files are read too); a site's address "
               "(example.com)\n"
               "                       finds its sitemaps through robots.txt or /sitemap.xml; may "
               "be\n"
               "                       repeated\n"
               "  --crawl URL          the pages of URL's site found by following its links from "
               "URL,\n"
               "                       breadth first, in the order found; may be repeated. A "
               "crawl\n"
               "                       honours robots.txt and nofollow, asks for at most %1 pages "
               "at\n"
               "                       a time and ends after %2 minutes; its pages are counted\n"
               "                       without being downloaded again\n"
               "  --depth N            with --crawl: links followed from the start page (default "
               "%3)\n"
               "  --max-pages N        with --crawl: pages read by each crawl (default %4)\n"
               "  --under PREFIX       with --crawl: only pages whose path lies under PREFIX "
               "(/docs/)\n"
               "  --delay MS           with --crawl: milliseconds between two requests (default 0; "
               "a\n"
               "                       longer Crawl-delay in robots.txt wins)\n")
        .arg(defaults.connectionsPerHost)
        .arg(std::chrono::duration_cast<std::chrono::minutes>(defaults.maxTime).count())
        .arg(defaults.maxDepth)
        .arg(defaults.maxPages);
}

} // namespace tv
