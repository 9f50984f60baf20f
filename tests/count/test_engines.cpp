// Both counting methods, headless, against a recording window and a page source of texts.
#include "count/databasemethod.h"
#include "count/textmethod.h"
#include "fakecount.h"
#include "platform/database.h"
#include "support/recorders.h"
#include "support/testenv.h"
#include "support/worddatabase.h"

#include <QCoreApplication>
#include <QLockFile>
#include <QTemporaryDir>

using namespace tv;
using namespace tv::test;

namespace {

enum class Engine { Text, Database };

QString engineName(Engine engine)
{
    return engine == Engine::Text ? QStringLiteral("text method")
                                  : QStringLiteral("database method");
}

QString textCaption(int total)
{
    return QStringLiteral("Results (Total Word Count: %1)").arg(total);
}

QString databaseCaption(int total)
{
    return QStringLiteral("Results - Word Count: %1").arg(total);
}

QStringList siteNames(qsizetype count)
{
    QStringList names;
    for (qsizetype i = 1; i <= count; ++i)
        names << QStringLiteral("site%1").arg(i);
    return names;
}

} // namespace

class TestEngines : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void edgeCases_data();
    void edgeCases();
    void regressions_data();
    void regressions();
    void twoRunsAppend_data();
    void twoRunsAppend();
    void rowCountIsReadOnce_data();
    void rowCountIsReadOnce();
    void announcesRowsBeforeFetching_data();
    void announcesRowsBeforeFetching();
    void siteOutcomes_data();
    void siteOutcomes();
    void failuresOnlyInOutcomes_data();
    void failuresOnlyInOutcomes();
    void stopEndsAfterTheLastFinishedPage_data();
    void stopEndsAfterTheLastFinishedPage();
    void reportsBesidesPages();
    void letterCaseIsReadPerWord_data();
    void letterCaseIsReadPerWord();
    void noSites_data();
    void noSites();
    void noModeSelected_data();
    void noModeSelected();
    void textMethodShowsPositionOnly();
    void databaseMethodCaptions_data();
    void databaseMethodCaptions();
    void passwordHiddenInProgress_data();
    void passwordHiddenInProgress();
    void databaseStoresEveryOccurrence();
    void manyDistinctWords_data();
    void manyDistinctWords();
    void unusableDatabaseIsReportedOnce_data();
    void unusableDatabaseIsReportedOnce();
    void databaseInUseIsLeftAlone();
    void tableThatCannotBeEmptiedStopsTheRun();

private:
    CountSummary run(Engine engine, FakeCountingWindow& view, FakePageSource& pages,
                     const QString& database = QString());
    static void addCase(const char* name, const QStringList& texts, bool perSite, bool ignoreCase,
                        const QStringList& textRows, int textTotal, const QStringList& dbRows,
                        int dbTotal, const QStringList& addresses = {});
    static void addEngines();
    static void addCaseColumns();
    // Runs the case of the current data row through both methods.
    void checkBothEngines();

    QTemporaryDir m_dir;
    QString m_database;
    int m_serial = 0;
};

void TestEngines::init()
{
    QVERIFY(m_dir.isValid());
    m_database = makeWordDatabase(m_dir.path(), QStringLiteral("db%1.mdb").arg(++m_serial));
}

CountSummary TestEngines::run(Engine engine, FakeCountingWindow& view, FakePageSource& pages,
                              const QString& database)
{
    const CountRequest request = view.request();
    const CountSummary summary =
        engine == Engine::Text
            ? countWithTextMethod(request, pages, view)
            : countWithDatabaseMethod(request, pages, view,
                                      database.isEmpty() ? m_database : database);
    // As "Start Counting" does: the total becomes the first column's caption.
    if (summary.total)
        view.setTotalCaption(totalCaption(
            engine == Engine::Text ? CountMethod::Text : CountMethod::Database, *summary.total));
    return summary;
}

void TestEngines::addEngines()
{
    QTest::addColumn<Engine>("engine");
    QTest::newRow("text method") << Engine::Text;
    QTest::newRow("database method") << Engine::Database;
}

void TestEngines::addCase(const char* name, const QStringList& texts, bool perSite, bool ignoreCase,
                          const QStringList& textRows, int textTotal, const QStringList& dbRows,
                          int dbTotal, const QStringList& addresses)
{
    QTest::newRow(name) << (addresses.isEmpty() ? siteNames(texts.size()) : addresses) << texts
                        << perSite << ignoreCase << textRows << textCaption(textTotal) << dbRows
                        << databaseCaption(dbTotal);
}

