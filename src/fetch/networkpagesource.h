#pragma once
// The page source of a counting run: real downloads, converted to rendered text, with the
// next announced pages fetched ahead while the current one is counted. A page is read with the
// style sheets it links (unless FetchOptions::styleSheets is off), fetched once for the run.
#include "fetch/download.h"
#include "fetch/pagesource.h"
#include "fetch/pagetext.h"
#include "fetch/sheetdownloads.h"
#include "style/sheetloader.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QThreadPool>
#include <deque>
#include <memory>

namespace tv {

class NetworkPageSource : public QObject, public PageSource {
    Q_OBJECT
public:
    explicit NetworkPageSource(FetchOptions options = {}, QObject* parent = nullptr);
    ~NetworkPageSource() override;

    // What became of the page. Waits with the event loop running (call it from the thread
    // that made this object).
    FetchedPage fetchPage(const QString& address) override;

    // Starts downloading the first of these pages (up to the prefetch depth) at once; each
    // later fetchPage of the same address takes its page from there. Replaces an earlier list.
    void announce(const QStringList& addresses) override;

    // Ends every download; a wait in progress and every later fetchPage give a cancelled page
    // (for closing the program in the middle of a run).
    void cancel();

    // A new run: whether its pages are read with the style sheets they link; the sheets of an
    // earlier run are fetched afresh.
    void beginRun(bool styleSheets);

    // For tests: how many page downloads were started in all.
    int downloadsStarted() const { return m_downloadsStarted; }
    // Style sheets downloaded, and sheet requests answered from those the run kept.
    int sheetDownloads() const { return m_sheets.downloads(); }
    int sheetCacheHits() const { return m_sheets.cacheHits(); }

private:
    struct Job;
    std::shared_ptr<Job> startJob(const QString& address);
    void topUp();
    void onDownloaded(const std::shared_ptr<Job>& job);
    // The page's text, read in a worker with the sheets it got; then the job is done.
    void read(const std::shared_ptr<Job>& job, DecodedPage page, const css::LoadedSheets& sheets);
    void finishJob(Job& job);

    FetchOptions m_options;
    QNetworkAccessManager m_network;
    SheetDownloads m_sheetDownloads;
    css::SheetLoader m_sheets;
    QThreadPool m_workers;
    std::deque<std::shared_ptr<Job>> m_ahead; // started, not yet asked for, in announced order
    std::deque<QString> m_announced;          // announced, not yet started
    int m_downloadsStarted = 0;
    int m_sequence = 0;
    bool m_cancelled = false;
};

} // namespace tv
