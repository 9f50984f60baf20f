#include "crawl/crawler.h"

#include "crawl/crawlpagereader.h"
#include "crawl/pagelinks.h"
#include "crawl/siteaddress.h"
#include "fetch/pagetext.h"
#include "platform/guard.h"

#include <algorithm>
#include <utility>

namespace tv {

struct Crawler::Slot {
    Entry entry;
    bool isStart = false;
    QString current; // the address asked for last: the entry's, or where its redirects led
    int hops = 0;
    quint64 ticket = 0;
    bool fetched = false;
    bool parsed = false;
    bool duplicate = false; // a redirect led to a page read or being read
    // A redirect led to the page a later slot is reading: this slot takes that answer (`source`),
    // so that the page keeps the earlier place, and the later slot gives nothing (`adopted`).
    std::shared_ptr<Slot> source;
    bool adopted = false;
    QString skipReason; // not kept, for this reason
    FetchedResource resource;
    PageLinks links;
    QString parseError;
    QString text;
    QString textError;
    quint64 reading = 0; // the reader's ticket, while the reader holds the page
    qint64 readingBytes = 0;
};

namespace {

constexpr int kMaxRedirects = 20;
// Pages answered and waiting for their parse or for an earlier page, beyond those being
// requested: enough that a slow parse or a slow page does not hold the connections idle.
constexpr int kMaxWaiting = 16;

QString sizeText(qint64 bytes)
{
    if (bytes >= 1024 * 1024)
        return QStringLiteral("%1 MB").arg(double(bytes) / (1024.0 * 1024.0), 0, 'f', 0);
    if (bytes >= 1024)
        return QStringLiteral("%1 KB").arg(double(bytes) / 1024.0, 0, 'f', 0);
    return QStringLiteral("%1 bytes").arg(bytes);
}

QString duration(std::chrono::milliseconds ms)
{
    const qint64 seconds = ms.count() / 1000;
    if (seconds >= 60 && seconds % 60 == 0)
        return seconds == 60 ? QStringLiteral("1 minute")
                             : QStringLiteral("%1 minutes").arg(seconds / 60);
    return QStringLiteral("%1 seconds").arg(double(ms.count()) / 1000.0);
}

} // namespace

Crawler::Crawler(ResourceFetcher& fetcher, CrawlOptions options, QObject* parent)
    : QObject(parent), m_fetcher(fetcher), m_options(std::move(options))
{
    if (!m_options.under.isEmpty() && !m_options.under.startsWith(u'/'))
        m_options.under.prepend(u'/');
    m_options.connectionsPerHost = std::max(1, m_options.connectionsPerHost);
    // Finding links takes a full parse; two parsers keep both cores busy while pages arrive.
    m_parsers.setMaxThreadCount(2);
    m_pauseTimer.setSingleShot(true);
    connect(&m_pauseTimer, &QTimer::timeout, this, &Crawler::pump);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        notice(Notice::Time, QStringLiteral("The crawl stopped at its time limit of %1.")
                                 .arg(duration(m_options.maxTime)));
        finish();
    });
}

Crawler::~Crawler()
{
    m_running = false;
    for (const auto& slot : m_inFlight) {
        m_fetcher.cancel(slot->ticket);
        letGo(*slot);
    }
    if (m_robotsTicket)
        m_fetcher.cancel(m_robotsTicket);
    // Parses still running post their answers to this object: wait for them to end.
    m_parsers.clear();
    m_parsers.waitForDone();
}

void Crawler::start(const QString& address)
{
    if (m_started)
        return;
    m_started = true;
    m_running = true;
    const QUrl url = crawlStartUrl(address);
    const QString normal = normalisedAddress(url);
    if (normal.isEmpty()) {
        notice(Notice::Start,
               QStringLiteral("%1 is not the address of a web page: nothing was crawled.")
                   .arg(address.trimmed()));
        // Finished through the event loop, so that whoever started it hears of the end.
        QTimer::singleShot(0, this, &Crawler::finish);
        return;
    }
    m_deadline.start(m_options.maxTime);
    m_site = siteOf(url);
    m_known.insert(normal, Known::Queued);
    m_queue.push_back({normal, 0});
    pump();
}

void Crawler::stop()
{
    if (!m_running)
        return;
    notice(Notice::Stopped, QStringLiteral("The crawl was stopped before its end."));
    finish();
}

