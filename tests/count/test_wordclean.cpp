// Word cleaning, the text method's sort keys, the database method's stored words and the split
// of a page into lines and pieces.
#include "count/pagewords.h"
#include "count/sortkeys.h"
#include "count/wordclean.h"
#include "count/wordtable.h"
#include "platform/failure.h"
#include "support/testenv.h"

#include <QCoreApplication>

using namespace tv;

namespace {

// The cleaning rule's steps as they are written, one after the other: the reference that the
// counting methods' single pass over a piece is held to.

// The text with every blank (U+0020) removed; tabs and no-break spaces stay.
QString RemoveSpaces(QString text)
{
    text.remove(u' ');
    return text;
}

// The characters of `text` that are in `set` (keep) or not in it (drop), in text order.
QString FilterChars(const QString& text, const QString& set, bool keep)
{
    QString result;
    for (const QChar c : text) {
        if (set.contains(c) == keep)
            result.append(c);
    }
    return result;
}

// The 32 ASCII punctuation characters removed, group by group; `text` is set to the result too.
QString StripPunctuation(QString& text)
{
    for (const char16_t* group : {u"~`", u"!@#$%^&*()", u"_+-=", u"{}|[]\\", u";':\"", u"<>?,./"})
        text = FilterChars(text, QString::fromUtf16(group), false);
    return text;
}

} // namespace

class TestWordClean : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void removeSpaces_data();
    void removeSpaces();
    void stripPunctuation_data();
    void stripPunctuation();
    void stripPunctuationSetsItsArgument();
    void filterChars_data();
    void filterChars();
    void cleanWord_data();
    void cleanWord();
    void padCount_data();
    void padCount();
    void padCountRefusesKeysWithoutCount_data();
    void padCountRefusesKeysWithoutCount();
    void unpadCount_data();
    void unpadCount();
    void displayWord_data();
    void displayWord();
    void storedWord_data();
    void storedWord();
    void pieces_data();
    void pieces();
    void spaceSeparators_data();
    void spaceSeparators();
};

void TestWordClean::removeSpaces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("single and double blanks") << "a b  c"
                                              << "abc";
    QTest::newRow("tab stays") << "a\tb"
                               << "a\tb";
    QTest::newRow("no-break space stays")
        << QStringLiteral("a\u00A0b") << QStringLiteral("a\u00A0b");
    QTest::newRow("line feed stays") << "a\nb"
                                     << "a\nb";
    QTest::newRow("only blanks") << "   "
                                 << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestWordClean::removeSpaces()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(RemoveSpaces(text), expected);
}

void TestWordClean::stripPunctuation_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("apostrophe") << "don't"
                                << "dont";
    QTest::newRow("hyphen") << "e-mail"
                            << "email";
    QTest::newRow("full stops") << "U.S.A."
                                << "USA";
    QTest::newRow("only punctuation") << "..."
                                      << "";
    QTest::newRow("all 32") << QString::fromLatin1("~`!@#$%^&*()_+-={}|[]\\;':\"<>?,./") << "";
    QTest::newRow("letters between all 32")
        << QString::fromLatin1(
               "a~b`c!d@e#f$g%h^i&j*k(l)m_n+o-p=q{r}s|t[u]v\\w;x'y:z\"A<B>C?D,E.F/G")
        << "abcdefghijklmnopqrstuvwxyzABCDEFG";
    QTest::newRow("diaeresis unchanged")
        << QStringLiteral("na\u00EFve") << QStringLiteral("na\u00EFve");
    QTest::newRow("curly quotes unchanged")
        << QStringLiteral("\u201Cword\u201D") << QStringLiteral("\u201Cword\u201D");
    QTest::newRow("dashes and guillemets unchanged")
        << QStringLiteral("\u2013\u2014\u00AB\u00BB") << QStringLiteral("\u2013\u2014\u00AB\u00BB");
    QTest::newRow("digits and controls unchanged") << "1\x01"
                                                      "2"
                                                   << "1\x01"
                                                      "2";
    QTest::newRow("blank is no punctuation") << "a b"
                                             << "a b";
}

void TestWordClean::stripPunctuation()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QString variable = text;
    QCOMPARE(StripPunctuation(variable), expected);
}

void TestWordClean::stripPunctuationSetsItsArgument()
{
    QString variable = QStringLiteral("it's");
    const QString result = StripPunctuation(variable);
    QCOMPARE(variable, QStringLiteral("its"));
    QCOMPARE(result, variable);
}

void TestWordClean::filterChars_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("set");
    QTest::addColumn<bool>("keep");
    QTest::addColumn<QString>("expected");
    QTest::newRow("drop with empty set") << "abc"
                                         << "" << false << "abc";
    QTest::newRow("keep with empty set") << "abc"
                                         << "" << true << "";
    QTest::newRow("empty text") << ""
                                << "abc" << false << "";
    QTest::newRow("drop") << "a-b_c"
                          << "-_" << false << "abc";
    QTest::newRow("keep in text order") << "c-b_a"
                                        << "ab" << true << "ba";
    QTest::newRow("ordinal") << "aA"
                             << "a" << false << "A";
}

