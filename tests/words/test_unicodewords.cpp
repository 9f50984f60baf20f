// The word rules through the tokenizer: the Unicode rule's cases (apostrophes, hyphens, numbers,
// the punctuation of other scripts, Chinese, Japanese and Thai, case folding), and the classic
// rule left as it was.
#include "support/testenv.h"
#include "words/casefold.h"
#include "words/tokenizer.h"

#include <QCoreApplication>

using namespace tv;

namespace {

QStringList wordsOf(const QString& text, WordRule rule, bool ignoreCase)
{
    TokenizerOptions options;
    options.rule = rule;
    options.ignoreCase = ignoreCase;
    Tokenizer tokenizer(options);
    QStringList words;
    tokenizer.forEachWord(text, [&](QStringView word) { words << word.toString(); });
    return words;
}

} // namespace

class TestUnicodeWords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void unicodeRule_data();
    void unicodeRule();
    void classicRule_data();
    void classicRule();
    void caseChoiceAppliesFromTheNextWord_data();
    void caseChoiceAppliesFromTheNextWord();
    void longTextKeepsEveryWord();
    void foldCase_data();
    void foldCase();
};

void TestUnicodeWords::unicodeRule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QStringList>("expected");
    const auto row = [](const char* name, const QString& text, bool ignoreCase,
                        const QStringList& expected) {
        QTest::newRow(name) << text << ignoreCase << expected;
    };
    const QString apostrophe = QStringLiteral("don't");

    row("typewriter apostrophe", "don't", false, {apostrophe});
    row("typographic apostrophe becomes the typewriter one", QStringLiteral("don\u2019t"), false,
        {apostrophe});
    row("both apostrophes are one word", QStringLiteral("Don't don\u2019t"), true,
        {apostrophe, apostrophe});
    row("apostrophes at the ends go", QStringLiteral("dogs' 'tis \u2018quoted\u2019"), false,
        {"dogs", "tis", "quoted"});
    row("French elision stays one word", QStringLiteral("l\u2019homme"), false, {"l'homme"});
    row("hyphen inside", "e-mail well-known state-of-the-art", false,
        {"e-mail", "well-known", "state-of-the-art"});
    row("typographic hyphens become the plain one", QStringLiteral("e\u2010mail e\u2011mail"),
        false, {"e-mail", "e-mail"});
    row("hyphens that join nothing", "a - b a--b -flag end- --", false,
        {"a", "b", "a", "b", "flag", "end"});
    row("dashes separate", QStringLiteral("1990\u20132000 yes\u2014no"), false,
        {"1990", "2000", "yes", "no"});
    row("numbers", "3.14 1,000 42 v2.0 2024-05-01", false,
        {"3.14", "1,000", "42", "v2.0", "2024-05-01"});
    row("signs and symbols are not words", "$5 +7 100% C++", false, {"5", "7", "100", "C"});
    row("curly double quotes", QStringLiteral("\u201Cquoted\u201D quoted"), false,
        {"quoted", "quoted"});
    row("inverted question mark", QStringLiteral("\u00BFQu\u00E9 pasa?"), false,
        {QStringLiteral("Qu\u00E9"), "pasa"});
    row("inverted question mark, case ignored", QStringLiteral("\u00BFQU\u00C9 pasa?"), true,
        {QStringLiteral("qu\u00E9"), "pasa"});
    row("ellipsis", QStringLiteral("wait\u2026 what \u2026"), false, {"wait", "what"});
    row("guillemets", QStringLiteral("\u00AB\u00A0Bonjour\u00A0\u00BB"), false, {"Bonjour"});
    row("connector punctuation at the ends", "__init__ snake_case", false, {"init", "snake_case"});
    row("full stops inside stay, at the end go", "U.S.A. e.g.", false, {"U.S.A", "e.g"});
    row("soft hyphen vanishes", QStringLiteral("co\u00ADoperate"), false, {"cooperate"});
    row("narrow no-break space separates", QStringLiteral("10\u202F000"), false, {"10", "000"});
    row("pictographs are not words", QStringLiteral("I \u2764 NY \U0001F600"), false, {"I", "NY"});
    row("Chinese by dictionary", QStringLiteral("我们是学生。"), false,
        {QStringLiteral("我们"), QStringLiteral("是"), QStringLiteral("学生")});
    row("Japanese by dictionary", QStringLiteral("日本語のテキストを読む"), false,
        {QStringLiteral("日本語"), QStringLiteral("の"), QStringLiteral("テキスト"),
         QStringLiteral("を"), QStringLiteral("読む")});
    row("Thai by dictionary", QStringLiteral("สวัสดีครับ ผมชื่อสมชาย"), false,
        {QStringLiteral("สวัสดี"), QStringLiteral("ครับ"), QStringLiteral("ผม"), QStringLiteral("ชื่อ"),
         QStringLiteral("สมชาย")});
    row("Arabic", QStringLiteral("مرحبا بالعالم!"), false,
        {QStringLiteral("مرحبا"), QStringLiteral("بالعالم")});
    row("sharp s, case kept", QStringLiteral("Stra\u00DFe STRASSE"), false,
        {QStringLiteral("Stra\u00DFe"), "STRASSE"});
    row("sharp s folds to ss", QStringLiteral("Stra\u00DFe STRASSE strasse STRA\u1E9EE"), true,
        {"strasse", "strasse", "strasse", "strasse"});
    // Folding does not know the language: the capital dotted I keeps its dot as a combining
    // mark, and the capital I without a dot becomes a plain i.
    row("Turkish capital dotted I", QStringLiteral("\u0130stanbul \u0130STANBUL"), true,
        {QStringLiteral("i\u0307stanbul"), QStringLiteral("i\u0307stanbul")});
    row("Turkish dotless i stays", QStringLiteral("ISPARTA KIRIK k\u0131r\u0131k"), true,
        {"isparta", "kirik", QStringLiteral("k\u0131r\u0131k")});
    row("Greek final sigma folds",
        QStringLiteral("\u039F\u0394\u039F\u03A3 \u03BF\u03B4\u03BF\u03C2"), true,
        {QStringLiteral("\u03BF\u03B4\u03BF\u03C3"), QStringLiteral("\u03BF\u03B4\u03BF\u03C3")});
    row("tabs and line ends separate", "one\ttwo\nthree\r\nfour\rfive", false,
        {"one", "two", "three", "four", "five"});
    row("empty", "", false, {});
    row("only punctuation", QStringLiteral("... \u2014 \u00BF? !!"), false, {});
}

