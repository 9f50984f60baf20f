#include "fetch/sheetdownloads.h"

#include <QTimer>

namespace tv {

struct SheetDownloads::Pending {
    std::unique_ptr<Download> download;
    qint64 maxBytes;
    std::function<void(const css::SheetDownload&)> done;
};

namespace {

// Download's failures read "Could not load URL: reason"; the loader names the sheet itself.
QString reasonOf(const QString& error, const QString& url)
{
    const QString prefix = QStringLiteral("Could not load %1: ").arg(url);
    return error.startsWith(prefix) ? error.mid(prefix.size()) : error;
}

QString sizeText(qint64 bytes)
{
    return bytes % (1024 * 1024) == 0 ? QStringLiteral("%1 MiB").arg(bytes / (1024 * 1024))
                                      : QStringLiteral("%1 bytes").arg(bytes);
}

} // namespace

SheetDownloads::SheetDownloads(QNetworkAccessManager& network, FetchOptions options,
                               QObject* parent)
    : QObject(parent), m_network(network), m_options(std::move(options))
{
    m_options.anyType = true;
}

SheetDownloads::~SheetDownloads()
{
    cancel();
}

void SheetDownloads::cancel()
{
    m_pending.clear();
}

void SheetDownloads::fetchSheet(const QUrl& url, qint64 maxBytes,
                                std::function<void(const css::SheetDownload&)> done)
{
    FetchOptions options = m_options;
    options.maxBytes = maxBytes;
    auto pending = std::make_unique<Pending>();
    pending->maxBytes = maxBytes;
    pending->done = std::move(done);
    pending->download =
        std::make_unique<Download>(m_network, url.toString(QUrl::FullyEncoded), options);
    Pending* raw = pending.get();
    m_pending.push_back(std::move(pending));
    // The page that needs the sheet is waiting for it: its time limits run from now.
    raw->download->startWaiting();
    if (raw->download->isFinished()) {
        // Finished before it began (an address it cannot fetch): answered from the event loop.
        QTimer::singleShot(0, this, [this, raw] { finish(raw); });
        return;
    }
    connect(raw->download.get(), &Download::finished, this, [this, raw] { finish(raw); });
}

void SheetDownloads::finish(Pending* pending)
{
    const auto it = std::find_if(m_pending.begin(), m_pending.end(),
                                 [pending](const auto& p) { return p.get() == pending; });
    if (it == m_pending.end())
        return;
    const Download& d = *pending->download;
    css::SheetDownload result;
    result.finalUrl = QUrl(d.finalUrl());
    if (!d.error().isEmpty())
        result.error = reasonOf(d.error(), d.url());
    else if (d.truncated())
        result.error = QStringLiteral("it is larger than %1").arg(sizeText(pending->maxBytes));
    result.body = d.body();
    result.contentType = d.contentType();
    const auto done = std::move(pending->done);
    // The download goes once its signal has returned.
    std::unique_ptr<Pending> owned = std::move(*it);
    m_pending.erase(it);
    owned->download->disconnect(this);
    owned->download.release()->deleteLater();
    done(result);
}

} // namespace tv