CrawlProgress Crawler::progressNow() const
{
    CrawlProgress p;
    p.pagesFound = int(m_pages.size());
    p.queued = int(m_queue.size());
    p.inFlight = int(m_inFlight.size()) + (m_robotsTicket ? 1 : 0);
    p.bytes = m_bytes;
    return p;
}

bool Crawler::atPageLimit() const
{
    return int(m_pages.size() + m_inFlight.size()) >= m_options.maxPages;
}

std::chrono::milliseconds Crawler::pause() const
{
    std::chrono::milliseconds wait = m_options.delay;
    const auto rules = m_robots.constFind(m_site);
    if (rules != m_robots.constEnd() && rules->crawlDelay())
        wait = std::max(wait, std::chrono::milliseconds(qint64(*rules->crawlDelay() * 1000.0)));
    return wait;
}

void Crawler::pump()
{
    if (!m_running)
        return;
    if (!m_robots.contains(m_site)) {
        if (m_robotsPending.isEmpty())
            fetchRobots(QUrl(m_site));
        return;
    }
    const RobotsRules& rules = m_robots[m_site];
    // A slot connected to progress() may stop the crawl while this loop starts requests.
    while (m_running) {
        // A redirect's next hop holds its place already; new pages wait for a free one.
        const bool hop = !m_hops.empty();
        if (m_requesting >= m_options.connectionsPerHost)
            break;
        if (!hop && (int(m_inFlight.size()) >= m_options.connectionsPerHost + kMaxWaiting ||
                     m_queue.empty() || atPageLimit()))
            break;
        if (m_sinceRequest.isValid()) {
            const qint64 wait = pause().count() - m_sinceRequest.elapsed();
            if (wait > 0) {
                if (!m_pauseTimer.isActive())
                    m_pauseTimer.start(int(std::min<qint64>(wait, INT_MAX)));
                return;
            }
        }
        if (hop) {
            const std::shared_ptr<Slot> slot = m_hops.front().lock();
            m_hops.pop_front();
            if (slot)
                request(slot);
            continue;
        }
        Entry entry = std::move(m_queue.front());
        m_queue.pop_front();
        if (!rules.allows(QUrl(entry.address))) {
            m_known[entry.address] = Known::Done;
            skip(entry.address, QStringLiteral("robots.txt asks crawlers not to read it"));
            if (entry.depth == 0)
                notice(Notice::Robots,
                       QStringLiteral("The robots.txt of %1 asks crawlers not to read the start "
                                      "page %2.")
                           .arg(m_site, entry.address));
            continue;
        }
        startSlot(std::move(entry));
    }
    if (m_running && m_inFlight.empty() && m_robotsPending.isEmpty())
        finish();
}

void Crawler::fetchRobots(const QUrl& forUrl)
{
    const QString site = siteOf(forUrl);
    m_robotsPending = site;
    m_sinceRequest.start();
    ResourceRequest request;
    request.url = robotsAddress(forUrl).toString(QUrl::FullyEncoded);
    request.anyType = true;
    request.maxBytes = kMaxRobotsBytes;
    m_robotsTicket = m_fetcher.fetch(
        request, [this, site](const FetchedResource& resource) { onRobots(resource, site); });
}

void Crawler::onRobots(const FetchedResource& resource, const QString& site)
{
    m_robotsTicket = 0;
    m_robotsPending.clear();
    RobotsRules rules;
    if (resource.ok()) {
        rules = RobotsRules::parse(resource.body, m_options.productToken);
    } else if (resource.status >= 400 && resource.status < 500) {
        rules = RobotsRules::allowEverything(); // no robots.txt: no rules
    } else {
        // The standard's safe side: a site whose robots.txt fails to load is not crawled.
        rules = RobotsRules::disallowEverything();
        notice(Notice::Robots,
               QStringLiteral("The robots.txt of %1 could not be read, so the site was not "
                              "crawled (%2).")
                   .arg(site, resource.error));
    }
    if (rules.crawlDelay() && *rules.crawlDelay() > 0)
        notice(Notice::Delay, QStringLiteral("The robots.txt of %1 asks for %2 seconds between "
                                             "requests; the crawl keeps to it.")
                                  .arg(site)
                                  .arg(*rules.crawlDelay()));
    m_robots.insert(site, rules);
    processReady();
}

void Crawler::startSlot(Entry entry)
{
    auto slot = std::make_shared<Slot>();
    slot->isStart = entry.depth == 0;
    slot->current = entry.address;
    slot->entry = std::move(entry);
    m_known[slot->entry.address] = Known::Started;
    m_inFlight.push_back(slot);
    request(slot);
    emit progress(progressNow());
}