void TestEngines::addCaseColumns()
{
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("perSite");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QStringList>("textRows");
    QTest::addColumn<QString>("textCaption");
    QTest::addColumn<QStringList>("dbRows");
    QTest::addColumn<QString>("dbCaption");
}

void TestEngines::edgeCases_data()
{
    addCaseColumns();

    const QStringList cat{"and|1", "cat|1", "hat|1", "the|2"};
    addCase("one page", {"the cat and the hat"}, false, false, cat, 5, cat, 5);
    const QStringList cases{"THE|1", "The|1", "the|1"};
    addCase("letter case kept", {"The the THE"}, false, false, cases, 3, cases, 3);
    addCase("letter case ignored", {"The the THE"}, false, true, {"the|3"}, 3, {"the|3"}, 3);
    const QStringList cleaned{"dont|1", "email|1"};
    addCase("punctuation inside words", {"don't e-mail ---"}, false, false, cleaned, 2, cleaned, 2);
    addCase("punctuation-only tokens", {"... !!! ? -- \"\" (*)"}, false, false, {}, 0, {}, 0);
    addCase("tab separates words", {"a\tb"}, false, false, {"a|1", "b|1"}, 2, {"a|1", "b|1"}, 2);
    addCase("CR LF ends a line", {"a\r\nb"}, false, false, {"a|1", "b|1"}, 2, {"a|1", "b|1"}, 2);
    const QStringList abc{"a|1", "b|1", "c|1"};
    addCase("blanks and empty lines", {"  a   b \n\n\n c\n"}, false, false, abc, 3, abc, 3);
    addCase("nbsp", {"xnbspy nbsp"}, false, false, {"|1", "x|1"}, 2, {"nbsp|1", "xnbspy|1"}, 2);
    const QString longWord(300, u'w');
    addCase("word of 300 characters", {longWord + u' ' + longWord}, false, false,
            {longWord + QStringLiteral("|2")}, 2, {longWord.left(255) + QStringLiteral("|2")}, 2);
    const QStringList summed{"pear|1", "apple|2"};
    addCase("two sites, one count", {"apple pear", "apple"}, false, false, summed, 3, summed, 3);
    const QStringList apart{"site1|apple|1", "site1|pear|1", "site2|apple|1"};
    addCase("two sites, counted apart", {"apple pear", "apple"}, true, false, apart, 3, apart, 3);
    addCase("empty page, per site", {"", "word"}, true, false, {"site2|word|1"}, 1,
            {"site2|word|1"}, 1);
    addCase("empty pages, one count", {"", ""}, false, false, {}, 0, {}, 0);
    const QStringList equal{"A|1", "B|1", "a|1", "b|1", "Zeta|2", "alpha|2"};
    addCase("equal counts, capitals first", {"b B a A alpha Zeta alpha Zeta"}, false, false, equal,
            8, equal, 8);
    const QStringList frequency{"b|1", "a|2", "z|3"};
    addCase("least frequent first", {"z z z a a b"}, false, false, frequency, 6, frequency, 6);
    const QStringList tens{"b|9", "a|10"};
    addCase("ten after nine", {"a a a a a a a a a a b b b b b b b b b"}, false, false, tens, 19,
            tens, 19);
    const QStringList prefix{"ab|1", "abc|1"};
    addCase("shorter word first among equal counts", {"abc ab"}, false, false, prefix, 2, prefix,
            2);
    const QStringList digits{"42|1", "2021|2"};
    addCase("numbers", {"2021 2021 42"}, false, false, digits, 3, digits, 3);
    const QStringList naive{QStringLiteral("na\u00EFve|3")};
    addCase("non-ASCII letters, case ignored", {QStringLiteral("Na\u00EFve na\u00EFve NA\u00CFVE")},
            false, true, naive, 3, naive, 3);
    const QStringList marks{"a|1", "b|1", QStringLiteral("\u201Cword\u201D|1")};
    addCase("curly quotes stay, a no-break space separates",
            {QStringLiteral("\u201Cword\u201D a\u00A0b")}, false, false, marks, 3, marks, 3);
    // Every Unicode space separator, each between two words, some doubled or at line ends.
    const QString spaced = QStringLiteral(u"a\u00A0b\u1680c\u2000d\u2001e\u2002f\u2003g\u2004h"
                                          u"\u2005i\u2006j\u2007k\u2008l\u2009m\u200An\u202Fo"
                                          u"\u205Fp\u3000q\u00A0\u00A0r\u3000\nz\u202F");
    QStringList letters;
    for (const char* w : {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o",
                          "p", "q", "r", "z"})
        letters << QString::fromLatin1(w) + QStringLiteral("|1");
    addCase("every Unicode space separator separates words", {spaced}, false, false, letters, 19,
            letters, 19);
    addCase("a zero width space does not separate", {QStringLiteral(u"a\u200Bb")}, false, false,
            {QStringLiteral(u"a\u200Bb|1")}, 1, {QStringLiteral(u"a\u200Bb|1")}, 1);
    // Ordinal order of UTF-16 units puts a surrogate pair before U+FF21; the database orders
    // by code point.
    addCase("characters beyond 16 bits", {QStringLiteral("\U0001F600 \uFF21")}, false, false,
            {QStringLiteral("\U0001F600|1"), QStringLiteral("\uFF21|1")}, 2,
            {QStringLiteral("\uFF21|1"), QStringLiteral("\U0001F600|1")}, 2);
    // Only the text method cuts a page down to its body when counting per site.
    addCase("body tags, per site", {"<body>Hello <b>World</b></body>"}, true, false,
            {"site1|Hello|1", "site1|World|1"}, 2, {"site1|bWorldbbody|1", "site1|bodyHello|1"}, 2);
    addCase("address as typed, per site", {"word"}, true, false, {"C:\\pages\\a.htm|word|1"}, 1,
            {"a.htm|word|1"}, 1, {"C:\\pages\\a.htm"});
    addCase("address with blanks, per site", {"word"}, true, false, {" example.com |word|1"}, 1,
            {" example.com |word|1"}, 1, {" example.com "});
}

