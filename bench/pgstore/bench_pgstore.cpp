// Words into the PostgreSQL word store: 10 million words of the page corpus (each page's text by
// the program's page-text function, its words by the word rule, tallied per page; the pages
// repeated as further rows until the words reach 10 million) stored by one worker, then by two
// at once on two shards, each round into a fresh database (the best of three rounds: a shared
// machine only ever adds time); then the server's report. The CPU time the server's processes
// spend, and the machine's load, say what bounds the two workers. In the same run, the same
// words go into the database method's SQLite table (one row per occurrence) and its query.
#include "count/blankdatabase.h"
#include "count/wordtable.h"
#include "fetch/pagetext.h"
#include "pgstore/pagewords.h"
#include "pgstore/pgtestserver.h"
#include "pgstore/wordstore.h"
#include "support/benchsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <dirent.h>
#include <fstream>
#include <latch>
#include <thread>
#include <unistd.h>

using namespace tv;
using namespace tv::bench;

namespace {

constexpr qint64 kWords = 10'000'000;
constexpr int kRounds = 3;

struct Corpus {
    std::vector<PageRecord> pages;
    QStringList sites;
    qint64 words = 0;
    qint64 rows = 0; // distinct words summed over the pages
};

Corpus loadCorpus()
{
    const QDir folder(corpusFolder() + QStringLiteral("/pages"));
    std::vector<std::pair<QString, std::vector<PageWord>>> originals;
    for (const QString& name :
         folder.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            originals.emplace_back(name,
                                   tallyPageWords(pageText(file.readAll(), "text/html"), true));
    }
    Corpus corpus;
    for (int round = 0; !originals.empty() && corpus.words < kWords; ++round) {
        for (const auto& [name, words] : originals) {
            if (corpus.words >= kWords)
                break;
            PageRecord page{int(corpus.pages.size()) + 1,
                            QStringLiteral("corpus/%1#%2").arg(name, QString::number(round)),
                            PageOutcome::Read,
                            {},
                            words};
            for (const PageWord& w : words)
                corpus.words += w.count;
            corpus.rows += qint64(words.size());
            corpus.sites << page.site;
            corpus.pages.push_back(std::move(page));
        }
    }
    return corpus;
}

// CPU seconds the PostgreSQL server's processes have used so far (the benchmark's server is the
// only one on the machine).
double serverCpuSeconds()
{
    double seconds = 0;
    DIR* proc = opendir("/proc");
    if (!proc)
        return 0;
    while (const dirent* entry = readdir(proc)) {
        std::ifstream file(std::string("/proc/") + entry->d_name + "/stat");
        std::string stat;
        if (!std::getline(file, stat) || stat.find("(postgres)") == std::string::npos)
            continue;
        // After the name: state and 10 more fields, then user and system time in ticks.
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string skip;
        for (int i = 0; i < 11; ++i)
            fields >> skip;
        long user = 0;
        long system = 0;
        fields >> user >> system;
        seconds += double(user + system) / double(sysconf(_SC_CLK_TCK));
    }
    closedir(proc);
    return seconds;
}

double loadAverage()
{
    std::ifstream file("/proc/loadavg");
    double load = 0;
    file >> load;
    return load;
}

struct Round {
    double seconds = 0;
    double serverCpu = 0;
};

// `workers` workers storing every page, each its own shard, all at the same time; the clock
// starts when they are connected and have joined the run.
Round storeAll(const QString& address, const Corpus& corpus, int workers)
{
    std::vector<std::unique_ptr<PgWordStore>> stores;
    for (int k = 1; k <= workers; ++k) {
        StoreSettings settings;
        settings.address = address;
        stores.push_back(std::make_unique<PgWordStore>(settings));
        stores.back()->joinRun(
            {QStringLiteral("bench"), corpus.sites, QStringLiteral("ignore case")}, {k, workers});
    }
    std::latch start(workers + 1);
    std::vector<std::thread> threads;
    for (int k = 0; k < workers; ++k) {
        threads.emplace_back([&, k] {
            start.arrive_and_wait();
            PgWordStore& store = *stores[size_t(k)];
            for (const int row : store.rowsToCount())
                store.recordPage(corpus.pages[size_t(row - 1)]);
        });
    }
    Round round;
    const double cpuBefore = serverCpuSeconds();
    round.seconds = secondsOf([&] {
        start.arrive_and_wait();
        for (std::thread& t : threads)
            t.join();
    });
    round.serverCpu = serverCpuSeconds() - cpuBefore;
    return round;
}

// The best of kRounds rounds, each into a fresh database; `kept` gets the last one's address.
// `options` go to the server with the address.
Round bestRound(test::PgTestServer& server, const Corpus& corpus, int workers, QString& kept,
                const QString& options = {})
{
    Round best;
    QString database;
    for (int i = 0; i < kRounds; ++i) {
        if (!database.isEmpty())
            server.exec(QStringLiteral("postgres"), QStringLiteral("DROP DATABASE ") + database);
        database = server.createDatabase();
        const Round round = storeAll(server.address(database) + options, corpus, workers);
        if (i == 0 || round.seconds < best.seconds)
            best = round;
    }
    kept = server.address(database);
    return best;
}

// Seconds the report takes to its last row; `rows` gets their number, `total` the words.
double reportSeconds(const QString& address, ReportKind kind, qint64& rows, qint64& total)
{
    StoreSettings settings;
    settings.address = address;
    PgWordStore store(settings);
    rows = 0;
    total = 0;
    return secondsOf([&] {
        store.report(QStringLiteral("bench"), kind, [&](const ReportRow& r) {
            ++rows;
            total += r.count;
        });
    });
}

// The database method's table filled with every occurrence, then its query; gives the seconds
// of the filling, `querySeconds` those of the query.
double sqliteSeconds(const Corpus& corpus, double& querySeconds, qint64& total)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dbData.mdb"));
    createWordDatabase(path);
    WordTable table;
    table.open(path);
    table.clear();
    QString buffer;
    const double seconds = secondsOf([&] {
        table.beginCount();
        for (const PageRecord& page : corpus.pages) {
            for (const PageWord& w : page.words) {
                const QStringView stored = storedWordView(w.word, buffer);
                for (qint64 i = 0; i < w.count; ++i)
                    table.add(stored);
            }
        }
        table.flush();
        table.endCount();
    });
    total = 0;
    querySeconds = secondsOf([&] {
        for (const WordCount& row : table.query())
            total += row.count;
    });
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString reason;
    std::optional<test::PgTestServer> server = test::PgTestServer::shared(reason);
    if (!server) {
        out() << "pgstore: skipped (" << reason << ")\n";
        return 0;
    }
    const Corpus corpus = loadCorpus();
    if (corpus.pages.empty()) {
        out() << "pgstore: skipped (no page corpus in " << corpusFolder() << ")\n";
        return 0;
    }
    figure(QStringLiteral("pgstore_words"), double(corpus.words), "words", 0);
    figure(QStringLiteral("pgstore_pages"), double(corpus.pages.size()), "pages", 0);
    figure(QStringLiteral("pgstore_word_rows"), double(corpus.rows), "rows", 0);

