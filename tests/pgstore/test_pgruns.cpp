// Runs and the server's own troubles: a run name taken by another list, listing and dropping
// runs (also under a worker), the tables made once and refused from a newer version or in a
// database that cannot hold the words, a full disk, and a connection that breaks and comes back.
#include "pgtestserver.h"
#include "samplepages.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <latch>
#include <thread>

using namespace tv;
using tv::test::PgTestServer;

namespace {

QString failureOf(const std::function<void()>& action, StoreProblem& problem)
{
    try {
        action();
    } catch (const StoreError& error) {
        problem = error.problem();
        return error.description();
    }
    problem = StoreProblem::Server;
    return QStringLiteral("(no failure)");
}

PageRecord readPage(int row, const QString& site, std::vector<PageWord> words)
{
    return {row, site, PageOutcome::Read, {}, std::move(words)};
}

} // namespace

class TestPgRuns : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void runNameTakenIsRefused_data();
    void runNameTakenIsRefused();
    void runsAreListedAndDropped();
    void droppedRunStopsItsWorker();
    void tablesAreMadeOnceWithTheirVersion();
    void unfitDatabasesAreRefused_data();
    void unfitDatabasesAreRefused();
    void fullDiskIsReported();
    void brokenConnectionIsMadeAgain();

private:
    std::unique_ptr<PgWordStore> store(const QString& database = {},
                                       const QString& application = QStringLiteral("test"));

    std::optional<PgTestServer> m_server;
    QString m_database;
    QStringList m_sites{QStringLiteral("http://a.test/"), QStringLiteral("http://b.test/"),
                        QStringLiteral("http://c.test/")};
};

void TestPgRuns::initTestCase()
{
    TV_REQUIRE_PG_SERVER(m_server);
}

void TestPgRuns::init()
{
    m_database = m_server->createDatabase();
}

std::unique_ptr<PgWordStore> TestPgRuns::store(const QString& database, const QString& application)
{
    StoreSettings settings;
    settings.address = m_server->address(database.isEmpty() ? m_database : database);
    settings.applicationName = application;
    settings.retry = {3, std::chrono::milliseconds(20)};
    return std::make_unique<PgWordStore>(settings);
}

void TestPgRuns::runNameTakenIsRefused_data()
{
    QTest::addColumn<QStringList>("sites");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("expected"); // "" when the worker joins
    const QStringList sites{"http://a.test/", "http://b.test/", "http://c.test/"};
    QTest::newRow("same list and settings") << sites << "ignore case"
                                            << "";
    QTest::newRow("another list") << QStringList{"http://a.test/"} << "ignore case"
                                  << "another site list (3 rows; this one has 1)";
    QTest::newRow("same rows, another order")
        << QStringList{"http://b.test/", "http://a.test/", "http://c.test/"} << "ignore case"
        << "another site list";
    QTest::newRow("rows split elsewhere")
        << QStringList{"http://a.test/http://b.test/", "", "http://c.test/"} << "ignore case"
        << "another site list";
    QTest::newRow("other settings") << sites << "keep case"
                                    << "counts with \"ignore case\"; this worker would count "
                                       "with \"keep case\"";
}

void TestPgRuns::runNameTakenIsRefused()
{
    QFETCH(QStringList, sites);
    QFETCH(QString, settings);
    QFETCH(QString, expected);
    auto first = store();
    first->joinRun({QStringLiteral("run %1 \"x\""), m_sites, QStringLiteral("ignore case")});
    auto second = store();
    StoreProblem problem;
    const QString description = failureOf(
        [&] {
            second->joinRun({QStringLiteral("run %1 \"x\""), sites, settings});
        },
        problem);
    if (expected.isEmpty()) {
        QCOMPARE(description, QStringLiteral("(no failure)"));
        return;
    }
    QCOMPARE(problem, StoreProblem::RunConflict);
    QVERIFY2(description.contains(QLatin1String("\"run %1 \"x\"\"")), qPrintable(description));
    QVERIFY2(description.contains(expected), qPrintable(description));
}