void TestEngines::edgeCases()
{
    checkBothEngines();
}

// Faults that were fixed, one titled case each.
void TestEngines::regressions_data()
{
    addCaseColumns();
    const QStringList cells{"Apple|1", "Pear|1", "5|2"};
    addCase("a tab between table cells glued them into one word", {"Apple\t5\r\nPear\t5"}, false,
            false, cells, 4, cells, 4);
    addCase("a lone carriage return glued two lines into one word", {"a\rb"}, false, false,
            {"a|1", "b|1"}, 2, {"a|1", "b|1"}, 2);
    addCase("the body was cut at the wrong place after text that lower-cases longer",
            {QStringLiteral("\u0130\u0130<body>x</body>")}, true, false, {"site1|x|1"}, 1,
            {QStringLiteral("site1|\u0130\u0130bodyxbody|1")}, 1);
}

void TestEngines::regressions()
{
    checkBothEngines();
}

void TestEngines::checkBothEngines()
{
    QFETCH(QStringList, addresses);
    QFETCH(QStringList, texts);
    QFETCH(bool, perSite);
    QFETCH(bool, ignoreCase);
    QFETCH(QStringList, textRows);
    QFETCH(QString, textCaption);
    QFETCH(QStringList, dbRows);
    QFETCH(QString, dbCaption);

    for (const Engine engine : {Engine::Text, Engine::Database}) {
        FakeCountingWindow view;
        view.sites = addresses;
        view.perSite = perSite;
        view.combined = !perSite;
        view.ignoreCaseValue = ignoreCase;
        FakePageSource pages;
        for (qsizetype i = 0; i < addresses.size(); ++i)
            pages.texts[addresses[i]] = texts[i];
        RecordingSink sink;
        run(engine, view, pages);

        const QString name = engineName(engine);
        QVERIFY2(sink.reports.isEmpty(),
                 qPrintable(name + QStringLiteral(": ") + sink.reports.join(u'\n')));
        const QStringList expected = engine == Engine::Text ? textRows : dbRows;
        QVERIFY2(view.rowTexts() == expected,
                 qPrintable(name + QStringLiteral(": rows [") + view.rowTexts().join(u',') +
                            QStringLiteral("], expected [") + expected.join(u',') + u']'));
        const QStringList caption{engine == Engine::Text ? textCaption : dbCaption};
        QVERIFY2(view.captions == caption,
                 qPrintable(name + QStringLiteral(": captions ") + view.captions.join(u',')));
    }
}

