// The concordance of a word over the texts a run kept: found by the run's rule, with the context
// of its line on either side, sorted by the words beside it, and printed as tab-separated lines.
#include "cli/concordancetext.h"
#include "keep/concordance.h"
#include "keep/keptstore.h"
#include "platform/guard.h"

#include <QTest>

using namespace tv;

namespace {

FetchedPage readPage(const QString& address, const QString& text)
{
    FetchedPage page;
    page.outcome = FetchedPage::Outcome::Read;
    page.address = address;
    page.url = QStringLiteral("http://") + address + u'/';
    page.text = text;
    return page;
}

QStringList lineTexts(const QList<ConcordanceLine>& lines)
{
    QStringList texts;
    for (const ConcordanceLine& line : lines)
        texts << line.address + u'|' + line.left + u'|' + line.match + u'|' + line.right;
    return texts;
}

// Two pages counted with letter case ignored, by the program's own rule.
int keepTwoPages(KeptTexts& store, const KeptRule& rule = {})
{
    const int run = store.beginRun(rule);
    store.keep(run, 1,
               readPage(QStringLiteral("one.example"),
                        QStringLiteral("Cat sat on the mat.\nThe black cat\nno cats here")),
               11, true);
    store.keep(
        run, 2,
        readPage(QStringLiteral("two.example"), QStringLiteral("cat\tfood for the cat's bowl")), 6,
        true);
    return run;
}

} // namespace

class TestConcordance : public QObject {
    Q_OBJECT
private slots:
    void linesOfTwoPages_data();
    void linesOfTwoPages();
    void onlyTheSitesAskedFor();
    void unicodeRuleFindsWordsAsCounted();
    void notAWord_data();
    void notAWord();
    void sortsByTheWordsBeside_data();
    void sortsByTheWordsBeside();
    void printedAsTabSeparatedLines();
};

void TestConcordance::linesOfTwoPages_data()
{
    QTest::addColumn<QString>("words");
    QTest::addColumn<int>("width");
    QTest::addColumn<QStringList>("expected");
    const QStringList cat = {
        QStringLiteral("one.example||Cat| sat on the mat."),
        QStringLiteral("one.example|The black |cat|"),
        QStringLiteral("two.example||cat|\tfood for the cat's bowl"),
    };
    QTest::newRow("at the start and end of a line") << QStringLiteral("cat") << 40 << cat;
    QTest::newRow("written in capitals") << QStringLiteral("CAT") << 40 << cat;
    QTest::newRow("narrow context") << QStringLiteral("cat") << 4
                                    << QStringList{QStringLiteral("one.example||Cat| sat"),
                                                   QStringLiteral("one.example|ack |cat|"),
                                                   QStringLiteral("two.example||cat|\tfoo")};
    QTest::newRow("no context") << QStringLiteral("the") << 0
                                << QStringList{QStringLiteral("one.example||the|"),
                                               QStringLiteral("one.example||The|"),
                                               QStringLiteral("two.example||the|")};
    QTest::newRow("cleaned as the count cleans it")
        << QStringLiteral("cat's") << 40
        << QStringList{QStringLiteral("one.example|no |cats| here"),
                       QStringLiteral("two.example|cat\tfood for the |cat's| bowl")};
    QTest::newRow("phrase") << QStringLiteral("black cat") << 40
                            << QStringList{QStringLiteral("one.example|The |black cat|")};
    QTest::newRow("no phrase across a line end")
        << QStringLiteral("mat the") << 40 << QStringList{};
    QTest::newRow("no phrase across a table cell")
        << QStringLiteral("cat food") << 40 << QStringList{};
}

void TestConcordance::linesOfTwoPages()
{
    QFETCH(QString, words);
    QFETCH(int, width);
    QFETCH(QStringList, expected);
    KeptTexts store;
    const int run = keepTwoPages(store);
    const Concordance found = findConcordance(store, run, words, width);
    QCOMPARE(lineTexts(found.lines), expected);
    QCOMPARE(found.pagesNotKept, 0);
}

