// The word store against a real server: its report is the one-machine database method's list,
// whatever the names hold, however many workers share the run, and after a worker stopped
// part way; pages are counted once; bad records are refused without leaving anything behind.
#include "count/databasemethod.h"
#include "count/fakecount.h"
#include "count/wordtable.h"
#include "pgstore/pagewords.h"
#include "pgtestserver.h"
#include "platform/files.h"
#include "samplepages.h"
#include "support/testenv.h"
#include "support/worddatabase.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <latch>
#include <thread>

using namespace tv;
using tv::test::PgTestServer;

namespace {

StoreProblem problemOf(const std::function<void()>& action, QString* description = nullptr)
{
    try {
        action();
    } catch (const StoreError& error) {
        if (description)
            *description = error.description();
        return error.problem();
    }
    return StoreProblem::Server;
}

RunSpec sampleRun(const QString& name, const std::vector<PageRecord>& pages)
{
    return {name, test::sampleSites(pages), QStringLiteral("ignore case")};
}

} // namespace

class TestPgStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void reportIsTheOneMachineList_data();
    void reportIsTheOneMachineList();
    void namesSurvive_data();
    void namesSurvive();
    void workersOnShardsGiveOneWorkersResult_data();
    void workersOnShardsGiveOneWorkersResult();
    void restartSkipsWhatIsIn();
    void failedPageIsCountedOnceRead();
    void badRecordsAreRefused_data();
    void badRecordsAreRefused();

private:
    std::unique_ptr<PgWordStore> store(const Shard& shard = {}, const RunSpec* run = nullptr);
    // The sample pages recorded by one worker into the run "one worker".
    QStringList oneWorkerReport(const std::vector<PageRecord>& pages, ReportKind kind);

    std::optional<PgTestServer> m_server;
    QString m_database;
};

void TestPgStore::initTestCase()
{
    TV_REQUIRE_PG_SERVER(m_server);
}

void TestPgStore::init()
{
    m_database = m_server->createDatabase();
}

std::unique_ptr<PgWordStore> TestPgStore::store(const Shard& shard, const RunSpec* run)
{
    StoreSettings settings;
    settings.address = m_server->address(m_database);
    auto s = std::make_unique<PgWordStore>(settings);
    if (run)
        s->joinRun(*run, shard);
    return s;
}

QStringList TestPgStore::oneWorkerReport(const std::vector<PageRecord>& pages, ReportKind kind)
{
    const RunSpec run = sampleRun(QStringLiteral("one worker"), pages);
    auto one = store({}, &run);
    test::recordAll(*one, pages);
    return test::reportLines(*one, run.name, kind);
}

void TestPgStore::reportIsTheOneMachineList_data()
{
    QTest::addColumn<bool>("perSite");
    QTest::addColumn<bool>("ignoreCase");
    QTest::newRow("combined, ignoring case") << false << true;
    QTest::newRow("combined, keeping case") << false << false;
    QTest::newRow("per site, ignoring case") << true << true;
    QTest::newRow("per site, keeping case") << true << false;
}

void TestPgStore::reportIsTheOneMachineList()
{
    QFETCH(bool, perSite);
    QFETCH(bool, ignoreCase);
    // Equal counts in byte order of UTF-8 (Zeta before alpha, U+FF21 before U+1F600), words
    // cut at 255 characters (two long words become one; one cut leaves half a pair), a site
    // twice, an empty row and a page without words.
    const QString a = QStringLiteral("http://a.test/");
    const QString b = QStringLiteral("http://b.test/x\\y.html");
    const QString c = QStringLiteral("http://c.test/");
    const QHash<QString, QString> texts{
        {a, QStringLiteral("The cat and the hat. The END, the end!\n") + QString(300, u'L') + u' ' +
                QString(255, u'L') + QStringLiteral("x Zeta alpha \uFF21 \U0001F600 ") +
                QStringLiteral("na\u00efve caf\u00e9 cafe don't e-mail ---")},
        {b, QStringLiteral("hat\tcat\r\ncat  dog\rdog ") + QString(254, u'q') +
                QStringLiteral("\U0001F600 Hat")},
        {c, QStringLiteral("... !!!")},
    };
    const QStringList sites{a, b, QString(), a, c};

    QTemporaryDir dir;
    test::FakeCountingWindow view;
    view.sites = sites;
    view.perSite = perSite;
    view.combined = !perSite;
    view.ignoreCaseValue = ignoreCase;
    test::FakePageSource pageSource;
    pageSource.texts = texts;
    const CountSummary summary = countWithDatabaseMethod(view.request(), pageSource, view,
                                                         test::makeWordDatabase(dir.path()));
    QVERIFY(summary.total);
    view.setTotalCaption(totalCaption(CountMethod::Database, *summary.total));

    const RunSpec run{QStringLiteral("list"), sites,
                      ignoreCase ? QStringLiteral("ignore case") : QStringLiteral("keep case")};
    auto s = store({}, &run);
    for (int row = 1; row <= sites.size(); ++row) {
        const QString& site = sites[row - 1];
        PageRecord page{
            row, site, site.isEmpty() ? PageOutcome::NoPage : PageOutcome::Read, {}, {}};
        if (!site.isEmpty())
            page.words = tallyPageWords(texts.value(site), ignoreCase);
        QCOMPARE(s->recordPage(page), PgWordStore::Recorded::Stored);
    }
    QStringList lines;
    qint64 total = 0;
    s->report(run.name, perSite ? ReportKind::PerSite : ReportKind::Combined,
              [&](const ReportRow& r) {
                  const QString count = QString::number(r.count);
                  lines << (perSite ? textAfterLastBackslash(r.site) + u'|' + r.word + u'|' + count
                                    : r.word + u'|' + count);
                  total += r.count;
              });
    QCOMPARE(lines, view.rowTexts());
    QCOMPARE(QStringLiteral("Results - Word Count: ") + QString::number(total), view.lastCaption());
}