void TestEngines::twoRunsAppend_data()
{
    addEngines();
}

void TestEngines::twoRunsAppend()
{
    QFETCH(Engine, engine);
    FakeCountingWindow view;
    view.sites = {"site1"};
    FakePageSource pages;
    pages.texts["site1"] = "one two two";
    run(engine, view, pages);
    pages.texts["site1"] = "three";
    run(engine, view, pages);
    QCOMPARE(view.rowTexts(), (QStringList{"one|1", "two|2", "three|1"}));
    const QString last = engine == Engine::Text ? textCaption(1) : databaseCaption(1);
    QCOMPARE(view.lastCaption(), last);
}

void TestEngines::rowCountIsReadOnce_data()
{
    QTest::addColumn<Engine>("engine");
    QTest::addColumn<bool>("perSite");
    QTest::newRow("text method, one count") << Engine::Text << false;
    QTest::newRow("text method, per site") << Engine::Text << true;
    QTest::newRow("database method, one count") << Engine::Database << false;
    QTest::newRow("database method, per site") << Engine::Database << true;
}

void TestEngines::rowCountIsReadOnce()
{
    // Rows added while a run is under way are not visited by it.
    QFETCH(Engine, engine);
    QFETCH(bool, perSite);
    FakeCountingWindow view;
    view.sites = {"site1", "site2"};
    view.perSite = perSite;
    view.combined = !perSite;
    FakePageSource pages;
    pages.texts = {{"site1", "a"}, {"site2", "b"}, {"site3", "c"}};
    pages.afterFetch = [&](const QString&) { view.sites << QStringLiteral("site3"); };
    run(engine, view, pages);
    QCOMPARE(pages.fetched(), (QStringList{"site1", "site2"}));
    QCOMPARE(view.siteReads, 1);
    QCOMPARE(view.rows.size(), 2);
}

void TestEngines::announcesRowsBeforeFetching_data()
{
    rowCountIsReadOnce_data();
}

void TestEngines::announcesRowsBeforeFetching()
{
    QFETCH(Engine, engine);
    QFETCH(bool, perSite);
    FakeCountingWindow view;
    view.sites = {"site1", " site2", "site1"};
    view.perSite = perSite;
    view.combined = !perSite;
    FakePageSource pages;
    run(engine, view, pages);
    QCOMPARE(pages.calls, (QStringList{"announce:site1, site2,site1", "fetch:site1", "fetch: site2",
                                       "fetch:site1"}));
}

void TestEngines::siteOutcomes_data()
{
    QTest::addColumn<Engine>("engine");
    QTest::addColumn<bool>("perSite");
    QTest::addColumn<QList<qint64>>("tallies"); // the words in each outcome's page tally
    const QList<qint64> none{-1, -1, -1};
    QTest::newRow("text method, one count") << Engine::Text << false << QList<qint64>{3, 0, 1};
    // Counting per site, a page without text is not tallied at all.
    QTest::newRow("text method, per site") << Engine::Text << true << QList<qint64>{3, -1, 1};
    QTest::newRow("database method, one count") << Engine::Database << false << none;
    QTest::newRow("database method, per site") << Engine::Database << true << none;
}

void TestEngines::siteOutcomes()
{
    // Every site's outcome in order: what became of its page and how many words it gave, the
    // failure with its reason, reported once at the moment it happened.
    QFETCH(Engine, engine);
    QFETCH(bool, perSite);
    QFETCH(QList<qint64>, tallies);
    FakeCountingWindow view;
    view.sites = {"site1", "gone", "site3"};
    view.perSite = perSite;
    view.combined = !perSite;
    FakePageSource pages;
    pages.texts = {{"site1", "a b, ---  a"}, {"site3", "c"}};
    pages.failures["gone"] = QStringLiteral("Could not load http://gone/: refused");
    RecordingSink sink;
    const CountSummary summary = run(engine, view, pages);

    QCOMPARE(view.startedSites, (QStringList{"1:site1", "2:gone", "3:site3"}));
    QCOMPARE(view.outcomes.size(), 3);
    QList<int> sites;
    QList<qint64> words;
    for (const SiteOutcome& outcome : std::as_const(view.outcomes)) {
        sites << outcome.site;
        words << outcome.words;
        QVERIFY(outcome.page.text.isEmpty());
    }
    QCOMPARE(sites, (QList<int>{1, 2, 3}));
    QCOMPARE(words, (QList<qint64>{3, 0, 1}));
    QCOMPARE(view.outcomes[0].page.outcome, FetchedPage::Outcome::Read);
    QCOMPARE(view.outcomes[1].page.outcome, FetchedPage::Outcome::Failed);
    QCOMPARE(view.outcomes[1].page.error, QStringLiteral("Could not load http://gone/: refused"));
    QCOMPARE(view.outcomeTallyTotals,
             engine == Engine::Text ? tallies : (QList<qint64>{-1, -1, -1}));
    QCOMPARE(sink.descriptions(), QStringList{"Could not load http://gone/: refused"});
    QVERIFY(sink.reports[0].contains("Sorting.fetchUrl at line 104"));
    QVERIFY(summary.started);
    QCOMPARE(summary.sitesCounted, 3);
    QVERIFY(!summary.stopped);
    QCOMPARE(summary.otherReports, 0);
    QCOMPARE(summary.total, std::optional<qint64>(4));
}

