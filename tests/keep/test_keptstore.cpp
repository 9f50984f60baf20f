// The kept texts: what a run keeps of each page is what it counted, read back whole; the limit
// on a run's text; the temporary folder, gone with its store or, after a crash, with the next.
#include "count/countobserver.h"
#include "count/databasemethod.h"
#include "count/textmethod.h"
#include "fetch/networkpagesource.h"
#include "keep/concordance.h"
#include "keep/keptstore.h"
#include "keep/pagestatus.h"
#include "keep/runkeeper.h"
#include "platform/guard.h"
#include "support/httpserver.h"
#include "support/worddatabase.h"
#include "words/tokenizer.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tv;

namespace {

// A count's observer that keeps each page as the window and the command line do, and tallies
// the rows the count gave.
class KeepingCount : public CountObserver {
public:
    explicit KeepingCount(RunKeeper& keeper) : m_keeper(keeper) {}
    QHash<QString, qint64> counts;
    bool ignoreCase() const override { return true; }
    void setProgressValue(double) override {}
    void setProgressText(const QString&) override {}
    void siteFinished(const SiteOutcome& outcome) override
    {
        m_keeper.siteFinished(outcome, ignoreCase());
    }
    void addRow(const CountRow& row) override { counts[row.word] += row.count; }

private:
    RunKeeper& m_keeper;
};

FetchedPage readPage(const QString& address, const QString& text)
{
    FetchedPage page;
    page.outcome = FetchedPage::Outcome::Read;
    page.address = address;
    page.url = QStringLiteral("http://") + address + u'/';
    page.text = text;
    page.encoding = "UTF-8";
    page.bytes = text.toUtf8().size();
    return page;
}

QHash<QString, qint64> tally(const QString& text, bool ignoreCase)
{
    TokenizerOptions options;
    options.ignoreCase = ignoreCase;
    Tokenizer tokenizer(options);
    QHash<QString, qint64> counts;
    tokenizer.forEachWord(text, [&](QStringView word) { ++counts[word.toString()]; });
    return counts;
}

QStringList keptFolders()
{
    return QDir::temp().entryList({QStringLiteral("tallyvane-kept-*")}, QDir::Dirs);
}

} // namespace

class TestKeptStore : public QObject {
    Q_OBJECT
private slots:
    void keptTextIsWhatWasCounted_data();
    void keptTextIsWhatWasCounted();
    void recordsReadBack();
    void runLimitKeepsRecordsWithoutText();
    void storeLimitDropsOldestRuns();
    void folderGoesWithItsStore();
    void leftoversOfAGoneProgramAreRemoved();
};

void TestKeptStore::keptTextIsWhatWasCounted_data()
{
    QTest::addColumn<bool>("databaseMethod");
    QTest::newRow("text method") << false;
    QTest::newRow("database method") << true;
}

