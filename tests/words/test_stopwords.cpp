// Stop words: the built-in Snowball lists, lists read from the user's files, and how a count's
// words meet them under each word rule and letter-case choice.
#include "platform/guard.h"
#include "support/testenv.h"
#include "words/stoplist.h"
#include "words/tokenizer.h"

#include <QCoreApplication>
#include <QFile>

using namespace tv;

namespace {

QStringList countedWords(WordRule rule, bool ignoreCase, const StopList& stops, const QString& text)
{
    TokenizerOptions options;
    options.rule = rule;
    options.ignoreCase = ignoreCase;
    options.stopWords = stops;
    Tokenizer tokenizer(options);
    QStringList words;
    tokenizer.forEachWord(text, [&](QStringView word) { words << word.toString(); });
    return words;
}

StopList listOf(const QByteArray& text)
{
    return StopList::fromText(text, QStringLiteral("test list"));
}

} // namespace

class TestStopWords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void builtinLists_data();
    void builtinLists();
    void builtinNames();
    void unknownBuiltinNamesTheLists();
    void fileFormat();
    void badFiles_data();
    void badFiles();
    void matching_data();
    void matching();
    void unusableEntries_data();
    void unusableEntries();
};

void TestStopWords::builtinLists_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("member");
    QTest::addColumn<QString>("stranger");
    QTest::newRow("english") << "english"
                             << "the"
                             << "walrus";
    QTest::newRow("english by code, upper case") << "EN"
                                                 << "don't"
                                                 << "walrus";
    QTest::newRow("german") << "german" << QStringLiteral("über") << "Haus";
    QTest::newRow("french") << "french" << QStringLiteral("été") << "maison";
    QTest::newRow("spanish") << "spanish" << QStringLiteral("más") << "casa";
    QTest::newRow("italian") << "italian"
                             << "che"
                             << "casa";
    QTest::newRow("dutch") << "dutch"
                           << "het"
                           << "huis";
    QTest::newRow("russian") << "russian" << QStringLiteral("и") << QStringLiteral("дом");
    QTest::newRow("swedish") << "swedish" << QStringLiteral("och") << "hus";
}

void TestStopWords::builtinLists()
{
    QFETCH(QString, name);
    QFETCH(QString, member);
    QFETCH(QString, stranger);
    const QStringList words = StopList::builtin(name).words();
    QVERIFY(words.size() > 20);
    QVERIFY2(words.contains(member), qPrintable(member));
    QVERIFY(!words.contains(stranger));
}

void TestStopWords::builtinNames()
{
    const QStringList names = StopList::builtinNames();
    for (const char* language :
         {"danish", "dutch", "english", "finnish", "french", "german", "hungarian", "italian",
          "norwegian", "portuguese", "russian", "spanish", "swedish"})
        QVERIFY2(names.contains(QLatin1String(language)), language);
    QStringList sorted = names;
    sorted.sort();
    QCOMPARE(names, sorted);
}

void TestStopWords::unknownBuiltinNamesTheLists()
{
    try {
        StopList::builtin(u"klingon");
        QFAIL("no failure");
    } catch (const Failure& failure) {
        QVERIFY(failure.description().contains(QLatin1String("\"klingon\"")));
        QVERIFY(failure.description().contains(QLatin1String("english")));
    }
}

void TestStopWords::fileFormat()
{
    const QString path =
        test::writeFile(test::fixtureFolder(QStringLiteral("stops")) + QStringLiteral("/mine.txt"),
                        "\xEF\xBB\xBF"
                        "# my own stop words\r\n"
                        "the\r\n"
                        "\r\n"
                        "   \n"
                        "and # a comment after a word\n"
                        "  # an indented comment\n"
                        "c# f#\n"
                        "over\tunder  \n"
                        "\xC3\xBC"
                        "ber\n"
                        "last");
    QCOMPARE(
        StopList::fromFile(path).words(),
        (QStringList{"the", "and", "c#", "f#", "over", "under", QStringLiteral("über"), "last"}));
}

void TestStopWords::badFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("says");
    QTest::newRow("missing") << "missing.txt" << QByteArray() << qint64(-1) << "cannot be read";
    QTest::newRow("not UTF-8") << "latin1.txt"
                               << QByteArray("the\nand\nfa\xE7"
                                             "ade\n")
                               << qint64(0) << "is not UTF-8 text (line 3)";
    QTest::newRow("too large") << "large.txt" << QByteArray("the\n") << qint64(17 * 1024 * 1024)
                               << "is larger than 16 MB";
}