void TestEngines::failuresOnlyInOutcomes_data()
{
    addEngines();
}

void TestEngines::failuresOnlyInOutcomes()
{
    // A caller that shows the outcomes itself gets no report box for a page, nor for a warning.
    QFETCH(Engine, engine);
    FakeCountingWindow view;
    view.sites = {"gone", "cut"};
    FakePageSource pages;
    pages.failures["gone"] = QStringLiteral("Could not load http://gone/: refused");
    pages.texts["cut"] = QStringLiteral("word");
    pages.warnings["cut"] = QStringLiteral("cut is larger than 1 MiB");
    RecordingSink sink;
    CountRequest request = view.request();
    request.failures = FailurePolicy::OutcomesOnly;
    const CountSummary summary = engine == Engine::Text
                                     ? countWithTextMethod(request, pages, view)
                                     : countWithDatabaseMethod(request, pages, view, m_database);
    QVERIFY2(sink.reports.isEmpty(), qPrintable(sink.reports.join(u'\n')));
    QCOMPARE(view.outcomes.size(), 2);
    QVERIFY(view.outcomes[0].page.failed());
    QCOMPARE(view.outcomes[1].page.warnings, QStringList{"cut is larger than 1 MiB"});
    QCOMPARE(view.rowTexts(), QStringList{"word|1"});
    QCOMPARE(summary.otherReports, 0);
}

void TestEngines::stopEndsAfterTheLastFinishedPage_data()
{
    rowCountIsReadOnce_data();
}

void TestEngines::stopEndsAfterTheLastFinishedPage()
{
    // Stopped during the second page, the run counts that page and no further one, and shows
    // the rows of what it counted.
    QFETCH(Engine, engine);
    QFETCH(bool, perSite);
    FakeCountingWindow view;
    view.sites = {"site1", "site2", "site3"};
    view.perSite = perSite;
    view.combined = !perSite;
    bool stopNow = false;
    view.stop = [&] { return stopNow; };
    FakePageSource pages;
    pages.texts = {{"site1", "a"}, {"site2", "b b"}, {"site3", "c"}};
    pages.afterFetch = [&](const QString& address) { stopNow = address == u"site2"; };
    RecordingSink sink;
    const CountSummary summary = run(engine, view, pages);
    QVERIFY(sink.reports.isEmpty());
    QCOMPARE(pages.fetched(), (QStringList{"site1", "site2"}));
    QVERIFY(summary.stopped);
    QCOMPARE(summary.sitesCounted, 2);
    const QStringList rows =
        perSite ? QStringList{"site1|a|1", "site2|b|2"} : QStringList{"a|1", "b|2"};
    QCOMPARE(view.rowTexts(), rows);
    QCOMPARE(summary.total, std::optional<qint64>(3));
}

void TestEngines::reportsBesidesPages()
{
    // A body that cannot be cut out of a page is reported, and the summary counts it apart
    // from the page that failed.
    FakeCountingWindow view;
    view.sites = {"broken", "gone"};
    view.perSite = true;
    view.combined = false;
    FakePageSource pages;
    pages.texts["broken"] = QStringLiteral("</body> first <body>");
    pages.failures["gone"] = QStringLiteral("Could not load http://gone/: refused");
    RecordingSink sink;
    const CountSummary summary = run(Engine::Text, view, pages);
    QCOMPARE(sink.reports.size(), 2);
    QVERIFY(sink.reports[0].contains("Sorting.removeTags "));
    QCOMPARE(summary.otherReports, 1);
}