void TestWordClean::filterChars()
{
    QFETCH(QString, text);
    QFETCH(QString, set);
    QFETCH(bool, keep);
    QFETCH(QString, expected);
    QCOMPARE(FilterChars(text, set, keep), expected);
}

void TestWordClean::cleanWord_data()
{
    QTest::addColumn<QString>("piece");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain word") << "apple" << false << "apple";
    QTest::newRow("case kept") << "The" << false << "The";
    QTest::newRow("case ignored") << "THE" << true << "the";
    QTest::newRow("punctuation and case") << "Don't!" << true << "dont";
    QTest::newRow("only punctuation") << "---" << true << "";
    QTest::newRow("empty") << "" << false << "";
    QTest::newRow("non-ASCII lower-cased")
        << QStringLiteral("\u00C9T\u00C9") << true << QStringLiteral("\u00E9t\u00E9");
    QTest::newRow("non-ASCII kept")
        << QStringLiteral("\u00C9t\u00E9,") << false << QStringLiteral("\u00C9t\u00E9");
    QTest::newRow("dotted capital I")
        << QStringLiteral("\u0130") << true << QStringLiteral("\u0130").toLower();
    QTest::newRow("greek") << QStringLiteral("\u03A3\u039F\u03A3") << true
                           << QStringLiteral("\u03A3\u039F\u03A3").toLower();
    QTest::newRow("no-break space kept")
        << QStringLiteral("a\u00A0B") << true << QStringLiteral("a\u00A0b");
    QTest::newRow("underscore removed") << "My_Separator" << false << "MySeparator";
}

void TestWordClean::cleanWord()
{
    QFETCH(QString, piece);
    QFETCH(bool, ignoreCase);
    QFETCH(QString, expected);
    QCOMPARE(tv::cleanWord(piece, ignoreCase), expected);
    // The fast path gives what the three steps of the rule give one after the other.
    QString stepwise = RemoveSpaces(piece);
    StripPunctuation(stepwise);
    if (ignoreCase)
        stepwise = stepwise.toLower();
    QCOMPARE(tv::cleanWord(piece, ignoreCase), stepwise);
    QString buffer;
    QCOMPARE(cleanWordView(piece, ignoreCase, buffer).toString(), expected);
}

void TestWordClean::padCount_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two digits") << "12 word"
                                << "00000000012 word";
    QTest::newRow("one letter") << "1 a"
                                << "00000000001 a";
    QTest::newRow("leading zeros dropped first") << "007 bond"
                                                 << "00000000007 bond";
    QTest::newRow("largest count") << "2147483647 w"
                                   << "02147483647 w";
    QTest::newRow("rest kept from the first blank") << "5 a b"
                                                    << "00000000005 a b";
}

void TestWordClean::padCount()
{
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(tv::padCount(key), expected);
}

void TestWordClean::padCountRefusesKeysWithoutCount_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("description");
    QTest::newRow("no blank") << "12word"
                              << "Invalid procedure call or argument";
    QTest::newRow("empty count") << " word"
                                 << "Type mismatch";
    QTest::newRow("not a number") << "x word"
                                  << "Type mismatch";
    QTest::newRow("past 32 bits") << "2147483648 word"
                                  << "Overflow";
}

void TestWordClean::padCountRefusesKeysWithoutCount()
{
    QFETCH(QString, key);
    QFETCH(QString, description);
    try {
        tv::padCount(key);
        QFAIL("padCount accepted a key without a count");
    } catch (const Failure& failure) {
        QCOMPARE(failure.description(), description);
    }
}

void TestWordClean::unpadCount_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("padded key") << "00000000012 word"
                                << "12 word";
    QTest::newRow("all zeros") << "000"
                               << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("no zeros") << "12 word"
                              << "12 word";
}

void TestWordClean::unpadCount()
{
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(tv::unpadCount(key), expected);
}

void TestWordClean::displayWord_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("expected");
    QTest::newRow("inside") << "xnbspy"
                            << "x";
    QTest::newRow("alone") << "nbsp"
                           << "";
    QTest::newRow("at the start") << "nbspfoo"
                                  << "";
    QTest::newRow("capitals are no match") << "xNBSPy"
                                           << "xNBSPy";
    QTest::newRow("twice") << "anbspbnbspc"
                           << "a";
    QTest::newRow("none") << "word"
                          << "word";
}

void TestWordClean::displayWord()
{
    QFETCH(QString, word);
    QFETCH(QString, expected);
    QCOMPARE(tv::displayWord(word), expected);
}

void TestWordClean::storedWord_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "word"
                           << "word";
    QTest::newRow("double quote") << "a\"b"
                                  << "a'b";
    QTest::newRow("255 stay") << QString(255, u'w') << QString(255, u'w');
    QTest::newRow("300 cut to 255") << QString(300, u'w') << QString(255, u'w');
}

