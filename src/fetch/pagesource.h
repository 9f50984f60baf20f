#pragma once
// What the counting engines need from page retrieval: one site row in, what became of its
// page out.
#include <QString>
#include <QStringList>
#include <functional>

namespace tv {

// One page as a run sees it: its text, or why there is none.
struct FetchedPage {
    enum class Outcome {
        Read,      // the text counts (it may be empty); warnings may still be set
        Failed,    // `error` says why; no text
        NoPage,    // the row names no page (an empty row): no words, nothing failed
        Cancelled, // the run was stopped or the program is closing: no text, no report
    };
    Outcome outcome = Outcome::NoPage;
    QString address; // the site row as typed
    QString url;     // the address last requested (after completion and redirects); "" for none
    QString text;    // the rendered text; "" unless read
    QString error;   // the failure's description as reported ("Could not load ...: ...")
    // The failure in a few words, for a status column: "not found (404)", "timed out",
    // "refused", "host not found", "not supported"; "" unless failed.
    QString reason;
    int httpStatus = 0;  // the status of the last answer; 0 when none came
    QByteArray encoding; // the encoding the page's bytes were read in ("UTF-8"); "" unless read
    qint64 bytes = 0;    // the page's size as downloaded, after decompression
    // Reported, but the text still counts (a page cut off at the size cap, ...).
    QStringList warnings;
    qint64 elapsedMs = 0; // from the start of its download to its text

    bool failed() const { return outcome == Outcome::Failed; }
};

// A run waiting for a page: which row of how many, and the row as typed.
struct PageWait {
    int position = 0; // 1-based among the rows announced; 0 for a page that was not announced
    int count = 0;    // the rows announced
    QString address;
};

// Told when a wait for a page begins and when it ends (for a progress display).
struct PageWaitWatcher {
    std::function<void(const PageWait&)> begins;
    std::function<void()> ends;
};

class PageSource {
public:
    virtual ~PageSource() = default;

    // What became of the page named by a site row (as typed). Waits with the event loop
    // running; never throws and never reports: the caller decides how a failure is shown.
    virtual FetchedPage fetchPage(const QString& address) = 0;

    // A run tells which rows it will ask for, in order, so that downloads can start early.
    // Results and messages stay as if each page were fetched when asked for.
    virtual void announce(const QStringList& addresses) { (void)addresses; }

    // Abandons the page waited for and every download under way: they give a cancelled page
    // until the next announce(). For stopping a run; a source with nothing in flight ignores it.
    virtual void cancel() {}

    // Whoever shows progress learns here when fetchPage has to wait for a page.
    void setWaitWatcher(PageWaitWatcher watcher) { m_waitWatcher = std::move(watcher); }

protected:
    void waitBegins(const PageWait& wait) const;
    void waitEnds() const;

private:
    PageWaitWatcher m_waitWatcher;
};

// The counting engines' fetch step: the page's text, with its failure (line 104) or warnings
// (line 106) shown through the error report of "Sorting.fetchUrl" at the moment of the call.
// A failed or cancelled page gives "". `page`, when given, receives the whole outcome.
QString fetchUrl(PageSource& pages, const QString& address, FetchedPage* page = nullptr);

} // namespace tv