void TestEngines::letterCaseIsReadPerWord_data()
{
    QTest::addColumn<Engine>("engine");
    QTest::addColumn<QStringList>("rows");
    // Both methods count each page's words before they fetch the next.
    QTest::newRow("text method") << Engine::Text << QStringList{"Word|1", "word|1"};
    QTest::newRow("database method") << Engine::Database << QStringList{"Word|1", "word|1"};
}

void TestEngines::letterCaseIsReadPerWord()
{
    QFETCH(Engine, engine);
    QFETCH(QStringList, rows);
    FakeCountingWindow view;
    view.sites = {"site1", "site2"};
    FakePageSource pages;
    pages.texts = {{"site1", "Word"}, {"site2", "Word"}};
    pages.afterFetch = [&](const QString& address) {
        if (address == QStringLiteral("site2"))
            view.ignoreCaseValue = true;
    };
    run(engine, view, pages);
    QCOMPARE(view.rowTexts(), rows);
}

void TestEngines::noSites_data()
{
    QTest::addColumn<Engine>("engine");
    QTest::addColumn<bool>("perSite");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("text method, one count") << Engine::Text << false << QStringList{};
    QTest::newRow("text method, per site") << Engine::Text << true << QStringList{textCaption(0)};
    QTest::newRow("database method, one count")
        << Engine::Database << false << QStringList{databaseCaption(0)};
    QTest::newRow("database method, per site")
        << Engine::Database << true << QStringList{databaseCaption(0)};
}

void TestEngines::noSites()
{
    QFETCH(Engine, engine);
    QFETCH(bool, perSite);
    QFETCH(QStringList, captions);
    FakeCountingWindow view;
    view.perSite = perSite;
    view.combined = !perSite;
    FakePageSource pages;
    RecordingSink sink;
    run(engine, view, pages);
    QVERIFY(sink.reports.isEmpty());
    QVERIFY(view.rows.isEmpty());
    QCOMPARE(view.captions, captions);
}

void TestEngines::noModeSelected_data()
{
    QTest::addColumn<Engine>("engine");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("text method") << Engine::Text << QStringList{};
    QTest::newRow("database method") << Engine::Database << QStringList{databaseCaption(0)};
}

void TestEngines::noModeSelected()
{
    QFETCH(Engine, engine);
    QFETCH(QStringList, captions);
    FakeCountingWindow view;
    view.sites = {"site1"};
    view.combined = false;
    view.perSite = false;
    FakePageSource pages;
    pages.texts["site1"] = "word";
    run(engine, view, pages);
    QVERIFY(pages.calls.isEmpty());
    QVERIFY(view.rows.isEmpty());
    QCOMPARE(view.captions, captions);
}

void TestEngines::textMethodShowsPositionOnly()
{
    FakeCountingWindow view;
    view.sites = {"site1"};
    FakePageSource pages;
    pages.texts["site1"] = "b a\nb";
    run(Engine::Text, view, pages);
    QVERIFY(view.progressTexts.isEmpty());
    QVERIFY(!view.progressValues.isEmpty());
    for (const double value : std::as_const(view.progressValues))
        QVERIFY2(value > 0 && value <= 100, qPrintable(QString::number(value)));
    QCOMPARE(view.progressValues.last(), 100.0);
    QVERIFY(view.pointerHistory.isEmpty());
}

void TestEngines::databaseMethodCaptions_data()
{
    QTest::addColumn<bool>("perSite");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("one count") << false
                               << QStringList{"Processing: site1",
                                              "Counting words for site1, please wait... 1.1",
                                              "Counting words for site1, please wait... 2.3",
                                              "Processing: site2",
                                              "Counting words for site2, please wait... 1.1",
                                              "Counting words for site2, please wait... 1.1",
                                              "Sorting words, please wait...",
                                              "Counting words, please wait... 1",
                                              "Counting words, please wait... 5"};
    QTest::newRow("per site") << true
                              << QStringList{"Processing: site1",
                                             "Counting words for site1, please wait... 1.1",
                                             "Counting words for site1, please wait... 2.3",
                                             "Sorting words, please wait...",
                                             "Counting words for site1, please wait... 1",
                                             "Counting words for site1, please wait... 4",
                                             "Processing: site2",
                                             "Counting words for site2, please wait... 1.1",
                                             "Counting words for site2, please wait... 1.1",
                                             "Sorting words, please wait...",
                                             "Counting words for site2, please wait... 1",
                                             "Counting words for site2, please wait... 1"};
}