void TestConcordance::onlyTheSitesAskedFor()
{
    KeptTexts store;
    const int run = keepTwoPages(store);
    const Concordance found =
        findConcordance(store, run, QStringLiteral("cat"), 40, QStringLiteral("two.example"));
    QCOMPARE(found.lines.size(), 1);
    QCOMPARE(found.lines[0].site, 2);
    QCOMPARE(found.lines[0].offset, 0);
}

void TestConcordance::unicodeRuleFindsWordsAsCounted()
{
    KeptTexts store;
    KeptRule rule;
    rule.rule = WordRule::Unicode;
    const int run = store.beginRun(rule);
    store.keep(run, 1,
               readPage(QStringLiteral("u.example"),
                        QStringLiteral("Don\u2019t stop. Don't \u00abstop\u00bb! \u00bfQu\u00e9?")),
               5, true);
    QCOMPARE(lineTexts(findConcordance(store, run, QStringLiteral("don't"), 8).lines),
             (QStringList{QStringLiteral("u.example||Don\u2019t| stop. D"),
                          QStringLiteral("u.example|t stop. |Don't| \u00abstop\u00bb!")}));
    QCOMPARE(lineTexts(findConcordance(store, run, QStringLiteral("stop"), 3).lines),
             (QStringList{QStringLiteral("u.example|\u2019t |stop|. D"),
                          QStringLiteral("u.example|t \u00ab|stop|\u00bb! ")}));
    QCOMPARE(findConcordance(store, run, QStringLiteral("QU\u00c9")).lines.size(), 1);
}

void TestConcordance::notAWord_data()
{
    QTest::addColumn<QString>("words");
    QTest::newRow("punctuation only") << QStringLiteral("...");
    QTest::newRow("blank") << QStringLiteral(" ");
    QTest::newRow("four words") << QStringLiteral("the cat sat down");
}

void TestConcordance::notAWord()
{
    QFETCH(QString, words);
    KeptTexts store;
    const int run = keepTwoPages(store);
    QVERIFY_THROWS_EXCEPTION(Failure, findConcordance(store, run, words));
}

void TestConcordance::sortsByTheWordsBeside_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<QList<int>>("lines"); // by their place in the text
    QTest::newRow("text") << int(ConcordanceOrder::Text) << QList<int>{0, 1, 2, 3};
    QTest::newRow("word to the left") << int(ConcordanceOrder::Left) << QList<int>{3, 2, 1, 0};
    QTest::newRow("word to the right") << int(ConcordanceOrder::Right) << QList<int>{1, 2, 0, 3};
}

void TestConcordance::sortsByTheWordsBeside()
{
    QFETCH(int, order);
    QFETCH(QList<int>, lines);
    KeptTexts store;
    const int run = store.beginRun({});
    // Neighbours in mixed letter case: the order does not care.
    store.keep(run, 1,
               readPage(QStringLiteral("s"), QStringLiteral("big zebra cat cherry\nYak cat Apple\n"
                                                            "an xenon cat banana\nwater cat dog")),
               12, true);
    Concordance found = findConcordance(store, run, QStringLiteral("cat"));
    const QList<ConcordanceLine> inText = found.lines;
    sortConcordance(found.lines, ConcordanceOrder::Right);
    sortConcordance(found.lines, ConcordanceOrder(order));
    QCOMPARE(found.lines.size(), lines.size());
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(found.lines[i].offset, inText[lines[i]].offset);
}

void TestConcordance::printedAsTabSeparatedLines()
{
    KeptTexts store;
    const int run = keepTwoPages(store);
    const Concordance found = findConcordance(store, run, QStringLiteral("cat"), 9);
    QCOMPARE(concordanceText(found.lines), QStringLiteral("one.example\t\tCat\t sat on t\n"
                                                          "one.example\the black \tcat\t\n"
                                                          "two.example\t\tcat\t\\tfood for\n"));
}

QTEST_GUILESS_MAIN(TestConcordance)
#include "test_concordance.moc"