    QString one;
    QString two;
    const double load = loadAverage();
    const Round oneWorker = bestRound(*server, corpus, 1, one);
    const Round twoWorkers = bestRound(*server, corpus, 2, two);
    figure(QStringLiteral("pgstore_load_average"), (load + loadAverage()) / 2, "processes", 1);
    figure(QStringLiteral("pgstore_one_worker_words_per_second"),
           double(corpus.words) / oneWorker.seconds, "words/s", 0);
    figure(QStringLiteral("pgstore_one_worker_seconds"), oneWorker.seconds, "s");
    figure(QStringLiteral("pgstore_one_worker_server_cpu_seconds"), oneWorker.serverCpu, "s");
    figure(QStringLiteral("pgstore_two_workers_words_per_second"),
           double(corpus.words) / twoWorkers.seconds, "words/s", 0);
    figure(QStringLiteral("pgstore_two_workers_seconds"), twoWorkers.seconds, "s");
    figure(QStringLiteral("pgstore_two_workers_server_cpu_seconds"), twoWorkers.serverCpu, "s");
    figure(QStringLiteral("pgstore_two_workers_over_one"), oneWorker.seconds / twoWorkers.seconds,
           "x");
    server->exec(QStringLiteral("postgres"),
                 QStringLiteral("DROP DATABASE ") + one.section(u'/', -1));
    // How much of one worker's time is waiting for each page's commit to reach the disk.
    const Round noWait = bestRound(*server, corpus, 1, one,
                                   QStringLiteral("?options=-c%20synchronous_commit%3Doff"));
    figure(QStringLiteral("pgstore_one_worker_no_commit_wait_words_per_second"),
           double(corpus.words) / noWait.seconds, "words/s", 0);
    server->exec(QStringLiteral("postgres"),
                 QStringLiteral("DROP DATABASE ") + one.section(u'/', -1));

    qint64 rows = 0;
    qint64 total = 0;
    figure(QStringLiteral("pgstore_report_seconds"),
           reportSeconds(two, ReportKind::Combined, rows, total), "s");
    figure(QStringLiteral("pgstore_report_rows"), double(rows), "rows", 0);
    figure(QStringLiteral("pgstore_report_total_matches"), total == corpus.words ? 1 : 0, "bool",
           0);
    figure(QStringLiteral("pgstore_report_per_site_seconds"),
           reportSeconds(two, ReportKind::PerSite, rows, total), "s");

    double querySeconds = 0;
    const double sqlite = sqliteSeconds(corpus, querySeconds, total);
    figure(QStringLiteral("pgstore_sqlite_words_per_second"), double(corpus.words) / sqlite,
           "words/s", 0);
    figure(QStringLiteral("pgstore_sqlite_query_seconds"), querySeconds, "s");
    figure(QStringLiteral("pgstore_sqlite_total_matches"), total == corpus.words ? 1 : 0, "bool",
           0);
    figure(QStringLiteral("pgstore_one_worker_over_sqlite"), sqlite / oneWorker.seconds, "x");
    return 0;
}