void Crawler::request(const std::shared_ptr<Slot>& slot)
{
    m_sinceRequest.start();
    ++m_requesting;
    ResourceRequest request;
    request.url = slot->current;
    // The start page may move anywhere (the site is where it lands); any other page's redirects
    // are taken one hop at a time, so that a page already read is not asked for again.
    request.followRedirects = slot->isStart;
    std::weak_ptr<Slot> weak(slot);
    slot->ticket = m_fetcher.fetch(request, [this, weak](const FetchedResource& resource) {
        --m_requesting;
        if (auto s = weak.lock())
            onFetched(s, resource);
    });
}

void Crawler::onRedirect(const std::shared_ptr<Slot>& slot, const QString& target)
{
    const QUrl url(target);
    const QString address = normalisedAddress(url);
    const auto settle = [&](const QString& reason) {
        slot->skipReason = reason;
        slot->fetched = slot->parsed = true;
        processReady();
    };
    if (++slot->hops > kMaxRedirects)
        return settle(QStringLiteral("it redirects more than %1 times").arg(kMaxRedirects));
    if (address.isEmpty() || siteOf(url) != m_site)
        return settle(QStringLiteral("it leads to %1, on another site").arg(target));
    const auto known = m_known.constFind(address);
    if (known != m_known.constEnd() && *known == Known::Started) {
        const auto self = std::find(m_inFlight.begin(), m_inFlight.end(), slot);
        for (auto it = self == m_inFlight.end() ? self : self + 1; it != m_inFlight.end(); ++it) {
            Slot& later = **it;
            if (later.current == address && !later.adopted && !later.source) {
                later.adopted = true;
                slot->source = *it;
                processReady();
                return;
            }
        }
    }
    if (known != m_known.constEnd() && *known != Known::Queued) {
        slot->duplicate = true;
        slot->fetched = slot->parsed = true;
        processReady();
        return;
    }
    if (known != m_known.constEnd())
        std::erase_if(m_queue, [&](const Entry& e) { return e.address == address; });
    m_known[address] = Known::Done;
    if (!m_robots.value(m_site).allows(url))
        return settle(QStringLiteral("it leads to %1, which robots.txt asks crawlers not to read")
                          .arg(address));
    if (!isUnder(url.path(QUrl::FullyEncoded), m_options.under))
        return settle(QStringLiteral("it leads to %1, outside %2").arg(address, m_options.under));
    m_known[address] = Known::Started;
    slot->current = address;
    m_hops.push_back(slot);
    pump();
}

void Crawler::onFetched(const std::shared_ptr<Slot>& slot, const FetchedResource& resource)
{
    if (!resource.redirectTarget.isEmpty()) {
        onRedirect(slot, resource.redirectTarget);
        return;
    }
    slot->fetched = true;
    slot->resource = resource;
    if (resource.ok() && m_reader && !m_options.keepText && sureToKeep(*slot))
        read(slot);
    else if (resource.ok() &&
             (m_options.keepText || pageKind(resource.contentType) == PageKind::Html))
        parse(slot);
    else
        slot->parsed = true;
    processReady();
}

bool Crawler::sureToKeep(const Slot& slot) const
{
    // Pages the crawl may yet drop are read here: the reader's pages count as read for the
    // count, and their style sheets are asked for.
    if (m_bytes + m_readingBytes + slot.resource.body.size() > m_options.maxBytes)
        return false;
    if (!slot.isStart)
        return true; // followed only within the site, the prefix and robots.txt
    const QUrl finalUrl(slot.resource.finalUrl);
    return !normalisedAddress(finalUrl).isEmpty() && siteOf(finalUrl) == m_site &&
           m_robots.value(m_site).allows(finalUrl) &&
           isUnder(finalUrl.path(QUrl::FullyEncoded), m_options.under);
}

void Crawler::read(const std::shared_ptr<Slot>& slot)
{
    const FetchedResource& r = slot->resource;
    // The address process() keeps the page under.
    const QString address = slot->isStart ? normalisedAddress(QUrl(r.finalUrl)) : slot->current;
    slot->readingBytes = r.body.size();
    m_readingBytes += slot->readingBytes;
    std::weak_ptr<Slot> weak(slot);
    slot->reading = m_reader->read(address, r, [this, weak](const CrawlPageReader::Read& read) {
        auto s = weak.lock();
        if (!s)
            return;
        s->links = read.links;
        s->parseError = read.error;
        s->parsed = true;
        processReady();
    });
}