void TestEngines::databaseMethodCaptions()
{
    // The caption shows the line and piece of the last piece, and the last result row.
    QFETCH(bool, perSite);
    QFETCH(QStringList, texts);
    FakeCountingWindow view;
    view.sites = {"site1", "site2"};
    view.perSite = perSite;
    view.combined = !perSite;
    FakePageSource pages;
    pages.texts = {{"site1", "a b\nc  d"}, {"site2", "e"}};
    run(Engine::Database, view, pages);
    QCOMPARE(view.progressTexts, texts);
    QVERIFY(view.pointerHistory.contains(PointerHourglass));
    QVERIFY(!view.pointerHistory.contains(PointerDefault));
    if (!perSite)
        QCOMPARE(view.progressValues.last(), 5.0 / 6.0 * 100.0);
}

void TestEngines::passwordHiddenInProgress_data()
{
    QTest::addColumn<bool>("perSite");
    QTest::newRow("one count") << false;
    QTest::newRow("per site") << true;
}

// The progress texts end up in screenshots: a typed password shows as ***, while the site
// column keeps the row as typed.
void TestEngines::passwordHiddenInProgress()
{
    QFETCH(bool, perSite);
    const QString site = QStringLiteral("user:secret@example.com");
    FakeCountingWindow view;
    view.sites = {site};
    view.perSite = perSite;
    view.combined = !perSite;
    FakePageSource pages;
    pages.texts = {{site, "a b"}};
    run(Engine::Database, view, pages);
    QVERIFY(view.progressTexts.contains(QStringLiteral("Processing: user:***@example.com")));
    for (const QString& text : std::as_const(view.progressTexts))
        QVERIFY2(!text.contains(QLatin1String("secret")), qPrintable(text));
    QCOMPARE(view.rowTexts().first(),
             perSite ? site + QStringLiteral("|a|1") : QStringLiteral("a|1"));
}

void TestEngines::databaseStoresEveryOccurrence()
{
    // More words than one batch and one statement carry, and a remainder: every occurrence
    // is one row, stored in the table in text order.
    FakeCountingWindow view;
    view.sites = {"site1"};
    QStringList words;
    for (int i = 0; i < 5000; ++i)
        words << QStringLiteral("w%1").arg(i % 7);
    words << QStringLiteral("\"quoted\"") << QStringLiteral("x');DROP");
    FakePageSource pages;
    pages.texts["site1"] = words.join(u' ');
    RecordingSink sink;
    run(Engine::Database, view, pages);
    QVERIFY(sink.reports.isEmpty());
    const QStringList stored = storedWords(m_database);
    QCOMPARE(stored.size(), 5002);
    QCOMPARE(stored.first(), QStringLiteral("w0"));
    QCOMPARE(stored.mid(5000), (QStringList{"quoted", "xDROP"}));
    QCOMPARE(view.rowTexts().size(), 9);
    QCOMPARE(view.rowTexts().last(), QStringLiteral("w1|715"));
    QCOMPARE(view.lastCaption(), databaseCaption(5002));
}

void TestEngines::manyDistinctWords_data()
{
    addEngines();
}

void TestEngines::manyDistinctWords()
{
    // Enough distinct words for the sort to run beside the window's thread and for the tally
    // index to grow several times. The page holds them in descending order, every word twice
    // but those whose number divides by 7, once.
    const auto word = [](int n) { return QStringLiteral("w%1").arg(n, 5, 10, QLatin1Char('0')); };
    const auto once = [](int n) { return n % 7 == 0; };
    QStringList page;
    for (int n = 29999; n >= 0; --n) {
        page << word(n);
        if (!once(n))
            page << word(n);
    }
    QStringList expected;
    for (int n = 0; n < 30000; ++n) {
        if (once(n))
            expected << word(n) + QStringLiteral("|1");
    }
    for (int n = 0; n < 30000; ++n) {
        if (!once(n))
            expected << word(n) + QStringLiteral("|2");
    }
    QFETCH(Engine, engine);
    FakeCountingWindow view;
    view.sites = {"site1"};
    FakePageSource pages;
    pages.texts["site1"] = page.join(u' ');
    RecordingSink sink;
    run(engine, view, pages);
    QVERIFY(sink.reports.isEmpty());
    QCOMPARE(view.rowTexts(), expected);
    const int total = int(page.size());
    QCOMPARE(view.lastCaption(),
             engine == Engine::Text ? textCaption(total) : databaseCaption(total));
}

