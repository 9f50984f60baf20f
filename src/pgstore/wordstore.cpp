#include "wordstore.h"

#include "count/wordclean.h"
#include "count/wordtable.h"
#include "pgstore/copytext.h"
#include "pgstore/pgconnection.h"
#include "pgstore/schema.h"

#include <QHash>
#include <thread>

namespace tv {

namespace {

const char* outcomeText(PageOutcome outcome)
{
    switch (outcome) {
    case PageOutcome::Read:
        return "read";
    case PageOutcome::Failed:
        return "failed";
    case PageOutcome::NoPage:
        break;
    }
    return "no page";
}

QString quoted(const QString& name)
{
    return u'"' + name + u'"';
}

StoreError badInput(const QString& description)
{
    return StoreError(StoreProblem::BadInput, description);
}

// A later page of the same row replaces an earlier one only when that one failed and this one
// was read: then the earlier one has no words, and nothing is counted twice.
constexpr const char* kRecordPage =
    "INSERT INTO tallyvane_pages (run_id, site_row, site, outcome, detail, words, shard)"
    " VALUES ($1, $2, $3, $4, $5, $6, $7)"
    " ON CONFLICT (run_id, site_row) DO UPDATE SET site = EXCLUDED.site,"
    " outcome = EXCLUDED.outcome, detail = EXCLUDED.detail, words = EXCLUDED.words,"
    " shard = EXCLUDED.shard, recorded_at = now()"
    " WHERE tallyvane_pages.outcome = 'failed' AND EXCLUDED.outcome = 'read'"
    " RETURNING 1";

constexpr const char* kCombinedReport =
    "SELECT word, sum(count)::bigint AS total FROM tallyvane_words WHERE run_id = $1"
    " GROUP BY word ORDER BY total, word COLLATE \"C\"";
constexpr const char* kPerSiteReport =
    "SELECT site_row, word, sum(count)::bigint AS total FROM tallyvane_words WHERE run_id = $1"
    " GROUP BY site_row, word ORDER BY site_row, total, word COLLATE \"C\"";

} // namespace

PgWordStore::PgWordStore(StoreSettings settings) : m_settings(std::move(settings))
{
    m_connection = std::make_unique<PgConnection>(
        ConnectionSettings{m_settings.address, m_settings.applicationName});
    ensureSchema(*m_connection);
}

PgWordStore::~PgWordStore() = default;

QString PgWordStore::serverDescription() const
{
    return m_connection->serverDescription();
}

template <class F>
auto PgWordStore::withRetry(const QString& what, F&& work, const bool* mayRetry,
                            const QString& advice)
{
    int retriesLeft = m_settings.retry.retries;
    auto wait = m_settings.retry.firstWait;
    for (;;) {
        std::optional<StoreError> lost;
        try {
            return work();
        } catch (const StoreError& error) {
            if (error.problem() != StoreProblem::ConnectionLost)
                throw;
            lost = error;
        }
        if (mayRetry && !*mayRetry) {
            throw StoreError(StoreProblem::ConnectionLost,
                             QStringLiteral("Lost the connection to the database server while %1, "
                                            "part way through: %2")
                                 .arg(what, lost->description()));
        }
        // A server that is restarting refuses for a while, and one that is down cannot be
        // reached: both are worth the next try. Refused credentials are not.
        for (;;) {
            if (retriesLeft-- <= 0) {
                throw StoreError(
                    StoreProblem::ConnectionLost,
                    QStringLiteral("Lost the connection to the database server (%1) while %2, "
                                   "and it did not come back after %3 tries: %4")
                            .arg(serverDescription(), what,
                                 QString::number(m_settings.retry.retries), lost->description()) +
                        advice);
            }
            std::this_thread::sleep_for(wait);
            wait *= 2;
            try {
                m_connection = std::make_unique<PgConnection>(
                    ConnectionSettings{m_settings.address, m_settings.applicationName});
                break;
            } catch (const StoreError& error) {
                if (error.problem() != StoreProblem::Unreachable &&
                    error.problem() != StoreProblem::Refused)
                    throw;
                lost = error;
            }
        }
        m_pageRow = 0;
    }
}

void PgWordStore::joinRun(const RunSpec& wanted, const Shard& shard)
{
    m_runId = withRetry(QStringLiteral("joining the run"),
                        [&] { return tv::joinRun(*m_connection, wanted); });
    m_run = wanted;
    m_shard = shard;
}

void PgWordStore::checkRow(int row) const
{
    if (!m_run)
        throw badInput(QStringLiteral("No run joined: join a run before recording its pages"));
    if (row < 1 || row > m_run->sites.size()) {
        throw badInput(QStringLiteral("Row %1 is outside the run's list of %2 rows")
                           .arg(row)
                           .arg(m_run->sites.size()));
    }
}

std::vector<int> PgWordStore::rowsToCount(bool retryFailed)
{
    if (!m_run)
        throw badInput(QStringLiteral("No run joined: join a run before asking for its rows"));
    const int rows = int(m_run->sites.size());
    // 0: not recorded, 1: recorded, 2: recorded as failed.
    std::vector<char> state(size_t(rows) + 1, 0);
    withRetry(QStringLiteral("reading which pages are in"), [&] {
        const PgResult recorded =
            m_connection->exec("SELECT site_row, outcome = 'failed' FROM tallyvane_pages"
                               " WHERE run_id = $1 AND (site_row - 1) % $2 = $3",
                               {QByteArray::number(m_runId), QByteArray::number(m_shard.count),
                                QByteArray::number(m_shard.index - 1)});
        for (int i = 0; i < recorded.rows(); ++i) {
            const qint64 row = recorded.number(i, 0);
            if (row >= 1 && row <= rows)
                state[size_t(row)] = recorded.text(i, 1) == u"t" ? 2 : 1;
        }
    });
    std::vector<int> todo;
    for (int row = m_shard.index; row <= rows; row += m_shard.count) {
        if (state[size_t(row)] == 0 || (retryFailed && state[size_t(row)] == 2))
            todo.push_back(row);
    }
    return todo;
}

PgWordStore::Recorded PgWordStore::recordPage(const PageRecord& page)
{
    checkRow(page.row);
    if (page.outcome != PageOutcome::Read && !page.words.empty()) {
        throw badInput(
            QStringLiteral("Row %1 was not read, so it has no words to store").arg(page.row));
    }
    for (const PageWord& w : page.words) {
        if (w.count < 0)
            throw badInput(QStringLiteral("Row %1 gives the word \"%2\" a negative count")
                               .arg(QString::number(page.row), w.word));
    }
    return withRetry(
        QStringLiteral("storing row %1").arg(page.row),
        [&] {
            try {
                beginPage(page.row);
                addWords(page.words);
                return finishPage(page.site, page.outcome, page.detail);
            } catch (...) {
                abandonPage();
                throw;
            }
        },
        nullptr,
        QStringLiteral(". The pages stored before stay: start the worker again to count the rest"));
}

void PgWordStore::beginPage(int row)
{
    checkRow(row);
    if (m_pageRow != 0)
        throw badInput(QStringLiteral("Row %1 is begun and not finished").arg(m_pageRow));
    m_connection->exec("BEGIN");
    m_pageRow = row;
    m_pageWords = 0;
}

void PgWordStore::addWords(std::span<const PageWord> words)
{
    if (m_pageRow == 0)
        throw badInput(QStringLiteral("Words come after beginPage"));
    const QByteArray prefix =
        QByteArray::number(m_runId) + '\t' + QByteArray::number(m_pageRow) + '\t';
    m_copy.clear();
    QString buffer;
    qint64 added = 0;
    for (const PageWord& w : words) {
        if (w.count < 0)
            throw badInput(QStringLiteral("The word \"%1\" has a negative count").arg(w.word));
        const QStringView stored = storedWordView(w.word, buffer);
        if (w.count == 0 || stored.isEmpty())
            continue;
        m_copy += prefix;
        appendCopyField(m_copy, stored);
        m_copy += '\t';
        m_copy += QByteArray::number(w.count);
        m_copy += '\n';
        added += w.count;
    }
    if (m_copy.isEmpty())
        return;
    m_connection->copyIn("COPY tallyvane_words (run_id, site_row, word, count) FROM STDIN", m_copy);
    m_pageWords += added;
}

PgWordStore::Recorded PgWordStore::finishPage(const QString& site, PageOutcome outcome,
                                              const QString& detail)
{
    if (m_pageRow == 0)
        throw badInput(QStringLiteral("finishPage without beginPage"));
    if (site != m_run->sites.at(m_pageRow - 1)) {
        throw badInput(QStringLiteral("Row %1 of the run's list is \"%2\", not \"%3\"")
                           .arg(QString::number(m_pageRow), m_run->sites.at(m_pageRow - 1), site));
    }
    if (outcome != PageOutcome::Read && m_pageWords > 0) {
        throw badInput(
            QStringLiteral("Row %1 was not read, so it has no words to store").arg(m_pageRow));
    }
    PgResult inserted;
    try {
        inserted = m_connection->exec(
            kRecordPage, {QByteArray::number(m_runId), QByteArray::number(m_pageRow),
                          parameterText(site), outcomeText(outcome), parameterText(detail),
                          QByteArray::number(m_pageWords), m_shard.text().toLatin1()});
    } catch (const StoreError& error) {
        if (error.problem() != StoreProblem::NoSuchRun)
            throw;
        throw StoreError(StoreProblem::NoSuchRun,
                         QStringLiteral("The run %1 was dropped while this worker counted it")
                             .arg(quoted(m_run->name)));
    }
    const Recorded recorded = inserted.rows() == 0 ? Recorded::AlreadyIn : Recorded::Stored;
    m_connection->exec(recorded == Recorded::Stored ? "COMMIT" : "ROLLBACK");
    m_pageRow = 0;
    return recorded;
}

void PgWordStore::abandonPage()
{
    if (m_pageRow == 0)
        return;
    m_pageRow = 0;
    m_connection->rollbackQuietly();
}

void PgWordStore::report(const QString& run, ReportKind kind,
                         const std::function<void(const ReportRow&)>& onRow)
{
    bool mayRetry = true;
    withRetry(
        QStringLiteral("reading the report"),
        [&] {
            const std::optional<int> id = findRun(*m_connection, run);
            if (!id) {
                throw StoreError(StoreProblem::NoSuchRun,
                                 QStringLiteral("There is no run %1 in the database (%2)")
                                     .arg(quoted(run), serverDescription()));
            }
            const QByteArray runId = QByteArray::number(*id);
            ReportRow row;
            if (kind == ReportKind::Combined) {
                m_connection->forEachRow(kCombinedReport, {runId}, [&](const PgResult& r) {
                    mayRetry = false;
                    row.word = r.text(0, 0);
                    row.count = r.number(0, 1);
                    onRow(row);
                });
                return;
            }
            QHash<int, QString> sites;
            const PgResult pages = m_connection->exec(
                "SELECT site_row, site FROM tallyvane_pages WHERE run_id = $1", {runId});
            for (int i = 0; i < pages.rows(); ++i)
                sites.insert(int(pages.number(i, 0)), pages.text(i, 1));
            m_connection->forEachRow(kPerSiteReport, {runId}, [&](const PgResult& r) {
                mayRetry = false;
                const int siteRow = int(r.number(0, 0));
                if (siteRow != row.row) {
                    row.row = siteRow;
                    row.site = sites.value(siteRow);
                }
                row.word = r.text(0, 1);
                row.count = r.number(0, 2);
                onRow(row);
            });
        },
        &mayRetry);
}

std::vector<RunSummary> PgWordStore::runs()
{
    return withRetry(QStringLiteral("listing the runs"), [&] { return listRuns(*m_connection); });
}

std::optional<RunSummary> PgWordStore::runSummary(const QString& name)
{
    for (RunSummary& s : runs())
        if (s.name == name)
            return std::move(s);
    return std::nullopt;
}

bool PgWordStore::dropRun(const QString& name)
{
    return withRetry(QStringLiteral("dropping the run"),
                     [&] { return tv::dropRun(*m_connection, name); });
}

} // namespace tv
