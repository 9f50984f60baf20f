#pragma once
// How the crawl and the sitemap reader get what they download, so that they can run on any
// downloader: one request in, one answer out, later, from the event loop.
#include <QByteArray>
#include <QString>
#include <functional>

namespace tv {

struct ResourceRequest {
    QString url;
    bool anyType = false; // robots.txt and sitemaps: not only pages and plain text
    qint64 maxBytes = -1; // a smaller cap than the fetcher's own; -1 keeps its own
    // false: a redirect is answered as such (redirectTarget), so that the caller decides whether
    // the page it leads to is wanted, and asks for it once.
    bool followRedirects = true;
};

struct FetchedResource {
    QString url;      // as asked for
    QString finalUrl; // after redirects
    int status = 0;   // HTTP status of the last answer; 0 when none came
    QString error;    // "" when the body came ("Could not load ...: ..." otherwise)
    QString reason;   // the failure in a few words ("not found (404)", "not a web page")
    QByteArray body;
    QByteArray contentType;
    bool truncated = false; // cut off at the size cap
    QString redirectTarget; // absolute; set when a redirect was not followed

    bool ok() const { return error.isEmpty(); }
};

class ResourceFetcher {
public:
    using Done = std::function<void(const FetchedResource&)>;
    virtual ~ResourceFetcher() = default;

    // Starts a download and returns its ticket. `done` is called once, from the event loop and
    // never from inside fetch(), unless the ticket is cancelled first.
    virtual quint64 fetch(const ResourceRequest& request, Done done) = 0;
    // Ends a download; its `done` is not called. An unknown or finished ticket is ignored.
    virtual void cancel(quint64 ticket) = 0;
};

} // namespace tv
