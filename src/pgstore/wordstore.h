#pragma once
// Counting with many workers into one PostgreSQL database. Each worker joins a named run, takes
// its shard of the site list, tallies each page itself and stores the page's outcome and words
// in one transaction, so that a page is either wholly in or not at all; a worker started again
// skips what is in. The report is one GROUP BY over all the workers' words, in the order the
// one-machine database method lists them.
//
// A store is one connection: use it from one thread at a time, one store per worker.
#include "pgstore/runs.h"
#include "pgstore/shard.h"
#include "pgstore/storeerror.h"

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace tv {

class PgConnection;

enum class PageOutcome { Read, Failed, NoPage };

// One word of a page's tally. The store keeps words as the database method does: a double
// quote becomes an apostrophe and at most the first 255 characters count.
struct PageWord {
    QString word;
    qint64 count = 0;
};

struct PageRecord {
    int row = 0;  // the site row, from 1
    QString site; // the row's text as the list has it
    PageOutcome outcome = PageOutcome::Read;
    QString detail;              // why the page could not be read
    std::vector<PageWord> words; // only a read page has words
};

// One row of a report. Per site, `row` and `site` say whose words they are; combined they are
// 0 and empty. The one-machine list shows textAfterLastBackslash(site) per site.
struct ReportRow {
    int row = 0;
    QString site;
    QString word;
    qint64 count = 0;
};

enum class ReportKind { Combined, PerSite };

// A lost connection is made again up to `retries` times, waiting `firstWait`, then twice as
// long each time.
struct RetryPolicy {
    int retries = 5;
    std::chrono::milliseconds firstWait{500};
};

struct StoreSettings {
    QString address; // postgresql://...
    QString applicationName = QStringLiteral("tallyvane-count");
    RetryPolicy retry;
};

class PgWordStore {
public:
    // Connects, checks the database and makes the tables on first use. Throws StoreError.
    explicit PgWordStore(StoreSettings settings);
    ~PgWordStore();
    PgWordStore(const PgWordStore&) = delete;
    PgWordStore& operator=(const PgWordStore&) = delete;

    // "host:port, database D, user U", never the password.
    QString serverDescription() const;

    // Joins the run, making it when it is new; the pages recorded later belong to it. Throws
    // StoreError (RunConflict: the name stands for another list or other settings).
    void joinRun(const RunSpec& wanted, const Shard& shard = {});

    // The rows of the worker's shard the run still needs, in list order: rows not recorded yet
    // and, with `retryFailed`, rows whose page could not be read. Throws StoreError.
    std::vector<int> rowsToCount(bool retryFailed = false);

    enum class Recorded { Stored, AlreadyIn };
    // Stores the page's outcome and words in one transaction; AlreadyIn (and nothing stored)
    // when the row is in already, unless it is in as failed and this time was read. A lost
    // connection is retried. Throws StoreError: BadInput for a row outside the list, words of
    // a page that was not read or a negative count; NoSuchRun when the run was dropped.
    Recorded recordPage(const PageRecord& page);

    // recordPage in steps, for a caller that has a page's words in parts: beginPage, any number
    // of addWords (each sent at once), finishPage; abandonPage undoes a begun page. No retry:
    // a failure is thrown and the page is not in.
    void beginPage(int row);
    void addWords(std::span<const PageWord> words);
    Recorded finishPage(const QString& site, PageOutcome outcome, const QString& detail = {});
    void abandonPage();

    // Every word of the run with its count summed over all pages (per site: per row), least
    // frequent first, equal counts in the byte order of the words' UTF-8 (the order of the
    // one-machine database method), per site row by row. Throws StoreError (NoSuchRun).
    void report(const QString& run, ReportKind kind,
                const std::function<void(const ReportRow&)>& onRow);

    std::vector<RunSummary> runs();
    std::optional<RunSummary> runSummary(const QString& name);
    // False when there is no such run. Throws StoreError.
    bool dropRun(const QString& name);

private:
    // Runs `work`; a lost connection is made again and the work run anew, within the retry
    // policy. With `mayRetry` false (a report part way through) it is not. `advice` ends the
    // report of a connection that did not come back.
    template <class F>
    auto withRetry(const QString& what, F&& work, const bool* mayRetry = nullptr,
                   const QString& advice = {});
    void checkRow(int row) const;

    StoreSettings m_settings;
    std::unique_ptr<PgConnection> m_connection;
    std::optional<RunSpec> m_run;
    int m_runId = 0;
    Shard m_shard;
    // The page begun and not yet finished.
    int m_pageRow = 0;
    qint64 m_pageWords = 0;
    QByteArray m_copy;
};

} // namespace tv
