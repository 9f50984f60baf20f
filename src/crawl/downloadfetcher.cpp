#include "crawl/downloadfetcher.h"

#include <QPointer>

namespace tv {

FetchOptions crawlFetchOptions()
{
    FetchOptions options;
    options.userAgent = QByteArrayLiteral("Mozilla/5.0 (compatible; Tallyvane/" TV_VERSION ")");
    return options;
}

DownloadFetcher::DownloadFetcher(FetchOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options))
{
}

DownloadFetcher::~DownloadFetcher()
{
    // Downloads end without calling back into whoever asked.
    m_active.clear();
}

quint64 DownloadFetcher::fetch(const ResourceRequest& request, Done done)
{
    FetchOptions options = m_options;
    options.anyType = request.anyType;
    options.followRedirects = request.followRedirects;
    if (request.maxBytes >= 0)
        options.maxBytes = std::min(options.maxBytes, request.maxBytes);
    const quint64 ticket = m_nextTicket++;
    Active& active = m_active[ticket];
    active.done = std::move(done);
    active.download = std::make_unique<Download>(m_network, request.url, options);
    // Answers arrive through the event loop: a caller may start or cancel downloads from its
    // callback, and a download that failed at once (no web address) must not call back
    // from inside fetch().
    if (active.download->isFinished()) {
        QMetaObject::invokeMethod(
            this, [this, ticket] { deliver(ticket); }, Qt::QueuedConnection);
    } else {
        connect(
            active.download.get(), &Download::finished, this, [this, ticket] { deliver(ticket); },
            Qt::QueuedConnection);
    }
    return ticket;
}

void DownloadFetcher::cancel(quint64 ticket)
{
    m_active.erase(ticket);
}

void DownloadFetcher::deliver(quint64 ticket)
{
    const auto it = m_active.find(ticket);
    if (it == m_active.end())
        return;
    const Download& d = *it->second.download;
    FetchedResource resource;
    resource.url = d.url();
    resource.finalUrl = d.finalUrl();
    resource.status = d.status();
    resource.error = d.error();
    resource.reason = d.reason();
    resource.body = d.body();
    resource.contentType = d.contentType();
    resource.truncated = d.truncated();
    resource.redirectTarget = d.redirectTarget();
    const Done done = std::move(it->second.done);
    m_active.erase(it);
    if (done)
        done(resource);
}

} // namespace tv