void TestWordClean::storedWord()
{
    QFETCH(QString, word);
    QFETCH(QString, expected);
    QCOMPARE(tv::storedWord(word), expected);
    QString buffer;
    QCOMPARE(storedWordView(word, buffer).toString(), expected);
}

void TestWordClean::pieces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected"); // "line.piece:text"
    QTest::newRow("blanks") << "a b" << QStringList{"1.1:a", "1.2:b"};
    QTest::newRow("two blanks give an empty piece")
        << "a  b" << QStringList{"1.1:a", "1.2:", "1.3:b"};
    QTest::newRow("tab separates") << "a\tb" << QStringList{"1.1:a", "1.2:b"};
    QTest::newRow("line feed") << "a\nb" << QStringList{"1.1:a", "2.1:b"};
    QTest::newRow("CR LF is one line end") << "a\r\nb" << QStringList{"1.1:a", "2.1:b"};
    QTest::newRow("lone CR ends a line") << "a\rb" << QStringList{"1.1:a", "2.1:b"};
    QTest::newRow("LF CR is two line ends") << "a\n\rb" << QStringList{"1.1:a", "2.1:", "3.1:b"};
    QTest::newRow("empty text") << "" << QStringList{"1.1:"};
    QTest::newRow("closing line feed") << "a\n" << QStringList{"1.1:a", "2.1:"};
    QTest::newRow("no-break space separates")
        << QStringLiteral("a\u00A0b") << QStringList{"1.1:a", "1.2:b"};
    QTest::newRow("no-break spaces and blanks mixed")
        << QStringLiteral("f(a,\u00A0b=1)\u00A0 c")
        << QStringList{"1.1:f(a,", "1.2:b=1)", "1.3:", "1.4:c"};
    QTest::newRow("table cells") << "Apple\t5\nPear\t7"
                                 << QStringList{"1.1:Apple", "1.2:5", "2.1:Pear", "2.2:7"};
}

void TestWordClean::pieces()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QStringList seen;
    forEachPiece(text, [&](QStringView piece, qsizetype line, qsizetype number) {
        seen << QString::number(line) + u'.' + QString::number(number) + u':' + piece.toString();
    });
    QCOMPARE(seen, expected);
    const qsizetype lastLine = expected.last().section(u'.', 0, 0).toLongLong();
    QCOMPARE(countLineEnds(text), lastLine - 1);
}

// Every Unicode space separator (category Zs) splits like a blank; characters that merely look
// like spaces or break lines in other ways (zero-width, joiners, line and paragraph separators)
// stay inside the word, as the rule names only blanks, tabs and line ends.
void TestWordClean::spaceSeparators_data()
{
    QTest::addColumn<char16_t>("character");
    QTest::addColumn<bool>("separates");
    const struct {
        const char* name;
        char16_t c;
    } separators[] = {
        {"U+00A0 no-break space", 0x00A0},
        {"U+1680 ogham space mark", 0x1680},
        {"U+2000 en quad", 0x2000},
        {"U+2001 em quad", 0x2001},
        {"U+2002 en space", 0x2002},
        {"U+2003 em space", 0x2003},
        {"U+2004 three-per-em space", 0x2004},
        {"U+2005 four-per-em space", 0x2005},
        {"U+2006 six-per-em space", 0x2006},
        {"U+2007 figure space", 0x2007},
        {"U+2008 punctuation space", 0x2008},
        {"U+2009 thin space", 0x2009},
        {"U+200A hair space", 0x200A},
        {"U+202F narrow no-break space", 0x202F},
        {"U+205F medium mathematical space", 0x205F},
        {"U+3000 ideographic space", 0x3000},
    };
    for (const auto& s : separators)
        QTest::newRow(s.name) << s.c << true;
    const struct {
        const char* name;
        char16_t c;
    } others[] = {
        {"U+200B zero width space stays", 0x200B},
        {"U+2060 word joiner stays", 0x2060},
        {"U+FEFF zero width no-break space stays", 0xFEFF},
        {"U+180E mongolian vowel separator stays", 0x180E},
        {"U+2028 line separator stays", 0x2028},
        {"U+0085 next line stays", 0x0085},
        {"U+00A1 inverted exclamation mark stays", 0x00A1},
        {"U+200C zero width non-joiner stays", 0x200C},
    };
    for (const auto& o : others)
        QTest::newRow(o.name) << o.c << false;
}

void TestWordClean::spaceSeparators()
{
    QFETCH(char16_t, character);
    QFETCH(bool, separates);
    QCOMPARE(isWideSpace(character), separates);
    const QString sep(QChar{character});
    const QString text = QStringLiteral("Wort%1Teil%1%1end%1").arg(sep);
    QStringList seen;
    forEachPiece(text, [&](QStringView piece, qsizetype line, qsizetype) {
        QCOMPARE(line, qsizetype(1));
        seen << piece.toString();
    });
    const QStringList expected =
        separates ? QStringList{"Wort", "Teil", "", "end", ""} : QStringList{text};
    QCOMPARE(seen, expected);
}

TV_TEST_MAIN(TestWordClean, QCoreApplication)
#include "test_wordclean.moc"
