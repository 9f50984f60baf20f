#include "count/wordtable.h"

#include "count/pacing.h"
#include "platform/database.h"
#include "platform/failure.h"

#include <QFileInfo>
#include <QStringList>
#include <optional>

namespace tv {

namespace {

// Rows per INSERT statement and words per batch. One statement carrying many rows, with
// named placeholders, spends most of its time in SQLite instead of in Qt's binding.
constexpr int kRowsPerStatement = 256;
constexpr size_t kBatchWords = 16 * kRowsPerStatement;
// Batches waiting for the worker; beyond this the window's thread waits (yielding), which
// bounds the memory a fast page walk can pile up.
constexpr size_t kQueuedJobs = 8;

const QString& groupingQuery()
{
    static const QString query =
        QStringLiteral("SELECT  Count([tbWords].[Word]) AS [WCount], [tbWords].[Word] From "
                       "[tbWords] ") +
        QStringLiteral(" GROUP BY [tbWords].[Word] ") +
        QStringLiteral(" ORDER BY Count([tbWords].[Word]), [tbWords].[Word]");
    return query;
}

} // namespace

struct WordTable::Inserts {
    QStringList names;
    std::optional<Statement> many;
    std::optional<Statement> one;
    // The statements bind the words of the last batch in place; it stays until the next.
    Batch bound;
};

WordTable::WordTable() : m_inserts(std::make_unique<Inserts>()), m_thread([this] { work(); })
{
    m_batch.ends.reserve(kBatchWords);
}

WordTable::~WordTable()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void WordTable::work()
{
    Database db;
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return m_stop || !m_jobs.empty(); });
            if (m_jobs.empty())
                break;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_busy = true;
        }
        job(db);
        {
            std::lock_guard lock(m_mutex);
            m_busy = false;
        }
        m_idle.notify_all();
    }
    // Statements go before their connection; an unfinished count is rolled back.
    m_inserts->many.reset();
    m_inserts->one.reset();
    db.close();
}

void WordTable::post(Job job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void WordTable::call(Job job)
{
    struct Outcome {
        bool done = false;
        std::exception_ptr failure;
    };
    auto outcome = std::make_shared<Outcome>();
    post([this, job = std::move(job), outcome](Database& db) {
        std::exception_ptr failure;
        try {
            job(db);
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard lock(m_mutex);
        outcome->failure = failure;
        outcome->done = true;
    });
    yieldUntil(
        [&] {
            std::lock_guard lock(m_mutex);
            return outcome->done;
        },
        [&] {
            std::unique_lock lock(m_mutex);
            m_idle.wait_for(lock, std::chrono::milliseconds(2), [&] { return outcome->done; });
        });
    if (outcome->failure)
        std::rethrow_exception(outcome->failure);
}

void WordTable::open(const QString& path)
{
    if (!QFileInfo(path).isFile())
        throw Failure(QStringLiteral("The database file \"%1\" does not exist").arg(path));
    auto lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    // Only a live owner counts: a run can take longer than any age limit, and a crashed
    // program's lock must not block the next run.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() == QLockFile::LockFailedError) {
            throw Failure(QStringLiteral("The word database \"%1\" is in use by another counting "
                                         "run. Start this count again when that run is done.")
                              .arg(path));
        }
        throw Failure(QStringLiteral("Cannot claim the word database \"%1\" for this run: the "
                                     "lock file beside it cannot be made")
                          .arg(path));
    }
    call([this, path](Database& db) {
        db.open(path);
        if (!db.hasTable(QStringLiteral("tbWords")))
            throw Failure(
                QStringLiteral("The word database \"%1\" has no table tbWords").arg(path));
        // The table is scratch data, emptied by every run: waiting for the disk after each
        // count buys nothing. The journal stays, so the file itself stays sound.
        db.exec(QStringLiteral("PRAGMA synchronous = OFF"));
        Inserts& inserts = *m_inserts;
        QStringList values;
        for (int i = 0; i < kRowsPerStatement; ++i) {
            inserts.names << QStringLiteral(":w") + QString::number(i);
            values << u'(' + inserts.names.back() + u')';
        }
        const QString insert = QStringLiteral("INSERT INTO tbWords VALUES ");
        inserts.many = db.prepare(insert + values.join(u','));
        inserts.one = db.prepare(insert + values.first());
    });
    m_path = path;
    m_lock = std::move(lock);
}