void TestUnicodeWords::unicodeRule()
{
    QFETCH(QString, text);
    QFETCH(bool, ignoreCase);
    QFETCH(QStringList, expected);
    QCOMPARE(wordsOf(text, WordRule::Unicode, ignoreCase), expected);
}

void TestUnicodeWords::classicRule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("ASCII punctuation removed everywhere")
        << "don't e-mail U.S.A. ---" << false << QStringList{"dont", "email", "USA"};
    QTest::newRow("other punctuation stays")
        << QStringLiteral("don\u2019t \u201Cquoted\u201D \u00BFQu\u00E9 wait\u2026") << false
        << QStringList{QStringLiteral("don\u2019t"), QStringLiteral("\u201Cquoted\u201D"),
                       QStringLiteral("\u00BFQu\u00E9"), QStringLiteral("wait\u2026")};
    QTest::newRow("lower-cased, not folded")
        << QStringLiteral("Stra\u00DFe STRASSE The") << true
        << QStringList{QStringLiteral("stra\u00DFe"), "strasse", "the"};
    QTest::newRow("no dictionary")
        << QStringLiteral("我们是学生。") << false << QStringList{QStringLiteral("我们是学生。")};
    QTest::newRow("tabs and line ends separate")
        << "one\ttwo\nthree\r\nfour\rfive" << false
        << QStringList{"one", "two", "three", "four", "five"};
}

void TestUnicodeWords::classicRule()
{
    QFETCH(QString, text);
    QFETCH(bool, ignoreCase);
    QFETCH(QStringList, expected);
    QCOMPARE(wordsOf(text, WordRule::Classic, ignoreCase), expected);
}

void TestUnicodeWords::caseChoiceAppliesFromTheNextWord_data()
{
    QTest::addColumn<int>("rule");
    QTest::newRow("classic") << int(WordRule::Classic);
    QTest::newRow("unicode") << int(WordRule::Unicode);
}

void TestUnicodeWords::caseChoiceAppliesFromTheNextWord()
{
    QFETCH(int, rule);
    TokenizerOptions options;
    options.rule = WordRule(rule);
    Tokenizer tokenizer(options);
    QStringList words;
    // The engines read "Ignore letter case" afresh for every word.
    tokenizer.forEachWord(u"One Two Three", [&](QStringView word) {
        words << word.toString();
        tokenizer.setIgnoreCase(!tokenizer.ignoreCase());
    });
    QCOMPARE(words, (QStringList{"One", "two", "Three"}));
}

void TestUnicodeWords::longTextKeepsEveryWord()
{
    // ICU sees a long page a window at a time; no word may be lost or cut where one ends.
    QString text;
    const QString line = QStringLiteral("alpha e-mail 3.14 don\u2019t 我们是学生 omega\n");
    const int lines = 40000; // past two windows
    for (int i = 0; i < lines; ++i)
        text += line;
    QStringList words;
    TokenizerOptions options;
    options.rule = WordRule::Unicode;
    Tokenizer tokenizer(options);
    qsizetype count = 0;
    QStringList first;
    tokenizer.forEachWord(text, [&](QStringView word) {
        if (count < 8)
            first << word.toString();
        ++count;
    });
    const QStringList expected{"alpha",
                               "e-mail",
                               "3.14",
                               "don't",
                               QStringLiteral("我们"),
                               QStringLiteral("是"),
                               QStringLiteral("学生"),
                               "omega"};
    QCOMPARE(first, expected);
    QCOMPARE(count, qsizetype(lines) * expected.size());

    // A page with no blank at all is cut where a window ends, but never inside a surrogate pair.
    // The "x" puts every pair one place off the window's even length.
    const QString letters = u'x' + QString(QStringLiteral("\U00010400")).repeated(700000);
    QStringList pieces;
    tokenizer.setIgnoreCase(true);
    tokenizer.forEachWord(letters, [&](QStringView word) { pieces << word.toString(); });
    QCOMPARE(pieces.size(), 2);
    for (const QString& piece : pieces)
        QVERIFY(piece.isValidUtf16());
    QCOMPARE(pieces.join(QString()), u'x' + QString(QStringLiteral("\U00010428")).repeated(700000));
}

void TestUnicodeWords::foldCase_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("expected");
    QTest::newRow("lower-case ASCII") << "plain"
                                      << "plain";
    QTest::newRow("upper-case ASCII") << "PLAIN"
                                      << "plain";
    QTest::newRow("sharp s") << QStringLiteral("Stra\u00DFe") << "strasse";
    QTest::newRow("ligature") << QStringLiteral("\uFB01ne") << "fine";
    QTest::newRow("outside the BMP")
        << QStringLiteral("\U00010400") << QStringLiteral("\U00010428");
}

void TestUnicodeWords::foldCase()
{
    QFETCH(QString, word);
    QFETCH(QString, expected);
    QCOMPARE(tv::foldCase(word), expected);
}

TV_TEST_MAIN(TestUnicodeWords, QCoreApplication)
#include "test_unicodewords.moc"