void TestPgStore::namesSurvive_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("site");
    QTest::addColumn<QString>("word");
    QTest::newRow("quotes") << "run \"q\" 'a'"
                            << "http://x.test/\"q\"'"
                            << "it's\"q\"";
    QTest::newRow("backslashes") << "run\\1\\"
                                 << "C:\\pages\\a.html"
                                 << "back\\slash\\";
    QTest::newRow("tabs and line ends") << "run\tname\n"
                                        << "http://x.test/\ta\r\n"
                                        << "tab\tword\r\n";
    QTest::newRow("COPY's markers") << "\\."
                                    << "\\N"
                                    << "\\.";
    QTest::newRow("letters") << "l\u00e4uft \u2603"
                             << "http://\u00fc.test/"
                             << "\U0001F600";
}

void TestPgStore::namesSurvive()
{
    QFETCH(QString, name);
    QFETCH(QString, site);
    QFETCH(QString, word);
    const RunSpec run{name, {site}, QStringLiteral("keep \"case\"\t\\")};
    auto s = store({}, &run);
    s->recordPage({1, site, PageOutcome::Read, {}, {{word, 3}, {QStringLiteral("plain"), 1}}});
    QCOMPARE(test::reportLines(*s, name, ReportKind::PerSite),
             (QStringList{QStringLiteral("1|%1|plain|1").arg(site),
                          QStringLiteral("1|%1|%2|3").arg(site, storedWord(word))}));
    const std::optional<RunSummary> summary = s->runSummary(name);
    QVERIFY(summary);
    QCOMPARE(summary->settings, run.settings);
    QCOMPARE(summary->words, 4);
    QVERIFY(summary->complete());
    // A second worker with the same list joins rather than being refused.
    auto other = store({}, &run);
    QCOMPARE(other->rowsToCount(), std::vector<int>{});
    QVERIFY(s->dropRun(name));
}

void TestPgStore::workersOnShardsGiveOneWorkersResult_data()
{
    QTest::addColumn<int>("workers");
    QTest::newRow("two") << 2;
    QTest::newRow("three") << 3;
}