void TestStopWords::badFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, size);
    QFETCH(QString, says);
    const QString path = test::fixtureFolder(QStringLiteral("bad")) + u'/' + name;
    if (size >= 0) {
        test::writeFile(path, bytes);
        if (size > 0) {
            QFile file(path);
            QVERIFY(file.resize(size)); // sparse: no time spent writing it
        }
    }
    try {
        StopList::fromFile(path);
        QFAIL("no failure");
    } catch (const Failure& failure) {
        QVERIFY2(failure.description().contains(path) && failure.description().contains(says),
                 qPrintable(failure.description()));
    }
}

void TestStopWords::matching_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QByteArray>("list"); // "builtin:NAME" or a file's text
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    const int classic = int(WordRule::Classic);
    const int unicode = int(WordRule::Unicode);
    const QByteArray mine = "\xEF\xBB\xBF# articles\nthe\n\nAnd # capital\n";

    QTest::newRow("classic, case kept: only as written")
        << classic << false << mine << "The the, and And cat." << QStringList{"The", "and", "cat"};
    QTest::newRow("classic, case ignored: entries lower-cased too")
        << classic << true << mine << "The the, and And cat." << QStringList{"cat"};
    QTest::newRow("unicode, case kept")
        << unicode << false << mine << "The the, and And cat." << QStringList{"The", "and", "cat"};
    QTest::newRow("unicode, case ignored")
        << unicode << true << mine << QStringLiteral("\u201CThe\u201D AND cat")
        << QStringList{"cat"};
    QTest::newRow("unicode folding meets folding")
        << unicode << true
        << QByteArray("stra\xC3\x9F"
                      "e\n")
        << QStringLiteral("STRASSE Stra\u00DFe road") << QStringList{"road"};
    QTest::newRow("unicode, both apostrophes")
        << unicode << true << QByteArray("builtin:english")
        << QStringLiteral("Don\u2019t DON'T stop") << QStringList{"stop"};
    // The classic rule counts "we'll" as "well": the stop word must not take "well" with it.
    QTest::newRow("classic, contractions stop only as written")
        << classic << true << QByteArray("builtin:english")
        << "We'll see how well the shell works, won't we? Hell, no."
        << QStringList{"see", "well", "shell", "works", "hell"};
    QTest::newRow("unicode, contractions")
        << unicode << true << QByteArray("builtin:english")
        << QStringLiteral("We\u2019ll see how well the shell works, won\u2019t we? Hell, no.")
        << QStringList{"see", "well", "shell", "works", "hell"};
    QTest::newRow("classic, a hyphenated entry")
        << classic << false << QByteArray("e-mail\n") << "(e-mail) email" << QStringList{"email"};
    QTest::newRow("unicode, a hyphenated entry")
        << unicode << false << QByteArray("e-mail\n") << "(e-mail) email" << QStringList{"email"};
    QTest::newRow("classic, several lists")
        << classic << true << QByteArray("builtin:english+german") << "the Haus und the house"
        << QStringList{"haus", "house"};
}

void TestStopWords::matching()
{
    QFETCH(int, rule);
    QFETCH(bool, ignoreCase);
    QFETCH(QByteArray, list);
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    StopList stops;
    if (list.startsWith("builtin:")) {
        for (const QString& name : QString::fromLatin1(list.mid(8)).split(u'+'))
            stops.add(StopList::builtin(name));
    } else {
        stops = listOf(list);
    }
    QCOMPARE(countedWords(WordRule(rule), ignoreCase, stops, text), expected);
}

void TestStopWords::unusableEntries_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<QStringList>("unusable");
    QTest::newRow("classic") << int(WordRule::Classic) << QStringList{"...", "---"};
    QTest::newRow("unicode") << int(WordRule::Unicode)
                             << QStringList{"...", "---", QStringLiteral("我们是学生")};
}

void TestStopWords::unusableEntries()
{
    QFETCH(int, rule);
    QFETCH(QStringList, unusable);
    TokenizerOptions options;
    options.rule = WordRule(rule);
    options.stopWords = listOf("the\n...\nnew-york\n---\n\xE6\x88\x91\xE4\xBB\xAC\xE6\x98\xAF"
                               "\xE5\xAD\xA6\xE7\x94\x9F\n");
    QCOMPARE(Tokenizer(options).unusableStopWords(), unusable);
}

TV_TEST_MAIN(TestStopWords, QCoreApplication)
#include "test_stopwords.moc"
