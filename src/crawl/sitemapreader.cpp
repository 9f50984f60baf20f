#include "crawl/sitemapreader.h"

#include "crawl/robotsrules.h"
#include "crawl/siteaddress.h"

#include <QTimer>

namespace tv {

namespace {
enum LimitNotice { TooDeep, TooManySitemaps, TooManyAddresses };
}

SitemapReader::SitemapReader(ResourceFetcher& fetcher, SitemapOptions options, QObject* parent)
    : QObject(parent), m_fetcher(fetcher), m_options(std::move(options))
{
}

SitemapReader::~SitemapReader()
{
    if (m_ticket)
        m_fetcher.cancel(m_ticket);
}

void SitemapReader::start(const QString& address)
{
    if (m_started)
        return;
    m_started = true;
    m_running = true;
    const QUrl url = crawlStartUrl(address);
    if (normalisedAddress(url).isEmpty()) {
        m_notices << QStringLiteral("%1 is not the address of a web page: no sitemap was read.")
                         .arg(address.trimmed());
        QTimer::singleShot(0, this, &SitemapReader::finish);
        return;
    }
    const bool bareSite =
        (url.path().isEmpty() || url.path() == QLatin1String("/")) && !url.hasQuery();
    if (!bareSite) {
        m_pending.push_back({normalisedAddress(url), 0, false});
        next();
        return;
    }
    ResourceRequest request;
    request.url = robotsAddress(url).toString(QUrl::FullyEncoded);
    request.anyType = true;
    request.maxBytes = kMaxRobotsBytes;
    m_ticket =
        m_fetcher.fetch(request, [this, url](const FetchedResource& r) { onRobots(r, url); });
}

void SitemapReader::onRobots(const FetchedResource& resource, const QUrl& site)
{
    m_ticket = 0;
    if (resource.ok()) {
        const RobotsRules rules = RobotsRules::parse(resource.body, m_options.productToken);
        for (const QString& sitemap : rules.sitemaps()) {
            const QString address = normalisedAddress(QUrl(sitemap));
            if (!address.isEmpty() && !m_sitemapsSeen.contains(address)) {
                m_sitemapsSeen.insert(address);
                m_pending.push_back({address, 0, false});
            }
        }
    }
    if (m_pending.empty()) {
        QUrl guess = site.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment);
        guess.setPath(QStringLiteral("/sitemap.xml"));
        m_pending.push_back({normalisedAddress(guess), 0, true});
    }
    next();
}

void SitemapReader::next()
{
    if (!m_running)
        return;
    if (m_pending.empty()) {
        finish();
        return;
    }
    if (m_sitemapsRead >= m_options.maxSitemaps) {
        noticeOnce(TooManySitemaps,
                   QStringLiteral("Only the first %1 sitemaps were read; %2 more were not.")
                       .arg(m_options.maxSitemaps)
                       .arg(m_pending.size()));
        finish();
        return;
    }
    const Pending sitemap = m_pending.front();
    m_pending.pop_front();
    m_sitemapsSeen.insert(sitemap.url);
    ResourceRequest request;
    request.url = sitemap.url;
    request.anyType = true;
    request.maxBytes = m_options.file.maxBytes;
    m_ticket = m_fetcher.fetch(
        request, [this, sitemap](const FetchedResource& r) { onSitemap(r, sitemap); });
}

void SitemapReader::onSitemap(const FetchedResource& resource, const Pending& sitemap)
{
    m_ticket = 0;
    ++m_sitemapsRead;
    if (!resource.ok()) {
        if (sitemap.guessed)
            m_notices << QStringLiteral("No sitemap was found: robots.txt names none, and %1 "
                                        "could not be read (%2).")
                             .arg(sitemap.url, resource.error);
        else
            m_notices << resource.error;
        next();
        return;
    }
    const SitemapContent content =
        readSitemap(resource.body, QUrl(resource.finalUrl), m_options.file);
    if (content.kind == SitemapContent::Kind::NotASitemap) {
        m_notices
            << QStringLiteral("%1 was not read as a sitemap: %2").arg(sitemap.url, content.problem);
        next();
        return;
    }
    if (!content.problem.isEmpty())
        m_notices << QStringLiteral("The sitemap %1 was not read to its end: %2")
                         .arg(sitemap.url, content.problem);
    if (content.kind == SitemapContent::Kind::Index) {
        if (sitemap.depth >= m_options.maxDepth) {
            noticeOnce(TooDeep, QStringLiteral("Sitemap index files nested more than %1 deep "
                                               "were not followed (%2).")
                                    .arg(m_options.maxDepth)
                                    .arg(sitemap.url));
        } else {
            // The named sitemaps come next, in their order, before the rest of the queue.
            std::deque<Pending> named;
            for (const QString& address : content.addresses) {
                if (!m_sitemapsSeen.contains(address)) {
                    m_sitemapsSeen.insert(address);
                    named.push_back({address, sitemap.depth + 1, false});
                }
            }
            m_pending.insert(m_pending.begin(), named.begin(), named.end());
        }
    } else {
        for (const QString& address : content.addresses) {
            if (m_seen.contains(address))
                continue;
            if (m_addresses.size() >= m_options.maxAddresses) {
                noticeOnce(TooManyAddresses,
                           QStringLiteral("The sitemaps list more than %1 pages; only the first "
                                          "%1 were taken.")
                               .arg(m_options.maxAddresses));
                emit progress(int(m_addresses.size()), m_sitemapsRead);
                finish();
                return;
            }
            m_seen.insert(address);
            m_addresses << address;
        }
    }
    emit progress(int(m_addresses.size()), m_sitemapsRead);
    next();
}

void SitemapReader::stop()
{
    if (m_running)
        m_notices << QStringLiteral("Reading the sitemaps was stopped before its end.");
    finish();
}

void SitemapReader::noticeOnce(int kind, const QString& text)
{
    if (m_noticed.contains(kind))
        return;
    m_noticed.insert(kind);
    m_notices << text;
}

void SitemapReader::finish()
{
    if (!m_running)
        return;
    m_running = false;
    if (m_ticket)
        m_fetcher.cancel(m_ticket);
    m_ticket = 0;
    m_pending.clear();
    emit finished();
}

} // namespace tv