void WordTable::clear()
{
    call([](Database& db) { db.exec(QStringLiteral("DELETE FROM tbWords")); });
}

void WordTable::beginCount()
{
    flushQuietly();
    {
        std::lock_guard lock(m_mutex);
        m_storeFailure = nullptr;
        m_storeFailureThrown = false;
    }
    call([](Database& db) {
        if (db.inTransaction())
            db.rollback();
        db.begin();
    });
}

void WordTable::add(QStringView word)
{
    m_batch.text.append(storedWordView(word, m_storedBuffer));
    m_batch.ends.push_back(m_batch.text.size());
    if (m_batch.ends.size() >= kBatchWords) {
        sendBatch();
        throwStoreFailure();
    }
}

void WordTable::flush()
{
    flushQuietly();
    throwStoreFailure();
}

void WordTable::flushQuietly()
{
    sendBatch();
    yieldUntil(
        [&] {
            std::lock_guard lock(m_mutex);
            return m_jobs.empty() && !m_busy;
        },
        [&] {
            std::unique_lock lock(m_mutex);
            m_idle.wait_for(lock, std::chrono::milliseconds(2),
                            [&] { return m_jobs.empty() && !m_busy; });
        });
}

void WordTable::endCount()
{
    sendBatch();
    call([](Database& db) {
        if (db.inTransaction())
            db.commit();
    });
}

std::vector<WordCount> WordTable::query()
{
    std::vector<WordCount> rows;
    call([&rows](Database& db) {
        Statement result = db.query(groupingQuery());
        while (result.next())
            rows.push_back({result.value(1).toString(), result.value(0).toLongLong()});
        result.finish();
    });
    return rows;
}

void WordTable::sendBatch()
{
    if (m_batch.ends.empty())
        return;
    const auto roomForMore = [&] { return m_jobs.size() < kQueuedJobs; };
    yieldUntil(
        [&] {
            std::lock_guard lock(m_mutex);
            return roomForMore();
        },
        [&] {
            std::unique_lock lock(m_mutex);
            m_idle.wait_for(lock, std::chrono::milliseconds(2), roomForMore);
        });
    auto batch = std::make_shared<Batch>(std::move(m_batch));
    post([this, batch](Database&) {
        try {
            storeBatch(*batch);
            m_inserts->bound = std::move(*batch);
        } catch (...) {
            std::lock_guard lock(m_mutex);
            if (!m_storeFailure)
                m_storeFailure = std::current_exception();
        }
    });
    m_batch = {};
    m_batch.ends.reserve(kBatchWords);
}

void WordTable::throwStoreFailure()
{
    std::exception_ptr failure;
    {
        std::lock_guard lock(m_mutex);
        // A store that fails (a full disk, say) fails again for the rest of the count: one
        // report says it all.
        if (!m_storeFailure || m_storeFailureThrown)
            return;
        m_storeFailureThrown = true;
        failure = m_storeFailure;
    }
    std::rethrow_exception(failure);
}

void WordTable::storeBatch(const Batch& batch)
{
    Inserts& inserts = *m_inserts;
    if (!inserts.many)
        throw Failure(QStringLiteral("The word database is not open"));
    const QChar* text = batch.text.constData();
    const size_t count = batch.ends.size();
    // Qt binds a string's characters without copying them; the batch outlives the binding.
    const auto word = [&](size_t i) {
        const qsizetype start = i == 0 ? 0 : batch.ends[i - 1];
        return QVariant(QString::fromRawData(text + start, batch.ends[i] - start));
    };
    size_t i = 0;
    for (; i + kRowsPerStatement <= count; i += kRowsPerStatement) {
        for (int j = 0; j < kRowsPerStatement; ++j)
            inserts.many->bind(inserts.names[j], word(i + size_t(j)));
        inserts.many->exec();
    }
    for (; i < count; ++i) {
        inserts.one->bind(inserts.names[0], word(i));
        inserts.one->exec();
    }
}

QString storedWord(QStringView word)
{
    QString stored = word.left(kStoredWordLength).toString();
    stored.replace(u'"', u'\'');
    return stored;
}

QStringView storedWordView(QStringView word, QString& buffer)
{
    if (word.size() <= kStoredWordLength && !word.contains(u'"'))
        return word;
    buffer = storedWord(word);
    return buffer;
}

} // namespace tv
