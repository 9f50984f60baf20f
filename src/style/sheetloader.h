#pragma once
// Fetching the style sheets of the pages of a run: the sheets each page links, and what those
// import (at most kMaxImportDepth deep, each address once per page, so cycles end), read once
// and kept for the whole run, so the pages of one site cost one set of sheets. Bounded: sheets
// per page, bytes per sheet and per page, and the memory the kept sheets take. A sheet that
// fails or is too large is left out; the page is read without it and a note says so.
//
// Downloads go through SheetFetcher, a small interface the run's download pipeline (or, in a
// benchmark, a folder) implements.
#include "style/linkedsheets.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>

namespace tv::css {

// What the download of one sheet came to.
struct SheetDownload {
    QUrl finalUrl; // after redirects
    QByteArray body;
    QByteArray contentType;
    QString error; // "" on success; else why there is no sheet ("the server answered 404")
};

class SheetFetcher {
public:
    virtual ~SheetFetcher() = default;
    // Starts downloading `url` (http or https; redirects elsewhere are failures) and calls
    // `done` once, later, from the calling thread's event loop (never from inside this call).
    // A body past `maxBytes` is a failure.
    virtual void fetchSheet(const QUrl& url, qint64 maxBytes,
                            std::function<void(const SheetDownload&)> done) = 0;
};

struct SheetLimits {
    int maxSheetsPerPage = 32;              // links and imports together
    qint64 maxSheetBytes = 2 * 1024 * 1024; // one sheet as downloaded
    qint64 maxPageBytes = 8 * 1024 * 1024;  // all of one page's sheets together
    qint64 maxKeptBytes = 64 * 1024 * 1024; // read sheets kept for the run (their memory)
};

// A sheet a page is read without, and why ("the server answered 404 Not Found").
struct SkippedSheet {
    QString url;
    QString reason;
};

// What a page gets: its sheets, by the address it asked for them.
struct LoadedSheets {
    std::shared_ptr<const LinkedSheets> sheets;
    std::vector<SkippedSheet> skipped;
    int requested = 0;  // sheets the page asked for (links and imports)
    int downloaded = 0; // of those, downloaded for it (the others came from what the run kept)
};

// What to tell about a page read without some of its sheets: "PAGE was counted without its
// style sheet URL (REASON)", or several; "" when none was skipped.
QString skippedSheetsNote(const QString& page, const std::vector<SkippedSheet>& skipped);

class SheetLoader : public QObject {
    Q_OBJECT
public:
    explicit SheetLoader(SheetFetcher& fetcher, SheetLimits limits = {}, QObject* parent = nullptr);
    ~SheetLoader() override;

    using Ticket = int;
    using Done = std::function<void(const LoadedSheets&)>;
    // Loads the sheets at `links` (as findSheetLinks gives them) and what they import; calls
    // `done` once, from the event loop, when every one is in or left out.
    Ticket load(const QList<QUrl>& links, Done done);
    // `done` of that load is never called.
    void cancel(Ticket ticket);
    // Forgets the sheets read so far (and the ones that failed): a new run fetches them afresh.
    // Downloads in progress go on for the pages waiting for them.
    void forgetSheets();
    // Every load is cancelled and every sheet still coming forgotten, for when the fetcher's
    // downloads were ended: their answers would never come.
    void cancelAll();

    // Over the run so far: sheets downloaded, and requests answered without a download.
    int downloads() const { return m_downloads; }
    int cacheHits() const { return m_cacheHits; }

private:
    struct Entry;
    struct Job;
    void request(Job& job, const QUrl& url, int depth);
    void settle(Job& job, const QString& key, Entry& entry, int depth);
    void onDownloaded(const QString& key, const SheetDownload& download);
    void finishIfDone(Ticket ticket);
    void keepWithinMemory();

    SheetFetcher& m_fetcher;
    SheetLimits m_limits;
    QHash<QString, std::shared_ptr<Entry>> m_cache;
    QHash<Ticket, std::shared_ptr<Job>> m_jobs;
    Ticket m_nextTicket = 0;
    int m_downloads = 0;
    int m_cacheHits = 0;
    qint64 m_keptBytes = 0;
    quint64 m_useClock = 0;
};

} // namespace tv::css