void TestEngines::unusableDatabaseIsReportedOnce_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("missing file") << "missing"
                                  << "does not exist";
    QTest::newRow("not a database") << "garbage"
                                    << "file is not a database";
    QTest::newRow("no word table") << "no table"
                                   << "has no table tbWords";
}

void TestEngines::unusableDatabaseIsReportedOnce()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    const QString folder = m_dir.path() + QStringLiteral("/unusable%1").arg(m_serial);
    QString path = folder + QStringLiteral("/dbData.mdb");
    if (kind == QStringLiteral("garbage")) {
        writeFile(path, QByteArray(4096, 'x'));
    } else if (kind == QStringLiteral("no table")) {
        path = makeWordDatabase(folder, QStringLiteral("dbData.mdb"),
                                {QStringLiteral("DROP TABLE tbWords")});
    }
    FakeCountingWindow view;
    view.sites = {"site1", "site2"};
    FakePageSource pages;
    pages.texts = {{"site1", "a"}, {"site2", "b"}};
    RecordingSink sink;
    run(Engine::Database, view, pages, path);
    QCOMPARE(sink.reports.size(), 1);
    QVERIFY2(sink.descriptions()[0].contains(expected), qPrintable(sink.descriptions()[0]));
    QVERIFY2(sink.descriptions()[0].contains(path), qPrintable(sink.descriptions()[0]));
    QCOMPARE(sink.lines(), QList<int>{100});
    QVERIFY(pages.calls.isEmpty());
    QVERIFY(view.rows.isEmpty());
    QVERIFY(view.captions.isEmpty());
}

void TestEngines::databaseInUseIsLeftAlone()
{
    // Another program's run holds the database: this run says so and leaves the table as it is.
    {
        Database db;
        db.open(m_database);
        db.exec(QStringLiteral("INSERT INTO tbWords VALUES ('theirs')"));
    }
    QLockFile other(m_database + QStringLiteral(".lock"));
    QVERIFY(other.tryLock(0));
    FakeCountingWindow view;
    view.sites = {"site1"};
    FakePageSource pages;
    pages.texts["site1"] = "mine";
    RecordingSink sink;
    run(Engine::Database, view, pages);
    QCOMPARE(sink.reports.size(), 1);
    QVERIFY2(sink.descriptions()[0].contains("in use by another counting run"),
             qPrintable(sink.descriptions()[0]));
    QCOMPARE(storedWords(m_database), QStringList{"theirs"});
    QVERIFY(view.rows.isEmpty());

    // Once that run is over, the database is free again.
    other.unlock();
    run(Engine::Database, view, pages);
    QCOMPARE(sink.reports.size(), 1);
    QCOMPARE(view.rowTexts(), QStringList{"mine|1"});
    QVERIFY(!QFile::exists(m_database + QStringLiteral(".lock")));
}

void TestEngines::tableThatCannotBeEmptiedStopsTheRun()
{
    // Words left in the table would be counted as this run's words.
    const QString path = makeWordDatabase(
        m_dir.path() + QStringLiteral("/stuck%1").arg(m_serial), QStringLiteral("dbData.mdb"),
        {QStringLiteral("INSERT INTO tbWords VALUES ('stale')"),
         QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON tbWords "
                        "BEGIN SELECT RAISE(FAIL, 'rows are kept'); END")});
    FakeCountingWindow view;
    view.sites = {"site1"};
    FakePageSource pages;
    pages.texts["site1"] = "fresh";
    RecordingSink sink;
    run(Engine::Database, view, pages, path);
    QCOMPARE(sink.lines(), QList<int>{102});
    QVERIFY2(sink.descriptions()[0].contains("rows are kept"), qPrintable(sink.reports[0]));
    QVERIFY(view.rows.isEmpty());
    QVERIFY(pages.calls.isEmpty());
}

TV_TEST_MAIN(TestEngines, QCoreApplication)
#include "test_engines.moc"