void Crawler::letGo(Slot& slot)
{
    m_readingBytes -= slot.readingBytes;
    slot.readingBytes = 0;
    if (slot.reading)
        m_reader->drop(std::exchange(slot.reading, 0));
}

void Crawler::parse(const std::shared_ptr<Slot>& slot)
{
    QPointer<Crawler> self(this);
    std::weak_ptr<Slot> weak(slot);
    m_parsers.start([self, weak, body = slot->resource.body, type = slot->resource.contentType,
                     url = QUrl(slot->resource.finalUrl), token = m_options.productToken,
                     keepText = m_options.keepText] {
        PageLinks links;
        QString parseError;
        QString text;
        QString textError;
        if (pageKind(type) == PageKind::Html) {
            try {
                links = pageLinks(body, type, url, token);
            } catch (...) {
                parseError = describeException(std::current_exception());
            }
        }
        if (keepText) {
            try {
                text = pageText(body, type);
            } catch (...) {
                textError = QStringLiteral("Could not read %1: %2")
                                .arg(url.toString(), describeException(std::current_exception()));
            }
        }
        // The destructor waits for this task, so `self` is still alive here; the call is
        // dropped if the crawler goes before it is delivered.
        QMetaObject::invokeMethod(
            self,
            [self, weak, links = std::move(links), parseError = std::move(parseError),
             text = std::move(text), textError = std::move(textError)] {
                auto s = weak.lock();
                if (!s || !self)
                    return;
                s->links = links;
                s->parseError = parseError;
                s->text = text;
                s->textError = textError;
                s->parsed = true;
                self->processReady();
            },
            Qt::QueuedConnection);
    });
}

void Crawler::processReady()
{
    // Pages are taken in the order they were asked for, so that the order they are found in
    // does not depend on which answer came first.
    while (m_running && !m_inFlight.empty()) {
        const std::shared_ptr<Slot> slot = m_inFlight.front();
        // The slot whose answer this one takes may itself take a later one's.
        Slot* answer = slot.get();
        while (answer->source)
            answer = answer->source.get();
        if (!answer->fetched || !answer->parsed)
            break;
        if (slot->source) {
            const Slot& source = *answer;
            slot->current = source.current;
            slot->duplicate = source.duplicate;
            slot->skipReason = source.skipReason;
            slot->resource = source.resource;
            slot->links = source.links;
            slot->parseError = source.parseError;
            slot->text = source.text;
            slot->textError = source.textError;
            // The page read for the later slot is this one's now.
            slot->reading = std::exchange(answer->reading, 0);
            slot->readingBytes = std::exchange(answer->readingBytes, 0);
            slot->fetched = slot->parsed = true;
            slot->source.reset();
        }
        if (slot->isStart && slot->resource.ok()) {
            // A start page that moved to another site is judged by that site's robots.txt.
            const QUrl finalUrl(slot->resource.finalUrl);
            const QString site = siteOf(finalUrl);
            if (!site.isEmpty() && !m_robots.contains(site)) {
                if (m_robotsPending.isEmpty())
                    fetchRobots(finalUrl);
                return;
            }
        }
        m_inFlight.pop_front();
        process(*slot);
        letGo(*slot);
    }
    emit progress(progressNow());
    pump();
}

