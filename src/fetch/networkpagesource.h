#pragma once
// The page source of a counting run: real downloads, many at a time and ahead of the page
// being counted, handed over in the order asked for as if each were fetched when asked for.
//
// Memory: at most `parallel` downloads run ahead (plus the page waited for and the downloads a
// stage makes for it), each bounded by the download's own bound (maxBytes + readBuffer and a
// decompressor's state); pages downloaded and waiting for their turn hold at most about
// `maxHeldBytes` between them (the page that crosses the line still comes in). So a run holds
// (parallel + 1) x (maxBytes + readBuffer) + maxHeldBytes at worst (about 2.4 GiB with the
// defaults), and on real pages far less.
#include "fetch/download.h"
#include "fetch/downloadqueue.h"
#include "fetch/pagesource.h"
#include "fetch/pagestage.h"
#include "fetch/sheetstage.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QThreadPool>
#include <deque>
#include <memory>

namespace tv {

// A page downloaded before the run asked for it (by a crawl that read it for its links), as the
// download left it.
struct ReceivedPage {
    QString finalUrl; // its own address, after redirects
    QByteArray body;
    QByteArray contentType;
    int httpStatus = 200;
    bool truncated = false; // cut off at the size cap
};

class NetworkPageSource : public QObject, public PageSource, private StageNetwork {
    Q_OBJECT
public:
    explicit NetworkPageSource(FetchOptions options = {}, QObject* parent = nullptr);
    ~NetworkPageSource() override;

    // What became of the page. Waits with the event loop running (call it from the thread
    // that made this object).
    FetchedPage fetchPage(const QString& address) override;

    // Queues these pages and starts downloading the first of them at once, within the limits
    // of the options; each later fetchPage of the same address takes its page from there.
    // Replaces an earlier list.
    void announce(const QStringList& addresses) override;

    // A page read already: a row naming `address` (completed as rows are) takes it as its
    // download, so the page is not asked for again, and goes on to its text as any other page.
    // Kept for every later run of this source. `readNow`: its text is made at once, in the
    // background (with the style sheets as the source reads them now), for the next run that
    // names it, so that the work overlaps with whatever finds the pages.
    void addReceived(const QString& address, ReceivedPage page, bool readNow = false);
    // A page read already that someone needs read at once, before anyone knows whether a row
    // will name it (a crawl reading the page's links): it goes to its text now, as a row naming
    // `address` would take it, ahead of the pages fetched ahead and whatever the run holds, and
    // `visit` is shown the tree the text is read from. `done` is called once on this thread,
    // never from inside this call, when its text is made or failed or the source is cancelled.
    // It is a received page only once keepReceived names its ticket (the returned one);
    // dropReceived lets go of it.
    quint64 readReceived(const QString& address, ReceivedPage page, TreeVisitor visit,
                         std::function<void()> done);
    // The page read by readReceived is kept as addReceived(address, page, true) would keep it,
    // with the work done on it so far. An unknown ticket is ignored.
    void keepReceived(quint64 ticket);
    void dropReceived(quint64 ticket);
    // Lets go of the pages read already (pages read ahead stay): a row naming one is
    // downloaded again.
    void forgetReceived() { m_received.clear(); }

    // Ends every download; a wait in progress and every later fetchPage give a cancelled page
    // (for closing the program in the middle of a run).
    void cancel() override;

    // A new run: whether its pages are read with the style sheets they link (through the
    // source's own sheet stage, unless another stage is set); the sheets of an earlier run are
    // fetched afresh.
    void beginRun(bool styleSheets);

    // A step between each page's download and its text (by default the sheet stage when the
    // options ask for style sheets; not owned), and the text step itself (convertPage by
    // default). Set them before a run.
    void setPageStage(PageStage* stage) { m_stage = stage; }
    void setConverter(PageConverter converter) { m_converter = std::move(converter); }

    // For tests and benchmarks: page downloads started in all, downloads running now, and the
    // bytes of pages waiting for their turn.
    int downloadsStarted() const { return m_downloadsStarted; }
    int downloadsRunning() const { return m_queue.running(); }
    qint64 heldBytes() const { return m_heldBytes; }
    // Style sheets downloaded, and sheet requests answered from those the run kept.
    int sheetDownloads() const { return m_sheetStage.downloads(); }
    int sheetCacheHits() const { return m_sheetStage.cacheHits(); }

private:
    struct Job;
    struct Resource;

    std::shared_ptr<Job> makeJob(const QString& address, qint64 order, int position);
    void pump();
    void startDownload(quint64 id);
    void onDownloaded(const std::shared_ptr<Job>& job);
    void receive(const std::shared_ptr<Job>& job, const ReceivedPage& received);
    void convert(const std::shared_ptr<Job>& job);
    void finishJob(Job& job);
    void hold(Job& job, qint64 bytes);
    void dropPending();
    void drop(Job& job);
    FetchedPage deliver(const std::shared_ptr<Job>& job);
    void fetch(const DownloadedPage& page, const QString& url, qint64 maxBytes,
               std::function<void(const Download&)> done) override;

    FetchOptions m_options;
    QNetworkAccessManager m_network;
    QThreadPool m_workers;
    DownloadQueue m_queue;
    SheetStage m_sheetStage;
    PageStage* m_stage = nullptr;
    PageConverter m_converter;
    std::deque<std::shared_ptr<Job>> m_pending;  // announced, not yet asked for, in list order
    QHash<quint64, std::shared_ptr<Job>> m_jobs; // every page not yet handed over, by id
    QHash<quint64, std::shared_ptr<Resource>> m_resources;
    QHash<QString, std::shared_ptr<const ReceivedPage>> m_received; // by completed address
    QHash<QString, std::shared_ptr<Job>> m_readAhead; // received pages read before a run names them
    QHash<quint64, std::shared_ptr<Job>> m_reading;   // readReceived's, not yet kept or dropped
    int m_announcedCount = 0;
    qint64 m_heldBytes = 0;
    quint64 m_nextId = 0;
    qint64 m_nextOrder = 0;
    int m_downloadsStarted = 0;
    bool m_pumping = false;
    bool m_pumpAgain = false;
    bool m_cancelled = false;
};

} // namespace tv