void TestKeptStore::keptTextIsWhatWasCounted()
{
    // Entities, elements a browser does not show, and a table whose cells end in tabs.
    const QByteArray html = "<html><head><title>Not shown</title><style>p{}</style></head><body>"
                            "<h1>Caf&eacute; &amp; Bar&nbsp;Menu</h1>"
                            "<p hidden>secret words</p><div style=\"display:none\">gone too</div>"
                            "<script>var x = 'script text';</script>"
                            "<p>Don&#39;t &lt;panic&gt;, it's &quot;fine&quot;.</p>"
                            "<table><tr><th>Fruit</th><th>Count</th></tr>"
                            "<tr><td>Apple</td><td>5</td></tr><tr><td>Pear</td><td>7</td></tr>"
                            "</table><p>The end. THE END!</p></body></html>";
    test::HttpServer server;
    QVERIFY(server.isListening());
    server.serve(QStringLiteral("/page"), test::HttpFixture::html(html));
    NetworkPageSource network;
    const QString address = server.siteAddress(QStringLiteral("/page"));
    QFETCH(bool, databaseMethod);
    RunKeeper keeper;
    keeper.beginRun({});
    KeepingCount count(keeper);
    CountRequest request;
    request.sites = {address};
    request.failures = FailurePolicy::OutcomesOnly;
    QTemporaryDir folder;
    const CountSummary summary =
        databaseMethod ? countWithDatabaseMethod(request, network, count,
                                                 test::makeWordDatabase(folder.path()))
                       : countWithTextMethod(request, network, count);
    QVERIFY(summary.total);
    QVERIFY(!count.counts.isEmpty());
    QVERIFY(!count.counts.contains(QStringLiteral("secret")));
    QVERIFY(!count.counts.contains(QStringLiteral("apple5")));

    QVERIFY(keeper.failure().isEmpty());
    const KeptTexts& store = *keeper.store();
    const int run = keeper.run();
    const std::optional<KeptPage> kept = store.page(run, 1);
    QVERIFY(kept);
    QCOMPARE(kept->state, KeptPage::Text::Kept);
    QCOMPARE(kept->words, *summary.total);
    // The kept text gives the same words, as often, as the count found.
    QCOMPARE(tally(kept->text, true), count.counts);
    // And every use the count made of a word is in its concordance.
    for (auto it = count.counts.cbegin(); it != count.counts.cend(); ++it)
        QCOMPARE(findConcordance(store, run, it.key()).lines.size(), it.value());
    QCOMPARE(kept->url, server.url(QStringLiteral("/page")));
    QCOMPARE(kept->encoding, QByteArray("UTF-8"));
    QCOMPARE(kept->bytes, qint64(html.size()));
}

void TestKeptStore::recordsReadBack()
{
    KeptTexts store;
    KeptRule rule;
    rule.rule = WordRule::Unicode;
    rule.stopWords = StopList::fromText("the\nand\n", QStringLiteral("test"));
    rule.phraseLength = 2;
    const int run = store.beginRun(rule);
    const QString text = QStringLiteral("Grüße aus Köln\r\n\U0001F600 emoji\tand a tab");
    store.keep(run, 1, readPage(QStringLiteral("a.example"), text), 7, false);
    FetchedPage failed;
    failed.outcome = FetchedPage::Outcome::Failed;
    failed.address = QStringLiteral("b.example");
    failed.url = QStringLiteral("http://b.example/");
    failed.error = QStringLiteral("Could not load http://b.example/: not found (404)");
    store.keep(run, 2, failed, 0, false);

    const std::optional<KeptPage> a = store.page(run, 1);
    QVERIFY(a);
    QCOMPARE(a->text, text);
    QCOMPARE(a->address, QStringLiteral("a.example"));
    QCOMPARE(a->words, qint64(7));
    QCOMPARE(a->ignoreCase, false);
    const QList<KeptPage> pages = store.pages(run);
    QCOMPARE(pages.size(), 2);
    QVERIFY(pages[0].text.isEmpty()); // records come without their texts
    QCOMPARE(pages[1].state, KeptPage::Text::NotRead);
    QCOMPARE(pages[1].error, failed.error);
    QVERIFY(missingTextReason(pages[1], store.limits().runBytes).contains(failed.error));
    QVERIFY(!store.page(run, 3));
    const KeptRule back = store.rule(run);
    QCOMPARE(back.rule, WordRule::Unicode);
    QCOMPARE(back.stopWords.words(), rule.stopWords.words());
    QCOMPARE(back.phraseLength, 2);
    QCOMPARE(store.runBytes(run), qint64(text.toUtf8().size()));
}