void Crawler::process(Slot& slot)
{
    const Entry& entry = slot.entry;
    const FetchedResource& r = slot.resource;
    m_known[entry.address] = Known::Done;
    if (slot.duplicate || slot.adopted)
        return;
    if (!slot.skipReason.isEmpty()) {
        skip(entry.address, slot.skipReason);
        return;
    }
    if (!r.ok()) {
        // A file of another type is left out as a crawler leaves it out; any other page that
        // could not be read failed.
        skip(entry.address, r.error, r.reason != QStringLiteral("not a web page"));
        if (slot.isStart)
            notice(Notice::Start,
                   QStringLiteral("The start page could not be read: %1").arg(r.error));
        return;
    }
    QUrl finalUrl(r.finalUrl);
    QString address = normalisedAddress(finalUrl);
    if (!slot.isStart) {
        // Redirects were taken hop by hop, each hop checked on the way.
        finalUrl = QUrl(slot.current);
        address = slot.current;
    } else if (!address.isEmpty()) {
        m_site = siteOf(finalUrl);
        m_known[address] = Known::Done;
        if (!m_robots.value(m_site).allows(finalUrl)) {
            skip(entry.address,
                 QStringLiteral("it leads to %1, which robots.txt asks crawlers not to read")
                     .arg(address));
            notice(Notice::Robots,
                   QStringLiteral("The start page leads to %1, which the robots.txt of %2 asks "
                                  "crawlers not to read.")
                       .arg(address, m_site));
            return;
        }
    }
    // Only the start page can lie outside the prefix: it is read for its links.
    const bool under = isUnder(finalUrl.path(QUrl::FullyEncoded), m_options.under);
    if (m_bytes + r.body.size() > m_options.maxBytes) {
        notice(Notice::Bytes, QStringLiteral("The crawl stopped at its limit of %1 of pages.")
                                  .arg(sizeText(m_options.maxBytes)));
        finish();
        return;
    }
    if (under) {
        m_bytes += r.body.size();
        CrawledPage page{address, entry.depth, r.contentType, r.truncated, {}, {}, {}};
        if (m_options.keepText) {
            page.text = std::move(slot.text);
            page.textError = std::move(slot.textError);
        } else {
            page.body = r.body;
        }
        if (m_reader && !m_options.keepText) {
            // A page the reader holds is kept where it is; one parsed here goes to it now.
            if (slot.reading) {
                m_readingBytes -= std::exchange(slot.readingBytes, 0);
                m_reader->keep(std::exchange(slot.reading, 0));
            } else {
                m_reader->keepUnread(page);
            }
        }
        m_pages.push_back(std::move(page));
    }
    if (!slot.parseError.isEmpty())
        notice(
            Notice::LinksUnread,
            QStringLiteral("The links of %1 could not be read: %2").arg(address, slot.parseError));
    follow(slot);
}

void Crawler::follow(const Slot& slot)
{
    if (slot.links.cut)
        notice(Notice::LinksCut, QStringLiteral("Some pages hold more links than a crawl follows "
                                                "from one page; only their first links were "
                                                "followed."));
    const RobotsRules& rules = m_robots[m_site];
    const int depth = slot.entry.depth + 1;
    for (const QString& link : slot.links.addresses) {
        if (m_known.contains(link))
            continue;
        const QUrl url(link);
        if (siteOf(url) != m_site || !isUnder(url.path(QUrl::FullyEncoded), m_options.under))
            continue;
        if (m_known.size() >= m_options.maxKnownAddresses) {
            notice(Notice::Addresses,
                   QStringLiteral("The site has more than %1 addresses; the rest were not "
                                  "followed.")
                       .arg(m_options.maxKnownAddresses));
            return;
        }
        if (!rules.allows(url)) {
            m_known.insert(link, Known::Done);
            skip(link, QStringLiteral("robots.txt asks crawlers not to read it"));
            continue;
        }
        if (depth > m_options.maxDepth) {
            m_known.insert(link, Known::Done);
            ++m_beyondDepth;
            continue;
        }
        m_known.insert(link, Known::Queued);
        m_queue.push_back({link, depth});
    }
}

void Crawler::skip(const QString& address, const QString& reason, bool failed)
{
    m_skipped.append({address, reason, failed});
}

void Crawler::notice(Notice kind, const QString& text)
{
    if (m_noticed.contains(kind))
        return;
    m_noticed.append(kind);
    m_notices.append(text);
}

void Crawler::finish()
{
    if (!m_running)
        return;
    m_running = false;
    m_deadline.stop();
    m_pauseTimer.stop();
    for (const auto& slot : m_inFlight) {
        m_fetcher.cancel(slot->ticket);
        letGo(*slot);
    }
    m_inFlight.clear();
    m_hops.clear();
    m_requesting = 0;
    if (m_robotsTicket)
        m_fetcher.cancel(m_robotsTicket);
    m_robotsTicket = 0;
    m_robotsPending.clear();
    if (int(m_pages.size()) >= m_options.maxPages && !m_queue.empty())
        notice(Notice::Pages, QStringLiteral("The crawl stopped at its limit of %1 pages; %2 more "
                                             "pages it had found were not read.")
                                  .arg(m_options.maxPages)
                                  .arg(m_queue.size()));
    if (m_beyondDepth > 0)
        notice(Notice::Depth,
               QStringLiteral("Links more than %1 from the start page were not followed (%2).")
                   .arg(m_options.maxDepth == 1
                            ? QStringLiteral("1 step")
                            : QStringLiteral("%1 steps").arg(m_options.maxDepth),
                        m_beyondDepth == 1 ? QStringLiteral("1 page")
                                           : QStringLiteral("%1 pages").arg(m_beyondDepth)));
    emit progress(progressNow());
    emit finished();
}

} // namespace tv
