#pragma once
// How a crawl has the pages it fetched read for their links. Without a reader the crawl parses
// each page on threads of its own; a reader lets the links come from a parse made anyway (the
// count's, which reads each page's text) and takes the pages the crawl keeps.
#include "crawl/crawler.h"
#include "crawl/pagelinks.h"
#include "crawl/resourcefetcher.h"

#include <QString>
#include <functional>

namespace tv {

class CrawlPageReader {
public:
    struct Read {
        PageLinks links; // none for a page that is not HTML
        QString error;   // why the links could not be read ("" when they were)
    };
    using Done = std::function<void(const Read&)>;

    virtual ~CrawlPageReader() = default;

    // Reads the links of `page`, fetched from its final address `page.finalUrl`, that the crawl
    // keeps as `address` unless it ends first. `done` is called once, from the event loop and
    // never from inside this call, unless the ticket is dropped first.
    virtual quint64 read(const QString& address, const FetchedResource& page, Done done) = 0;
    // The crawl keeps the page read under `ticket`, or lets go of it. An unknown ticket is
    // ignored.
    virtual void keep(quint64 ticket) = 0;
    virtual void drop(quint64 ticket) = 0;
    // The crawl keeps a page it read for its links itself (one it could not be sure it would
    // keep when it came).
    virtual void keepUnread(const CrawledPage& page) = 0;
};

} // namespace tv
