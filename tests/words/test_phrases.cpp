// Phrases of two and three words: within one line of the rendered text, never across a line
// break, a table cell, a stop word or a page.
#include "fetch/renderedtext.h"
#include "platform/guard.h"
#include "support/testenv.h"
#include "words/tokenizer.h"

#include <QCoreApplication>

using namespace tv;

namespace {

const QByteArray kPage = "<p>The quick brown fox</p>"
                         "<table><tr><td>big green pear</td><td>ripe red plum</td></tr>"
                         "<tr><td>sweet dark fig</td></tr></table>"
                         "<p>one two<br>three four five</p>";

QStringList phrasesOf(const QStringList& pages, WordRule rule, int length, bool ignoreCase = false,
                      const StopList& stops = {})
{
    TokenizerOptions options;
    options.rule = rule;
    options.phraseLength = length;
    options.ignoreCase = ignoreCase;
    options.stopWords = stops;
    Tokenizer tokenizer(options);
    QStringList phrases;
    for (const QString& page : pages)
        tokenizer.forEachWord(page, [&](QStringView phrase) { phrases << phrase.toString(); });
    return phrases;
}

} // namespace

class TestPhrases : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void renderedPage_data();
    void renderedPage();
    void withinOneLine_data();
    void withinOneLine();
    void pagesNeverJoin_data();
    void pagesNeverJoin();
    void phraseLengthIsChecked();
};

void TestPhrases::renderedPage_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<int>("length");
    QTest::addColumn<QStringList>("expected");
    for (const WordRule rule : {WordRule::Classic, WordRule::Unicode}) {
        const QByteArray name = rule == WordRule::Classic ? "classic" : "unicode";
        QTest::newRow(name + ", two words")
            << int(rule) << 2
            << QStringList{"The quick",  "quick brown", "brown fox",  "big green",
                           "green pear", "ripe red",    "red plum",   "sweet dark",
                           "dark fig",   "one two",     "three four", "four five"};
        QTest::newRow(name + ", three words")
            << int(rule) << 3
            << QStringList{"The quick brown", "quick brown fox", "big green pear",
                           "ripe red plum",   "sweet dark fig",  "three four five"};
        QTest::newRow(name + ", single words")
            << int(rule) << 1
            << QString("The quick brown fox big green pear ripe red plum sweet dark fig one two "
                       "three four five")
                   .split(u' ');
    }
}

void TestPhrases::renderedPage()
{
    QFETCH(int, rule);
    QFETCH(int, length);
    QFETCH(QStringList, expected);
    // A cell is followed by a tab, a row by a line feed, a paragraph by a blank line.
    const QString text = renderedText(kPage);
    QCOMPARE(text, QStringLiteral("The quick brown fox\n\nbig green pear\tripe red plum\n"
                                  "sweet dark fig\n\none two\nthree four five"));
    QCOMPARE(phrasesOf({text}, WordRule(rule), length), expected);
}

void TestPhrases::withinOneLine_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QString>("stops");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    for (const WordRule rule : {WordRule::Classic, WordRule::Unicode}) {
        const QByteArray name = rule == WordRule::Classic ? "classic" : "unicode";
        QTest::newRow(name + ", stop words break phrases")
            << int(rule) << true << "english"
            << "The quick fox jumps over the lazy dog"
            << QStringList{"quick fox", "fox jumps", "lazy dog"};
        QTest::newRow(name + ", punctuation alone does not")
            << int(rule) << true << ""
            << "Alpha -- beta. Gamma" << QStringList{"alpha beta", "beta gamma"};
        QTest::newRow(name + ", carriage return and tab")
            << int(rule) << false << ""
            << "a b\rc d\te f\r\ng h" << QStringList{"a b", "c d", "e f", "g h"};
        QTest::newRow(name + ", blanks between cells") << int(rule) << false << ""
                                                       << "a b \t c d" << QStringList{"a b", "c d"};
    }
    QTest::newRow("unicode, line separator")
        << int(WordRule::Unicode) << false << "" << QStringLiteral("a b\u2028c d")
        << QStringList{"a b", "c d"};
    QTest::newRow("unicode, dictionary words")
        << int(WordRule::Unicode) << false << "" << QStringLiteral("我们是学生")
        << QStringList{QStringLiteral("我们 是"), QStringLiteral("是 学生")};
    QTest::newRow("unicode, folded words")
        << int(WordRule::Unicode) << true << ""
        << QStringLiteral("Gro\u00DFe \u201CStra\u00DFe\u201D") << QStringList{"grosse strasse"};
}

void TestPhrases::withinOneLine()
{
    QFETCH(int, rule);
    QFETCH(bool, ignoreCase);
    QFETCH(QString, stops);
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    const StopList list = stops.isEmpty() ? StopList() : StopList::builtin(stops);
    QCOMPARE(phrasesOf({text}, WordRule(rule), 2, ignoreCase, list), expected);
}

void TestPhrases::pagesNeverJoin_data()
{
    QTest::addColumn<int>("rule");
    QTest::newRow("classic") << int(WordRule::Classic);
    QTest::newRow("unicode") << int(WordRule::Unicode);
}

void TestPhrases::pagesNeverJoin()
{
    QFETCH(int, rule);
    QCOMPARE(phrasesOf({"one two three", "four five"}, WordRule(rule), 2),
             (QStringList{"one two", "two three", "four five"}));
    QCOMPARE(phrasesOf({"one two", "three four"}, WordRule(rule), 3), QStringList());
}

void TestPhrases::phraseLengthIsChecked()
{
    for (const int length : {0, 4, -1}) {
        TokenizerOptions options;
        options.phraseLength = length;
        QVERIFY_THROWS_EXCEPTION(Failure, Tokenizer{options});
    }
}

TV_TEST_MAIN(TestPhrases, QCoreApplication)
#include "test_phrases.moc"
