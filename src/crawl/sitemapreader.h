#pragma once
// The page addresses a site lists in its sitemaps: from a sitemap's address, or from a bare site
// address through the Sitemap lines of its robots.txt (else /sitemap.xml). Sitemap index files
// are followed to a bounded depth; files are read one at a time, in order.
#include "crawl/resourcefetcher.h"
#include "crawl/sitemapcontent.h"

#include <QObject>
#include <QSet>
#include <QStringList>
#include <deque>

namespace tv {

struct SitemapOptions {
    SitemapLimits file;
    int maxDepth = 2;         // index files inside index files (the protocol allows none)
    int maxSitemaps = 200;    // files read in all
    int maxAddresses = 50000; // page addresses in all
    QByteArray productToken = "tallyvane";
};

class SitemapReader : public QObject {
    Q_OBJECT
public:
    // `fetcher` must outlive the reader.
    SitemapReader(ResourceFetcher& fetcher, SitemapOptions options = {}, QObject* parent = nullptr);
    ~SitemapReader() override;

    // Starts reading. "example.com" or "https://example.com/" looks for the site's sitemaps;
    // any other address is read as a sitemap itself. Call once.
    void start(const QString& address);
    // Ends the reading; the addresses found so far stay. finished() follows once.
    void stop();
    bool isRunning() const { return m_running; }

    // Page addresses in the order the sitemaps list them, each once.
    const QStringList& addresses() const { return m_addresses; }
    // Sitemaps that could not be read, or not to their end, and limits reached.
    const QStringList& notices() const { return m_notices; }
    int sitemapsRead() const { return m_sitemapsRead; }

signals:
    void progress(int addresses, int sitemapsRead);
    void finished();

private:
    struct Pending {
        QString url;
        int depth = 0;
        bool guessed = false; // /sitemap.xml, tried because robots.txt named no sitemap
    };

    void onRobots(const FetchedResource& resource, const QUrl& site);
    void next();
    void onSitemap(const FetchedResource& resource, const Pending& sitemap);
    void noticeOnce(int kind, const QString& text);
    void finish();

    ResourceFetcher& m_fetcher;
    SitemapOptions m_options;
    bool m_started = false;
    bool m_running = false;
    quint64 m_ticket = 0;
    std::deque<Pending> m_pending;
    QSet<QString> m_sitemapsSeen;
    QSet<QString> m_seen;
    QStringList m_addresses;
    QStringList m_notices;
    QSet<int> m_noticed;
    int m_sitemapsRead = 0;
};

} // namespace tv
