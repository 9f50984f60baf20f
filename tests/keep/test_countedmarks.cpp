// The marks of what the count made of a page's text: cleaned words with the form they were
// counted in, stop words, and pieces that left no word; and the text shown as counted.
#include "keep/countedmarks.h"
#include "keep/keptpage.h"

#include <QTest>

using namespace tv;

class TestCountedMarks : public QObject {
    Q_OBJECT
private slots:
    void marks_data();
    void marks();
};

void TestCountedMarks::marks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("unicode");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QString>("stopWords");
    QTest::addColumn<QStringList>("expected"); // kind (Cleaned, Stop, No), written>counted
    QTest::addColumn<QString>("asCounted");

    QTest::newRow("punctuation and case")
        << QStringLiteral("Don't panic, the END... ok") << false << true << QString()
        << QStringList{QStringLiteral("C Don't>dont"), QStringLiteral("C panic,>panic"),
                       QStringLiteral("C END...>end")}
        << QStringLiteral("dont panic the end ok");
    QTest::newRow("letter case kept")
        << QStringLiteral("Hello, World! ok") << false << false << QString()
        << QStringList{QStringLiteral("C Hello,>Hello"), QStringLiteral("C World!>World")}
        << QStringLiteral("Hello World ok");
    QTest::newRow("nothing left of a piece")
        << QStringLiteral("wait ...\t-- what") << false << false << QString()
        << QStringList{QStringLiteral("N ...>"), QStringLiteral("N -->")}
        << QStringLiteral("wait ...\t-- what");
    QTest::newRow("stop words") << QStringLiteral("The cat and the hat") << false << true
                                << QStringLiteral("the\nand")
                                << QStringList{QStringLiteral("S The>"), QStringLiteral("S and>"),
                                               QStringLiteral("S the>")}
                                << QStringLiteral("The cat and the hat");
    QTest::newRow("unicode rule") << QStringLiteral("\u00bfQu\u00e9? Don\u2019t e-mail") << true
                                  << true << QString()
                                  << QStringList{QStringLiteral("C Qu\u00e9>qu\u00e9"),
                                                 QStringLiteral("C Don\u2019t>don't")}
                                  << QStringLiteral("\u00bfqu\u00e9? don't e-mail");
    QTest::newRow("unicode rule, words as written")
        << QStringLiteral("e-mail and \u201cquoted\u201d") << true << false << QString()
        << QStringList{} << QStringLiteral("e-mail and \u201cquoted\u201d");
}

void TestCountedMarks::marks()
{
    QFETCH(QString, text);
    QFETCH(bool, unicode);
    QFETCH(bool, ignoreCase);
    QFETCH(QString, stopWords);
    QFETCH(QStringList, expected);
    QFETCH(QString, asCounted);
    KeptRule rule;
    rule.rule = unicode ? WordRule::Unicode : WordRule::Classic;
    if (!stopWords.isEmpty())
        rule.stopWords = StopList::fromText(stopWords.toUtf8(), QStringLiteral("test"));
    const QList<CountedMark> marks = countedMarks(text, rule, ignoreCase);
    QStringList found;
    for (const CountedMark& mark : marks) {
        const char* kind = mark.kind == CountedMark::Kind::Cleaned    ? "C "
                           : mark.kind == CountedMark::Kind::StopWord ? "S "
                                                                      : "N ";
        found << QLatin1StringView(kind) + mark.written + u'>' + mark.counted;
        QCOMPARE(text.mid(mark.begin, mark.end - mark.begin), mark.written);
    }
    QCOMPARE(found, expected);

    const CountedText shown = tv::asCounted(text, marks);
    QCOMPARE(shown.text, asCounted);
    QCOMPARE(shown.marks.size(), marks.size());
    for (const CountedMark& mark : shown.marks) {
        const QString& piece =
            mark.kind == CountedMark::Kind::Cleaned ? mark.counted : mark.written;
        QCOMPARE(shown.text.mid(mark.begin, mark.end - mark.begin), piece);
    }
}

QTEST_GUILESS_MAIN(TestCountedMarks)
#include "test_countedmarks.moc"