void TestKeptStore::runLimitKeepsRecordsWithoutText()
{
    KeptTexts::Limits limits;
    limits.runBytes = 100;
    KeptTexts store(limits);
    const int run = store.beginRun({});
    const QString sixty(60, u'x');
    store.keep(run, 1, readPage(QStringLiteral("one"), sixty), 1, true);
    store.keep(run, 2, readPage(QStringLiteral("two"), sixty), 1, true);
    store.keep(run, 3, readPage(QStringLiteral("three"), QString(40, u'y')), 1, true);
    QCOMPARE(store.page(run, 1)->state, KeptPage::Text::Kept);
    const KeptPage two = *store.page(run, 2);
    QCOMPARE(two.state, KeptPage::Text::OverLimit);
    QVERIFY(two.text.isEmpty());
    QCOMPARE(two.words, qint64(1));
    QVERIFY(missingTextReason(two, limits.runBytes).contains(QStringLiteral("not kept")));
    // A smaller page after it still fits.
    QCOMPARE(store.page(run, 3)->state, KeptPage::Text::Kept);
    QCOMPARE(store.runBytes(run), qint64(100));
    // A site counted again gives back what its first text took.
    store.keep(run, 1, readPage(QStringLiteral("one"), QStringLiteral("short")), 1, true);
    QCOMPARE(store.runBytes(run), qint64(45));
    QCOMPARE(findConcordance(store, run, QStringLiteral("short")).lines.size(), 1);
    QCOMPARE(findConcordance(store, run, QStringLiteral("x")).pagesNotKept, 1);
}

void TestKeptStore::storeLimitDropsOldestRuns()
{
    KeptTexts::Limits limits;
    limits.runBytes = 100;
    limits.storeBytes = 250;
    KeptTexts store(limits);
    QList<int> runs;
    for (int i = 0; i < 3; ++i) {
        runs << store.beginRun({});
        store.keep(runs.last(), 1, readPage(QStringLiteral("p"), QString(90, u'a')), 1, true);
    }
    // Room for a whole run beside the kept ones: the first had to go for the third.
    QCOMPARE(store.runs(), (QList<int>{runs[1], runs[2]}));
    QVERIFY(!store.page(runs[0], 1));
    QVERIFY_THROWS_EXCEPTION(Failure, store.rule(runs[0]));
}

void TestKeptStore::folderGoesWithItsStore()
{
    QString folder;
    {
        KeptTexts store;
        QVERIFY(store.path().isEmpty());
        store.beginRun({});
        folder = QFileInfo(store.path()).absolutePath();
        QVERIFY(QFileInfo(store.path()).isFile());
        QVERIFY(keptFolders().contains(QFileInfo(folder).fileName()));
        // Another store of the same program keeps its own folder, and leaves this one alone.
        KeptTexts other;
        other.beginRun({});
        QVERIFY(QFileInfo(store.path()).isFile());
        QVERIFY(QFileInfo(other.path()).absolutePath() != folder);
    }
    QVERIFY(!QFileInfo::exists(folder));
}

void TestKeptStore::leftoversOfAGoneProgramAreRemoved()
{
    // A folder whose owner ended without cleaning up: its lock names a process that is gone.
    QProcess gone;
    gone.start(QStringLiteral("true"), {});
    QVERIFY(gone.waitForFinished(10000));
    const qint64 pid = gone.processId() > 0 ? gone.processId() : 999999999;
    const QString leftover = QDir::temp().filePath(QStringLiteral("tallyvane-kept-lefttest"));
    QVERIFY(QDir().mkpath(leftover));
    QFile(leftover + QStringLiteral("/texts.sqlite")).open(QIODevice::WriteOnly);
    QFile lock(leftover + QStringLiteral("/owner.lock"));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(pid) + "\ntest_keptstore\n" +
               QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    // One that is being made (no lock yet) stays.
    const QString starting = QDir::temp().filePath(QStringLiteral("tallyvane-kept-startingtest"));
    QVERIFY(QDir().mkpath(starting));

    KeptTexts store;
    store.beginRun({});
    QVERIFY(!QFileInfo::exists(leftover));
    QVERIFY(QFileInfo::exists(starting));
    QDir(starting).removeRecursively();
}

QTEST_GUILESS_MAIN(TestKeptStore)
#include "test_keptstore.moc"
