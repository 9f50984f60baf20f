#include "fetch/sheetstage.h"

#include "fetch/addressdisplay.h"
#include "fetch/download.h"

#include <QPointer>

namespace tv {

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

void SheetStage::Fetcher::fetchSheet(const QUrl& url, qint64 maxBytes,
                                     std::function<void(const css::SheetDownload&)> done)
{
    network->fetch(rankedWith, url.toString(QUrl::FullyEncoded), maxBytes,
                   [maxBytes, done = std::move(done)](const Download& d) {
                       css::SheetDownload result;
                       result.finalUrl = QUrl(d.finalUrl());
                       if (!d.error().isEmpty())
                           result.error = reasonOf(d.error(), d.url());
                       else if (d.truncated())
                           result.error =
                               QStringLiteral("it is larger than %1").arg(sizeText(maxBytes));
                       result.body = d.body();
                       result.contentType = d.contentType();
                       done(result);
                   });
}

SheetStage::SheetStage(css::SheetLimits limits, QObject* parent)
    : QObject(parent), m_loader(m_fetcher, limits)
{
    // Finding a page's sheets takes a parse: off the thread that runs the window.
    m_workers.setMaxThreadCount(2);
}

SheetStage::~SheetStage()
{
    m_loader.cancelAll();
    m_workers.clear();
    m_workers.waitForDone();
}

void SheetStage::process(const std::shared_ptr<DownloadedPage>& page, StageNetwork& network,
                         std::function<void()> done)
{
    if (pageKind(page->contentType) != PageKind::Html) {
        done();
        return;
    }
    QPointer<SheetStage> self(this);
    StageNetwork* net = &network;
    const int priority = int(std::clamp<qint64>(-page->runOrder, INT_MIN + 1, INT_MAX));
    m_workers.start(
        [self, page, net, done = std::move(done)]() mutable {
            std::shared_ptr<const DecodedPage> decoded;
            try {
                decoded = std::make_shared<const DecodedPage>(
                    decodePage(page->body, page->contentType, QUrl(page->url), true));
            } catch (...) {
                // The text step decodes it again and reports why it cannot.
            }
            // The destructor waits for this task, so `self` is still alive here.
            QMetaObject::invokeMethod(
                self,
                [self, page, net, decoded = std::move(decoded), done = std::move(done)]() mutable {
                    if (!self)
                        return;
                    page->decoded = decoded;
                    if (decoded)
                        page->attachedBytes = decoded->utf8Html.size();
                    if (!decoded || decoded->sheetLinks.isEmpty()) {
                        done();
                        return;
                    }
                    self->loadSheets(page, *net, std::move(done));
                },
                Qt::QueuedConnection);
        },
        priority);
}

void SheetStage::loadSheets(const std::shared_ptr<DownloadedPage>& page, StageNetwork& network,
                            std::function<void()> done)
{
    m_fetcher.network = &network;
    m_fetcher.rankedWith.runOrder = page->runOrder;
    m_loader.load(page->decoded->sheetLinks,
                  [page, done = std::move(done)](const css::LoadedSheets& sheets) {
                      page->sheets = sheets.sheets;
                      // A sheet's address, resolved against the page's, may carry the page's
                      // password too.
                      std::vector<css::SkippedSheet> skipped = sheets.skipped;
                      for (css::SkippedSheet& s : skipped)
                          s.url = displayAddress(s.url);
                      const QString note = css::skippedSheetsNote(page->shown, skipped);
                      if (!note.isEmpty())
                          page->warnings << note;
                      done();
                  });
}

} // namespace tv
