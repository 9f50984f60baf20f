// Word analysis inside a count: both engines split pages with the analysis's splitter, keep each
// page apart from the next, and the rows after the count get their shares, pages and filters.
#include "count/databasemethod.h"
#include "count/fakecount.h"
#include "count/textmethod.h"
#include "results/countedrows.h"
#include "support/testenv.h"
#include "support/worddatabase.h"
#include "words/analysedrows.h"
#include "words/countsplitter.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace tv;
using namespace tv::test;

namespace {

enum class Engine { Text, Database };

// The texts as pages "/1", "/2", ... counted by one engine with the analysis's splitter.
struct AnalysedCount {
    FakeCountingWindow window;
    std::unique_ptr<CountSplitter> splitter;
    CountSummary summary;
};

void runCount(AnalysedCount& count, Engine engine, const QStringList& texts,
              const AnalysisOptions& options, bool perSite, bool ignoreCase,
              const QString& database)
{
    FakePageSource pages;
    for (int i = 0; i < texts.size(); ++i) {
        const QString address = u'/' + QString::number(i + 1);
        count.window.sites << address;
        pages.texts.insert(address, texts[i]);
    }
    count.window.perSite = perSite;
    count.window.combined = !perSite;
    count.window.ignoreCaseValue = ignoreCase;
    CountRequest request = count.window.request();
    count.splitter =
        std::make_unique<CountSplitter>(options, request.sites, engine == Engine::Database);
    request.splitter = count.splitter.get();
    count.summary = engine == Engine::Text
                        ? countWithTextMethod(request, pages, count.window)
                        : countWithDatabaseMethod(request, pages, count.window, database);
}

// The rows the count showed, every word once with its count, in the count's order.
QStringList rowsOf(const FakeCountingWindow& window)
{
    return window.rowTexts();
}

// The words expected, as the rows a count of them shows: least frequent first, equal counts by
// the words' code units.
QStringList expectedRows(const QStringList& words)
{
    QMap<QString, int> counts;
    for (const QString& w : words)
        ++counts[w];
    QList<std::pair<int, QString>> keyed;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        keyed.append({it.value(), it.key()});
    std::stable_sort(keyed.begin(), keyed.end());
    QStringList rows;
    for (const auto& [n, w] : keyed)
        rows << w + u'|' + QString::number(n);
    return rows;
}

// The rows of a finished fake count as the command line keeps them.
CountedRows countedRows(const FakeCountingWindow& window, std::vector<int>& starts)
{
    CountedRows counted(window.perSite);
    QString lastSite;
    for (const QStringList& row : window.rows) {
        if (counted.rows() == 0 || (window.perSite && row[0] != lastSite))
            starts.push_back(counted.rows());
        lastSite = row[0];
        counted.add({row[0], row[1], row[2].toLongLong()});
    }
    return counted;
}

QStringList cellsOf(const ResultRows& rows)
{
    QStringList lines;
    for (int r = 1; r <= rows.rows(); ++r) {
        QStringList cells;
        for (int c = 1; c <= rows.columns(); ++c)
            cells << rows.cell(r, c);
        lines << cells.join(u'|');
    }
    return lines;
}

} // namespace

Q_DECLARE_METATYPE(Engine)

