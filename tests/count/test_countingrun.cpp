// "Start Counting": the checks before a run, the engine choice, and the reset after it.
#include "count/countingrun.h"
#include "fakecount.h"
#include "support/recorders.h"
#include "support/testenv.h"
#include "support/worddatabase.h"

#include <QCoreApplication>
#include <QTemporaryDir>

using namespace tv;
using namespace tv::test;

namespace {

// Remembers the window's state at the moment each box is shown.
class WatchingDialogs : public ScriptedDialogs {
public:
    explicit WatchingDialogs(const FakeCountingWindow& view) : m_view(view) {}
    void information(const QString& text) override
    {
        ScriptedDialogs::information(text);
        pointerWhenShown << m_view.mode;
        progressTextWhenShown << (m_view.progressTexts.isEmpty() ? QString()
                                                                 : m_view.progressTexts.last());
        enabledWhenShown << !m_view.resultsEnabled.isEmpty();
    }
    QList<int> pointerWhenShown;
    QStringList progressTextWhenShown;
    QList<bool> enabledWhenShown;

private:
    const FakeCountingWindow& m_view;
};

} // namespace

class TestCountingRun : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void emptyListOnlySaysSo();
    void busyWindowRunsNothing();
    void engineChoice_data();
    void engineChoice();
    void resetsPointerAndProgressBeforeDone_data();
    void resetsPointerAndProgressBeforeDone();
    void unusableDatabaseStillEndsTheRun();
    void secondRunAppends();
    void siteRowsAreReadOnceAtTheStart_data();
    void siteRowsAreReadOnceAtTheStart();

private:
    MethodChoice choice(bool database, bool text, bool provider) const
    {
        return {database, text, provider, m_database};
    }

    QTemporaryDir m_dir;
    QString m_database;
};

void TestCountingRun::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_database = makeWordDatabase(m_dir.path());
}

void TestCountingRun::emptyListOnlySaysSo()
{
    FakeCountingWindow view;
    WatchingDialogs dialogs(view);
    FakePageSource pages;
    RecordingSink sink;
    startCounting(view, dialogs, pages, choice(true, false, true));
    QCOMPARE(dialogs.informations, QStringList{"No files added."});
    QVERIFY(view.pointerHistory.isEmpty());
    QVERIFY(view.progressValues.isEmpty());
    QVERIFY(view.progressTexts.isEmpty());
    QVERIFY(view.resultsEnabled.isEmpty());
    QVERIFY(view.captions.isEmpty());
    QVERIFY(pages.calls.isEmpty());
    QVERIFY(sink.reports.isEmpty());
}

void TestCountingRun::busyWindowRunsNothing()
{
    // A run already under way (or a save or a filter) shows the busy mark.
    FakeCountingWindow view;
    view.mode = PointerHourglass;
    view.sites = {"site1"};
    WatchingDialogs dialogs(view);
    FakePageSource pages;
    pages.texts["site1"] = "word";
    startCounting(view, dialogs, pages, choice(false, true, true));
    QVERIFY(dialogs.informations.isEmpty());
    QVERIFY(pages.calls.isEmpty());
    QVERIFY(view.pointerHistory.isEmpty());
    QVERIFY(view.rows.isEmpty());
    QCOMPARE(view.siteReads, 0);
}

void TestCountingRun::engineChoice_data()
{
    QTest::addColumn<bool>("databaseMethod");
    QTest::addColumn<bool>("textMethod");
    QTest::addColumn<bool>("provider");
    QTest::addColumn<QStringList>("captions");
    const QStringList db{"Results - Word Count: 2"};
    const QStringList text{"Results (Total Word Count: 2)"};
    QTest::newRow("database method") << true << false << true << db;
    QTest::newRow("database method without provider") << true << false << false << text;
    QTest::newRow("text method") << false << true << true << text;
    QTest::newRow("text method without provider") << false << true << false << text;
    QTest::newRow("neither") << false << false << true << QStringList{};
}

void TestCountingRun::engineChoice()
{
    QFETCH(bool, databaseMethod);
    QFETCH(bool, textMethod);
    QFETCH(bool, provider);
    QFETCH(QStringList, captions);
    FakeCountingWindow view;
    view.sites = {"site1"};
    WatchingDialogs dialogs(view);
    FakePageSource pages;
    pages.texts["site1"] = "two words";
    RecordingSink sink;
    startCounting(view, dialogs, pages, choice(databaseMethod, textMethod, provider));
    QCOMPARE(view.captions, captions);
    QCOMPARE(view.rowTexts().size(), captions.isEmpty() ? 0 : 2);
    // The fallback happens without a word to the user.
    QCOMPARE(dialogs.informations, QStringList{"Done."});
    QVERIFY(dialogs.questions.isEmpty());
    QVERIFY(sink.reports.isEmpty());
}

