#pragma once
// The step that reads a page with its style sheets: it decodes the page in a worker, finds the
// sheets it links, has them loaded through the run's own downloads (so they share the run's
// per-host limit, time limits and cancelling, and are kept for the whole run), and attaches
// page and sheets for the text step. A sheet that fails is left out with a note on the page.
#include "fetch/pagestage.h"
#include "style/sheetloader.h"

#include <QObject>
#include <QThreadPool>

namespace tv {

class SheetStage : public QObject, public PageStage {
    Q_OBJECT
public:
    explicit SheetStage(css::SheetLimits limits = {}, QObject* parent = nullptr);
    ~SheetStage() override;

    void process(const std::shared_ptr<DownloadedPage>& page, StageNetwork& network,
                 std::function<void()> done) override;

    // A new run fetches its sheets afresh.
    void forgetSheets() { m_loader.forgetSheets(); }
    // The run's downloads were ended: no sheet still coming will arrive.
    void cancelAll() { m_loader.cancelAll(); }

    // Over the run so far: sheets downloaded, and requests answered from those kept.
    int downloads() const { return m_loader.downloads(); }
    int cacheHits() const { return m_loader.cacheHits(); }

private:
    // The loader's downloads, made through the network of the page that asked.
    class Fetcher : public css::SheetFetcher {
    public:
        void fetchSheet(const QUrl& url, qint64 maxBytes,
                        std::function<void(const css::SheetDownload&)> done) override;
        StageNetwork* network = nullptr;
        DownloadedPage rankedWith; // only its place in the run: the sheets rank with their page
    };

    void loadSheets(const std::shared_ptr<DownloadedPage>& page, StageNetwork& network,
                    std::function<void()> done);

    Fetcher m_fetcher;
    css::SheetLoader m_loader;
    QThreadPool m_workers;
};

} // namespace tv