class TestAnalysedCount : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_serial = 0;

    QString database()
    {
        return makeWordDatabase(m_dir.path(), QStringLiteral("db%1.mdb").arg(++m_serial));
    }

    static void addEngines()
    {
        QTest::addColumn<Engine>("engine");
        QTest::newRow("text method") << Engine::Text;
        QTest::newRow("database method") << Engine::Database;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // The Unicode rule's cases as pages of a count: both engines count what the rule makes.
    void unicodeRuleInBothEngines_data()
    {
        QTest::addColumn<Engine>("engine");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<QStringList>("words");
        for (const auto& [name, engine] :
             {std::pair{"text", Engine::Text}, std::pair{"database", Engine::Database}}) {
            const auto row = [&](const char* what, const QString& text, bool ignoreCase,
                                 const QStringList& words) {
                QTest::addRow("%s, %s", name, what) << engine << text << ignoreCase << words;
            };
            row("apostrophes both ways", QStringLiteral("Don't don\u2019t"), true,
                {"don't", "don't"});
            row("hyphens and numbers", "e-mail 3.14 1,000", false, {"e-mail", "3.14", "1,000"});
            row("curly quotes, inverted question mark, ellipsis",
                QStringLiteral("\u201Cquoted\u201D quoted \u00BFQu\u00E9? wait\u2026"), false,
                {"quoted", "quoted", QStringLiteral("Qu\u00E9"), "wait"});
            row("Chinese", QStringLiteral("我们是学生。"), false,
                {QStringLiteral("我们"), QStringLiteral("是"), QStringLiteral("学生")});
            row("Thai", QStringLiteral("สวัสดีครับ"), false,
                {QStringLiteral("สวัสดี"), QStringLiteral("ครับ")});
            row("sharp s folded", QStringLiteral("Stra\u00DFe STRASSE"), true,
                {"strasse", "strasse"});
            row("Turkish dotted I folded", QStringLiteral("\u0130stanbul"), true,
                {QStringLiteral("i\u0307stanbul")});
        }
    }
    void unicodeRuleInBothEngines()
    {
        QFETCH(Engine, engine);
        QFETCH(QString, text);
        QFETCH(bool, ignoreCase);
        QFETCH(QStringList, words);
        AnalysisOptions options;
        options.rule = WordRule::Unicode;
        AnalysedCount count;
        runCount(count, engine, {text}, options, false, ignoreCase, database());
        QVERIFY(count.summary.total);
        QCOMPARE(*count.summary.total, words.size());
        QCOMPARE(rowsOf(count.window), expectedRows(words));
    }

    // Phrases end at a line end, at a table cell (a tab) and at a page's end, in both engines.
    void phrasesStayWithinALine_data() { addEngines(); }
    void phrasesStayWithinALine()
    {
        QFETCH(Engine, engine);
        AnalysisOptions options;
        options.phraseLength = 2;
        AnalysedCount count;
        runCount(count, engine, {"red apple\tgreen pear\nsweet cake", "shop window"}, options,
                 false, false, database());
        QCOMPARE(rowsOf(count.window),
                 QStringList({"green pear|1", "red apple|1", "shop window|1", "sweet cake|1"}));
    }

    // Stop words are matched after cleaning, under the count's letter-case choice, and break
    // phrases.
    void stopWordsBreakPhrases_data() { addEngines(); }
    void stopWordsBreakPhrases()
    {
        QFETCH(Engine, engine);
        AnalysisOptions options;
        options.phraseLength = 2;
        options.stopWords = StopList::fromText("the\nof\n", QStringLiteral("list"));
        AnalysedCount count;
        runCount(count, engine, {"The cat of the house, black cat."}, options, false, true,
                 database());
        QCOMPARE(rowsOf(count.window), QStringList({"black cat|1", "house black|1"}));
    }

    // Two pages worked out by hand: 6 words, "the" 3 times on both pages, the others once.
    void sharesAndPagesByHand_data() { addEngines(); }
    void sharesAndPagesByHand()
    {
        QFETCH(Engine, engine);
        AnalysisOptions options;
        options.withShare = true;
        options.withPages = true;
        AnalysedCount count;
        runCount(count, engine, {"the cat the dog", "The bird"}, options, false, true, database());
        std::vector<int> starts;
        const CountedRows counted = countedRows(count.window, starts);
        AnalysedRows rows(counted, starts, options, count.splitter->pages());
        QCOMPARE(rows.columns(), 4);
        QCOMPARE(rows.caption(3), QStringLiteral("Share"));
        QCOMPARE(rows.caption(4), QStringLiteral("Pages"));
        QCOMPARE(cellsOf(rows), QStringList({"bird|1|16.67|1", "cat|1|16.67|1", "dog|1|16.67|1",
                                             "the|3|50.00|2"}));
        QCOMPARE(rows.figures().total, 6);
        QCOMPARE(rows.figures().distinct, 4);
        QCOMPARE(rows.extraColumnNames(), QStringList({"share", "pages"}));
        QCOMPARE(count.splitter->pages().size(), size_t(2));
        QCOMPARE(count.splitter->pages()[1].name, QStringLiteral("/2"));
    }

    // In a per-site count every site's rows are a count of their own: shares and the top rows
    // are worked out per count.
    void perSiteCountsStandApart()
    {
        AnalysisOptions options;
        options.withShare = true;
        options.filters.top = 1;
        AnalysedCount count;
        runCount(count, Engine::Text, {"a a b", "c d"}, options, true, false, database());
        std::vector<int> starts;
        const CountedRows counted = countedRows(count.window, starts);
        AnalysedRows rows(counted, starts, options, {});
        QCOMPARE(cellsOf(rows), QStringList({"/1|a|2|66.67", "/2|c|1|50.00"}));
        QCOMPARE(rows.figures().total, 5);
    }
};

TV_TEST_MAIN(TestAnalysedCount, QCoreApplication)
#include "test_analysedcount.moc"