void TestPgStore::workersOnShardsGiveOneWorkersResult()
{
    QFETCH(int, workers);
    const std::vector<PageRecord> pages = test::samplePages(150);
    const RunSpec run = sampleRun(QStringLiteral("shared"), pages);
    std::vector<std::unique_ptr<PgWordStore>> stores;
    for (int k = 1; k <= workers; ++k)
        stores.push_back(store({k, workers}, &run));
    // All start together, so that their pages go in side by side.
    std::latch start(workers);
    std::vector<int> stored(size_t(workers), 0);
    std::vector<QString> failures(static_cast<size_t>(workers));
    std::vector<std::thread> threads;
    for (int k = 0; k < workers; ++k) {
        threads.emplace_back([&, k] {
            start.arrive_and_wait();
            try {
                stored[size_t(k)] = test::recordAll(*stores[size_t(k)], pages);
            } catch (const Failure& failure) {
                failures[size_t(k)] = failure.description();
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    for (int k = 0; k < workers; ++k) {
        QVERIFY2(failures[size_t(k)].isEmpty(), qPrintable(failures[size_t(k)]));
        QCOMPARE(stored[size_t(k)], int(pages.size()) / workers);
    }
    QCOMPARE(test::reportLines(*stores[0], run.name, ReportKind::Combined),
             oneWorkerReport(pages, ReportKind::Combined));
    QCOMPARE(test::reportLines(*stores[0], run.name, ReportKind::PerSite),
             oneWorkerReport(pages, ReportKind::PerSite));
    QVERIFY(stores[0]->runSummary(run.name)->complete());
}

void TestPgStore::restartSkipsWhatIsIn()
{
    const std::vector<PageRecord> pages = test::samplePages(60);
    const RunSpec run = sampleRun(QStringLiteral("restarted"), pages);
    {
        auto first = store({}, &run);
        for (int row = 1; row <= 20; ++row)
            first->recordPage(pages[size_t(row - 1)]);
        // Stopped with row 21's words sent and not committed.
        first->beginPage(21);
        first->addWords(pages[20].words);
    }
    auto again = store({}, &run);
    const std::vector<int> todo = again->rowsToCount();
    QCOMPARE(todo.size(), size_t(40));
    QCOMPARE(todo.front(), 21);
    QCOMPARE(test::recordAll(*again, pages), 40);
    QCOMPARE(again->recordPage(pages[4]), PgWordStore::Recorded::AlreadyIn);
    QCOMPARE(test::reportLines(*again, run.name, ReportKind::PerSite),
             oneWorkerReport(pages, ReportKind::PerSite));
}

void TestPgStore::failedPageIsCountedOnceRead()
{
    const QStringList sites{QStringLiteral("http://a.test/"), QStringLiteral("http://b.test/")};
    const RunSpec run{QStringLiteral("failures"), sites, QStringLiteral("ignore case")};
    auto s = store({}, &run);
    const PageRecord failed{1, sites[0], PageOutcome::Failed, QStringLiteral("timed out"), {}};
    const PageRecord read{1, sites[0], PageOutcome::Read, {}, {{QStringLiteral("word"), 2}}};
    QCOMPARE(s->recordPage(failed), PgWordStore::Recorded::Stored);
    QCOMPARE(s->rowsToCount(), std::vector<int>{2});
    QCOMPARE(s->rowsToCount(true), (std::vector<int>{1, 2}));
    QCOMPARE(s->runSummary(run.name)->failed, 1);
    QCOMPARE(s->recordPage(failed), PgWordStore::Recorded::AlreadyIn);
    QCOMPARE(s->recordPage(read), PgWordStore::Recorded::Stored);
    QCOMPARE(s->recordPage(read), PgWordStore::Recorded::AlreadyIn);
    QCOMPARE(s->recordPage(failed), PgWordStore::Recorded::AlreadyIn);
    QCOMPARE(test::reportLines(*s, run.name, ReportKind::Combined), QStringList{"0||word|2"});
    QCOMPARE(s->runSummary(run.name)->failed, 0);
}

void TestPgStore::badRecordsAreRefused_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("site");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QString>("expected");
    const QString a = QStringLiteral("http://a.test/");
    const int read = int(PageOutcome::Read);
    QTest::newRow("row 0") << 0 << a << read << qint64(1) << "outside the run's list";
    QTest::newRow("row past the list") << 3 << a << read << qint64(1) << "outside the run's list";
    QTest::newRow("another row's site") << 2 << a << read << qint64(1) << "not \"http://a.test/\"";
    QTest::newRow("words of a failed page")
        << 1 << a << int(PageOutcome::Failed) << qint64(1) << "has no words";
    QTest::newRow("negative count") << 1 << a << read << qint64(-2) << "negative count";
}

void TestPgStore::badRecordsAreRefused()
{
    QFETCH(int, row);
    QFETCH(QString, site);
    QFETCH(int, outcome);
    QFETCH(qint64, count);
    QFETCH(QString, expected);
    const QStringList sites{QStringLiteral("http://a.test/"), QStringLiteral("http://b.test/")};
    const RunSpec run{QStringLiteral("strict"), sites, QStringLiteral("ignore case")};
    auto s = store({}, &run);
    const PageRecord page{row, site, PageOutcome(outcome), {}, {{QStringLiteral("word"), count}}};
    QString description;
    QCOMPARE(problemOf([&] { s->recordPage(page); }, &description), StoreProblem::BadInput);
    QVERIFY2(description.contains(expected), qPrintable(description));
    QCOMPARE(s->runSummary(run.name)->recorded, 0);
    QVERIFY(test::reportLines(*s, run.name, ReportKind::Combined).isEmpty());
    // Nothing was left half done: the next page goes in.
    QCOMPARE(s->recordPage({2, sites[1], PageOutcome::Read, {}, {{QStringLiteral("w"), 1}}}),
             PgWordStore::Recorded::Stored);
}

TV_TEST_MAIN(TestPgStore, QCoreApplication)
#include "test_pgstore.moc"