void TestPgRuns::runsAreListedAndDropped()
{
    auto s = store();
    s->joinRun({QStringLiteral("first"), m_sites, QStringLiteral("ignore case")});
    s->recordPage(readPage(1, m_sites[0], {{QStringLiteral("a"), 2}, {QStringLiteral("b"), 5}}));
    s->recordPage({3, m_sites[2], PageOutcome::Failed, QStringLiteral("refused"), {}});
    s->joinRun({QStringLiteral("second"), {m_sites[1]}, QStringLiteral("keep case")});
    s->recordPage(readPage(1, m_sites[1], {{QStringLiteral("a"), 1}}));

    const std::vector<RunSummary> runs = s->runs();
    QCOMPARE(runs.size(), size_t(2));
    QCOMPARE(runs[0].name, QStringLiteral("first"));
    QCOMPARE(runs[0].siteRows, 3);
    QCOMPARE(runs[0].recorded, 2);
    QCOMPARE(runs[0].failed, 1);
    QCOMPARE(runs[0].words, 7);
    QVERIFY(!runs[0].complete());
    QVERIFY(runs[0].lastRecorded >= runs[0].created);
    QCOMPARE(runs[1].name, QStringLiteral("second"));
    QCOMPARE(runs[1].settings, QStringLiteral("keep case"));
    QVERIFY(runs[1].complete());

    QVERIFY(s->dropRun(QStringLiteral("first")));
    QVERIFY(!s->dropRun(QStringLiteral("first")));
    QCOMPARE(s->runs().size(), size_t(1));
    StoreProblem problem;
    const QString description = failureOf(
        [&] { test::reportLines(*s, QStringLiteral("first"), ReportKind::Combined); }, problem);
    QCOMPARE(problem, StoreProblem::NoSuchRun);
    QVERIFY2(description.contains(QLatin1String("no run \"first\"")), qPrintable(description));
    QCOMPARE(m_server->value(m_database, QStringLiteral("SELECT count(*) FROM tallyvane_words")),
             QStringLiteral("1"));
    QCOMPARE(m_server->value(m_database, QStringLiteral("SELECT count(*) FROM tallyvane_pages")),
             QStringLiteral("1"));
    QCOMPARE(test::reportLines(*s, QStringLiteral("second"), ReportKind::Combined),
             QStringList{"0||a|1"});
}

void TestPgRuns::droppedRunStopsItsWorker()
{
    auto worker = store();
    const RunSpec run{QStringLiteral("doomed"), m_sites, QStringLiteral("ignore case")};
    worker->joinRun(run);
    worker->recordPage(readPage(1, m_sites[0], {{QStringLiteral("a"), 1}}));
    // Dropped while a page's words are on their way: that page cannot go in either.
    worker->beginPage(2);
    worker->addWords(std::vector<PageWord>{{QStringLiteral("b"), 4}});
    QVERIFY(store()->dropRun(run.name));
    StoreProblem problem;
    const QString description =
        failureOf([&] { worker->finishPage(m_sites[1], PageOutcome::Read); }, problem);
    QCOMPARE(problem, StoreProblem::NoSuchRun);
    QVERIFY2(description.contains(QLatin1String("\"doomed\" was dropped")),
             qPrintable(description));
    worker->abandonPage();
    QCOMPARE(m_server->value(m_database, QStringLiteral("SELECT count(*) FROM tallyvane_words")),
             QStringLiteral("0"));
    failureOf(
        [&] {
            worker->recordPage(readPage(3, m_sites[2], {{QStringLiteral("c"), 1}}));
        },
        problem);
    QCOMPARE(problem, StoreProblem::NoSuchRun);
    QCOMPARE(m_server->value(m_database, QStringLiteral("SELECT count(*) FROM tallyvane_words")),
             QStringLiteral("0"));
}

