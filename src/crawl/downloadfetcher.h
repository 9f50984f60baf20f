#pragma once
// The resource fetcher over the program's own page downloads (redirects, compression, time
// limits, size cap), in the event loop of the thread that makes it.
#include "crawl/resourcefetcher.h"
#include "fetch/download.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <map>
#include <memory>

namespace tv {

// Download options for a crawl: the program names itself, so that a site's robots.txt groups
// and logs can tell it apart from a browser.
FetchOptions crawlFetchOptions();

class DownloadFetcher : public QObject, public ResourceFetcher {
    Q_OBJECT
public:
    explicit DownloadFetcher(FetchOptions options = crawlFetchOptions(), QObject* parent = nullptr);
    ~DownloadFetcher() override;

    quint64 fetch(const ResourceRequest& request, Done done) override;
    void cancel(quint64 ticket) override;

    // Downloads started and not yet answered or cancelled.
    int active() const { return int(m_active.size()); }

private:
    struct Active {
        std::unique_ptr<Download> download;
        Done done;
    };
    void deliver(quint64 ticket);

    FetchOptions m_options;
    QNetworkAccessManager m_network;
    std::map<quint64, Active> m_active;
    quint64 m_nextTicket = 1;
};

} // namespace tv