void TestCountingRun::resetsPointerAndProgressBeforeDone_data()
{
    QTest::addColumn<bool>("databaseMethod");
    QTest::newRow("database method") << true;
    QTest::newRow("text method") << false;
}

void TestCountingRun::resetsPointerAndProgressBeforeDone()
{
    QFETCH(bool, databaseMethod);
    FakeCountingWindow view;
    view.sites = {"site1", "site2"};
    WatchingDialogs dialogs(view);
    FakePageSource pages;
    pages.texts = {{"site1", "a b"}, {"site2", "c"}};
    pages.afterFetch = [&](const QString&) {
        // Busy while the pages are read.
        QCOMPARE(view.mode, int(PointerHourglass));
    };
    startCounting(view, dialogs, pages, choice(databaseMethod, !databaseMethod, true));
    QCOMPARE(view.pointerHistory.first(), int(PointerHourglass));
    QCOMPARE(view.mode, int(PointerDefault));
    QCOMPARE(view.progressValues.last(), 0.0);
    QCOMPARE(view.progressTexts.last(), QStringLiteral("Progress Bar"));
    QCOMPARE(dialogs.informations, QStringList{"Done."});
    QCOMPARE(dialogs.pointerWhenShown, QList<int>{PointerDefault});
    QCOMPARE(dialogs.progressTextWhenShown, QStringList{"Progress Bar"});
    // The results list is enabled after the box is closed.
    QCOMPARE(dialogs.enabledWhenShown, QList<bool>{false});
    QCOMPARE(view.resultsEnabled, QList<bool>{true});
}

void TestCountingRun::unusableDatabaseStillEndsTheRun()
{
    FakeCountingWindow view;
    view.sites = {"site1"};
    WatchingDialogs dialogs(view);
    FakePageSource pages;
    RecordingSink sink;
    MethodChoice missing = choice(true, false, true);
    missing.databasePath = m_dir.path() + QStringLiteral("/absent/dbData.mdb");
    startCounting(view, dialogs, pages, missing);
    QCOMPARE(sink.reports.size(), 1);
    QCOMPARE(view.mode, int(PointerDefault));
    QCOMPARE(view.progressTexts.last(), QStringLiteral("Progress Bar"));
    QCOMPARE(dialogs.informations, QStringList{"Done."});
    QCOMPARE(view.resultsEnabled, QList<bool>{true});
}

void TestCountingRun::secondRunAppends()
{
    FakeCountingWindow view;
    view.sites = {"site1"};
    WatchingDialogs dialogs(view);
    FakePageSource pages;
    pages.texts["site1"] = "first";
    startCounting(view, dialogs, pages, choice(true, false, true));
    pages.texts["site1"] = "second second";
    startCounting(view, dialogs, pages, choice(true, false, true));
    QCOMPARE(view.rowTexts(), (QStringList{"first|1", "second|2"}));
    QCOMPARE(view.captions, (QStringList{"Results - Word Count: 1", "Results - Word Count: 2"}));
    QCOMPARE(dialogs.informations, (QStringList{"Done.", "Done."}));
}

void TestCountingRun::siteRowsAreReadOnceAtTheStart_data()
{
    QTest::addColumn<bool>("databaseMethod");
    QTest::addColumn<bool>("perSite");
    QTest::newRow("database method, one count") << true << false;
    QTest::newRow("database method, per site") << true << true;
    QTest::newRow("text method, one count") << false << false;
    QTest::newRow("text method, per site") << false << true;
}

void TestCountingRun::siteRowsAreReadOnceAtTheStart()
{
    // Rows added to the list or taken from it while a run is under way change nothing of it:
    // it visits the rows as they stood when it started.
    QFETCH(bool, databaseMethod);
    QFETCH(bool, perSite);
    FakeCountingWindow view;
    view.sites = {"site1", "site2"};
    view.perSite = perSite;
    view.combined = !perSite;
    WatchingDialogs dialogs(view);
    FakePageSource pages;
    pages.texts = {{"site1", "a"}, {"site2", "b"}, {"site3", "c"}};
    pages.afterFetch = [&](const QString&) {
        view.sites.removeFirst();
        view.sites << QStringLiteral("site3");
    };
    RecordingSink sink;
    startCounting(view, dialogs, pages, choice(databaseMethod, !databaseMethod, true));
    QVERIFY(sink.reports.isEmpty());
    QCOMPARE(view.siteReads, 1);
    QCOMPARE(pages.fetched(), (QStringList{"site1", "site2"}));
    const QStringList rows =
        perSite ? QStringList{"site1|a|1", "site2|b|1"} : QStringList{"a|1", "b|1"};
    QCOMPARE(view.rowTexts(), rows);
}

TV_TEST_MAIN(TestCountingRun, QCoreApplication)
#include "test_countingrun.moc"
