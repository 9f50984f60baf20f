#pragma once
// The style sheets of a run's pages, downloaded the way its pages are (Download: the same time
// limits, redirects only to http and https, the size cap enforced as data arrives), for the
// sheet loader.
#include "fetch/download.h"
#include "style/sheetloader.h"

#include <QObject>
#include <list>

class QNetworkAccessManager;

namespace tv {

class SheetDownloads : public QObject, public css::SheetFetcher {
    Q_OBJECT
public:
    SheetDownloads(QNetworkAccessManager& network, FetchOptions options, QObject* parent = nullptr);
    ~SheetDownloads() override;

    void fetchSheet(const QUrl& url, qint64 maxBytes,
                    std::function<void(const css::SheetDownload&)> done) override;
    // Ends every download in progress; their `done` is never called.
    void cancel();

private:
    struct Pending;
    void finish(Pending* pending);

    QNetworkAccessManager& m_network;
    FetchOptions m_options;
    std::list<std::unique_ptr<Pending>> m_pending;
};

} // namespace tv
