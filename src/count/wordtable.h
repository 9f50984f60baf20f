#pragma once
// The database method's scratch table tbWords, one row per word occurrence. Storing and
// grouping millions of rows takes seconds, so the connection lives on a thread of its own: the
// window's thread hands words over in batches and yields while it waits for results.
#include <QLockFile>
#include <QString>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tv {

class Database;

struct WordCount {
    QString word;
    qint64 count = 0;
};

// All calls come from one thread (the window's). Calls that wait yield meanwhile.
class WordTable {
public:
    WordTable();
    ~WordTable();
    WordTable(const WordTable&) = delete;
    WordTable& operator=(const WordTable&) = delete;

    // Claims the database for this run (a lock file beside it, so that a second program
    // cannot empty the table under a running count), opens it and checks that it holds the
    // table. Throws Failure when any of that fails.
    void open(const QString& path);
    // "DELETE FROM tbWords". Throws Failure.
    void clear();
    // Starts a count: its words go into one transaction. Throws Failure.
    void beginCount();
    // Stores one (cleaned, non-empty) word in its stored form (storedWord). Words travel in
    // batches; a failed store of this count is thrown by a later add() or by flush(), once.
    void add(QStringView word);
    // Waits until every word handed over is stored. Throws a failed store not yet thrown.
    void flush();
    // Commits the count. Throws Failure.
    void endCount();
    // The grouping query: each word with its number of rows, least frequent first, equal
    // counts in the database's order of the words. Throws Failure.
    std::vector<WordCount> query();

private:
    using Job = std::function<void(Database&)>;
    // Words on their way to the table: one text holding them all and where each one ends, so
    // that a word costs no allocation of its own on either thread.
    struct Batch {
        QString text;
        std::vector<qsizetype> ends;
    };
    void post(Job job);
    // Posts a job and yields until it has run; rethrows its failure.
    void call(Job job);
    void sendBatch();
    // Waits until every word handed over is stored, without throwing.
    void flushQuietly();
    void throwStoreFailure();
    void work();
    void storeBatch(const Batch& batch);

    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    Batch m_batch;
    QString m_storedBuffer;

    // Shared with the worker thread, under m_mutex.
    std::mutex m_mutex;
    std::condition_variable m_wake; // work arrived, or the end
    std::condition_variable m_idle; // a job finished
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_stop = false;
    std::exception_ptr m_storeFailure;
    bool m_storeFailureThrown = false;

    // The worker's own: prepared inserts of many rows and of one row.
    struct Inserts;
    std::unique_ptr<Inserts> m_inserts;

    std::thread m_thread;
};

// The longest word the table keeps, in UTF-16 code units.
inline constexpr int kStoredWordLength = 255;
// The word as the table stores it: double quotes become apostrophes, and at most the first
// kStoredWordLength characters are kept.
QString storedWord(QStringView word);
// As storedWord, but gives back `word` itself when it is already in its stored form, and
// otherwise writes the stored form into `buffer` and returns a view of it.
QStringView storedWordView(QStringView word, QString& buffer);

} // namespace tv