void TestPgRuns::tablesAreMadeOnceWithTheirVersion()
{
    // Workers that meet an empty database at the same moment all find the tables made.
    constexpr int kWorkers = 4;
    std::latch start(kWorkers);
    std::vector<QString> failures(static_cast<size_t>(kWorkers));
    std::vector<std::thread> threads;
    for (int i = 0; i < kWorkers; ++i) {
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            try {
                store()->joinRun({QStringLiteral("together"), m_sites, QStringLiteral("x")});
            } catch (const Failure& failure) {
                failures[size_t(i)] = failure.description();
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    for (const QString& failure : failures)
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(m_server->value(m_database, QStringLiteral("SELECT string_agg(version::text, ',') "
                                                        "FROM tallyvane_schema")),
             QStringLiteral("1"));
    QCOMPARE(m_server->value(m_database, QStringLiteral("SELECT count(*) FROM tallyvane_runs")),
             QStringLiteral("1"));
}

void TestPgRuns::unfitDatabasesAreRefused_data()
{
    QTest::addColumn<QString>("creation");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("expected");
    QTest::newRow("made by a newer version")
        << ""
        << "UPDATE tallyvane_schema SET version = 2"
        << "Tallyvane tables of version 2, made by a newer Tallyvane; this one knows version 1";
    QTest::newRow("not UTF-8") << "ENCODING 'LATIN1' LC_COLLATE 'C' LC_CTYPE 'C'"
                               << ""
                               << "stores text as LATIN1; words need a UTF8 database";
}

void TestPgRuns::unfitDatabasesAreRefused()
{
    QFETCH(QString, creation);
    QFETCH(QString, statement);
    QFETCH(QString, expected);
    const QString database = m_server->createDatabase(creation);
    if (!statement.isEmpty()) {
        store(database);
        m_server->exec(database, statement);
    }
    StoreProblem problem;
    const QString description = failureOf([&] { store(database); }, problem);
    QCOMPARE(problem, StoreProblem::Refused);
    QVERIFY2(description.contains(expected), qPrintable(description));
    QVERIFY2(description.contains(database), qPrintable(description));
}

void TestPgRuns::fullDiskIsReported()
{
    auto s = store();
    s->joinRun({QStringLiteral("full"), m_sites, QStringLiteral("ignore case")});
    // The server's own failure, as a full disk raises it, for one word.
    m_server->exec(m_database,
                   QStringLiteral("CREATE FUNCTION fill() RETURNS trigger LANGUAGE plpgsql AS $$ "
                                  "BEGIN IF NEW.word = 'overflow' THEN RAISE EXCEPTION 'could not "
                                  "extend file: No space left on device' USING ERRCODE = "
                                  "'disk_full'; END IF; RETURN NEW; END $$"));
    m_server->exec(m_database,
                   QStringLiteral("CREATE TRIGGER fill BEFORE INSERT ON "
                                  "tallyvane_words FOR EACH ROW EXECUTE FUNCTION fill()"));
    s->recordPage(readPage(1, m_sites[0], {{QStringLiteral("fine"), 1}}));
    StoreProblem problem;
    const QString description = failureOf(
        [&] {
            s->recordPage(readPage(2, m_sites[1],
                                   {{QStringLiteral("fine"), 1}, {QStringLiteral("overflow"), 2}}));
        },
        problem);
    QCOMPARE(problem, StoreProblem::DiskFull);
    QVERIFY2(description.contains(QLatin1String("No space left on device")),
             qPrintable(description));
    QCOMPARE(s->rowsToCount(), (std::vector<int>{2, 3}));
    QCOMPARE(test::reportLines(*s, QStringLiteral("full"), ReportKind::Combined),
             QStringList{"0||fine|1"});
    QCOMPARE(s->recordPage(readPage(3, m_sites[2], {{QStringLiteral("fine"), 1}})),
             PgWordStore::Recorded::Stored);
}

void TestPgRuns::brokenConnectionIsMadeAgain()
{
    const QString application =
        QStringLiteral("tv-victim-%1").arg(QCoreApplication::applicationPid());
    auto s = store({}, application);
    s->joinRun({QStringLiteral("interrupted"), m_sites, QStringLiteral("ignore case")});
    const auto cutConnection = [&] {
        m_server->exec(m_database, QStringLiteral("SELECT pg_terminate_backend(pid) FROM "
                                                  "pg_stat_activity WHERE application_name = '%1'")
                                       .arg(application));
        QTRY_COMPARE(m_server->value(m_database, QStringLiteral("SELECT count(*) FROM "
                                                                "pg_stat_activity WHERE "
                                                                "application_name = '%1'")
                                                     .arg(application)),
                     QStringLiteral("0"));
    };
    s->recordPage(readPage(1, m_sites[0], {{QStringLiteral("a"), 1}}));
    cutConnection();
    QCOMPARE(s->recordPage(readPage(2, m_sites[1], {{QStringLiteral("b"), 2}})),
             PgWordStore::Recorded::Stored);
    // Cut inside a page's transaction: the page is not in, and storing it again works.
    s->beginPage(3);
    cutConnection();
    StoreProblem problem;
    failureOf([&] { s->addWords(std::vector<PageWord>{{QStringLiteral("c"), 3}}); }, problem);
    QCOMPARE(problem, StoreProblem::ConnectionLost);
    s->abandonPage();
    QCOMPARE(s->recordPage(readPage(3, m_sites[2], {{QStringLiteral("c"), 3}})),
             PgWordStore::Recorded::Stored);
    QCOMPARE(test::reportLines(*s, QStringLiteral("interrupted"), ReportKind::Combined),
             (QStringList{"0||a|1", "0||b|2", "0||c|3"}));
}

TV_TEST_MAIN(TestPgRuns, QCoreApplication)
#include "test_pgruns.moc"
