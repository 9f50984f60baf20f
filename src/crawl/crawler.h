#pragma once
// Following the links of one site, politely: breadth first from a start page, same scheme, host
// and port, robots.txt honoured, at most a few requests at a time with an optional pause between
// them, and ended by limits on pages, depth, bytes and time. Each page read is kept (its bytes),
// so that counting it needs no second download.
#include "crawl/resourcefetcher.h"
#include "crawl/robotsrules.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>
#include <chrono>
#include <deque>
#include <memory>
#include <vector>

namespace tv {

class CrawlPageReader;

struct CrawlOptions {
    int maxPages = 500;
    int maxDepth = 5;                    // the start page is depth 0
    qint64 maxBytes = 256 * 1024 * 1024; // of the pages kept
    std::chrono::milliseconds maxTime{30 * 60 * 1000};
    std::chrono::milliseconds delay{0}; // between the starts of two requests; Crawl-delay may
                                        // ask for more
    QString under;                      // only pages whose path lies under this ("" for all)
    int connectionsPerHost = 2;
    QByteArray productToken = "tallyvane"; // the name robots.txt groups are matched against
    int maxKnownAddresses = 100000;        // addresses remembered (queued, read or skipped)
    // Keep each page's text (made while the crawl goes on, beside the links) instead of its
    // bytes: the count then needs neither a download nor a parse.
    bool keepText = true;
};

struct CrawledPage {
    QString address; // normalised, after redirects
    int depth = 0;
    QByteArray contentType;
    bool truncated = false; // cut off at the download size cap
    QByteArray body;        // as downloaded, unless the text is kept
    QString text;           // the rendered text, when kept
    QString textError;      // why the text could not be made ("" when it was, or not kept)
};

// A page that was found but not kept, and why.
struct CrawlSkip {
    QString address;
    QString reason;
    bool failed = false; // it could not be downloaded (rather than being left out on purpose)
};

struct CrawlProgress {
    int pagesFound = 0;
    int queued = 0; // found, not yet asked for
    int inFlight = 0;
    qint64 bytes = 0;
};

class Crawler : public QObject {
    Q_OBJECT
public:
    // `fetcher` must outlive the crawler.
    Crawler(ResourceFetcher& fetcher, CrawlOptions options = {}, QObject* parent = nullptr);
    ~Crawler() override;

    // Starts at a typed address ("example.com/docs/" gets http:// in front). An address that
    // names no web page ends the crawl at once with a notice. Call once.
    void start(const QString& address);
    // Has the pages the crawl is sure to keep read by `reader` (not owned; it must outlive the
    // crawler), which also takes every page kept; without one the crawl reads links itself.
    // Only for a crawl that keeps bytes, not text. Call before start().
    void setPageReader(CrawlPageReader* reader) { m_reader = reader; }
    // Ends the crawl; the pages read so far stay. Nothing is called back afterwards but
    // finished(), once.
    void stop();

    bool isRunning() const { return m_running; }
    // The site being crawled ("http://host:port"), known once the start page has answered.
    QString site() const { return m_site; }

    // Pages read, in the order they were found.
    const std::vector<CrawledPage>& pages() const { return m_pages; }
    std::vector<CrawledPage> takePages() { return std::move(m_pages); }
    // Found but not kept: failed downloads, other types, robots.txt refusals, redirects away.
    const QList<CrawlSkip>& skipped() const { return m_skipped; }
    // Things the user should know, each kind once: limits that ended or shortened the crawl,
    // robots.txt trouble, a stop.
    const QStringList& notices() const { return m_notices; }
    CrawlProgress progressNow() const;

signals:
    void progress(const tv::CrawlProgress& progress);
    void finished();

private:
    struct Entry {
        QString address;
        int depth = 0;
    };
    struct Slot;
    enum class Known : quint8 { Queued, Started, Done };
    enum class Notice : quint8 {
        Start,
        Robots,
        Delay,
        Pages,
        Depth,
        Bytes,
        Time,
        Addresses,
        LinksCut,
        LinksUnread,
        Stopped,
    };

    void pump();
    void fetchRobots(const QUrl& forUrl);
    void onRobots(const FetchedResource& resource, const QString& site);
    void startSlot(Entry entry);
    void request(const std::shared_ptr<Slot>& slot);
    void onRedirect(const std::shared_ptr<Slot>& slot, const QString& target);
    void onFetched(const std::shared_ptr<Slot>& slot, const FetchedResource& resource);
    void parse(const std::shared_ptr<Slot>& slot);
    bool sureToKeep(const Slot& slot) const;
    void read(const std::shared_ptr<Slot>& slot);
    void letGo(Slot& slot);
    void processReady();
    void process(Slot& slot);
    void follow(const Slot& slot);
    void skip(const QString& address, const QString& reason, bool failed = false);
    void notice(Notice kind, const QString& text);
    bool atPageLimit() const;
    std::chrono::milliseconds pause() const;
    void finish();

    ResourceFetcher& m_fetcher;
    CrawlPageReader* m_reader = nullptr;
    CrawlOptions m_options;
    bool m_running = false;
    bool m_started = false;
    QString m_site;
    QHash<QString, RobotsRules> m_robots; // by site; present once read
    QString m_robotsPending;              // the site whose robots.txt is on its way
    quint64 m_robotsTicket = 0;
    QHash<QString, Known> m_known;
    std::deque<Entry> m_queue;
    std::deque<std::shared_ptr<Slot>> m_inFlight; // in the order they were started
    std::deque<std::weak_ptr<Slot>> m_hops;       // redirects whose next hop waits its turn
    int m_requesting = 0;                         // requests on their way (the per-host cap)
    std::vector<CrawledPage> m_pages;
    QList<CrawlSkip> m_skipped;
    QStringList m_notices;
    QList<Notice> m_noticed;
    qint64 m_bytes = 0;
    qint64 m_readingBytes = 0; // of pages given to the reader and not yet kept or let go
    int m_beyondDepth = 0;
    QElapsedTimer m_sinceRequest; // the start of the last request
    QTimer m_pauseTimer;
    QTimer m_deadline;
    QThreadPool m_parsers;
};

} // namespace tv

Q_DECLARE_METATYPE(tv::CrawlProgress)
