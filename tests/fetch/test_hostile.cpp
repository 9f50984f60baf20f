// Pages built to hurt a parser: deep or unclosed nesting, a huge single line, NUL bytes, style
// rules nested or multiplied past reason. Each must come back with its text, quickly and without
// a crash; CTest runs every row on its own with a time bound (see CMakeLists.txt).
#include "fetch/renderedtext.h"
#include "support/hostilepages.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QRegularExpression>

class TestHostile : public QObject {
    Q_OBJECT
private slots:
    void hostile_data();
    void hostile();
};

void TestHostile::hostile_data()
{
    using namespace tv::test;
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("occurrences"); // how often `word` stands alone in the text
    QTest::addColumn<int>("length");      // -1, or the exact length of the text
    QTest::addColumn<QString>("note");    // "" for none, or a part of the page's one note

    QTest::newRow("nested100k") << nestedDivs(100000) << "x" << 1 << 1 << "";
    QTest::newRow("unclosedDiv50k") << repeated("<div>x", 50000) << "x" << 50000 << -1 << "";
    // Formatting elements do not separate words: the whole page is one word.
    QTest::newRow("unclosedB50k") << repeated("<b>x", 50000) << QString(50000, u'x') << 1 << 50000
                                  << "";
    QTest::newRow("singleLine5mb")
        << singleLine(1000000) << "word" << 1000000 << 1000000 * 5 - 1 << "";
    QTest::newRow("nulBytes") << "<p>a" + QByteArray(100000, '\0') + "b <b>" + QByteArray(1, '\0') +
                                     "c</b></p>"
                              << "ab" << 1 << 4 << "";
    QTest::newRow("deepTable") << repeated("<table><tr><td>x", 20000) << "x" << 20000 << -1 << "";
    QTest::newRow("formattingReopen") << formattingReopen(40, 50000) << "x" << 50000 << -1 << "";
    // Rules deeper than the reader's nesting bound are left out: the paragraph stays.
    QTest::newRow("nestedMedia40k") << nestedMediaBlocks(40000) << "x" << 1 << 4 << "";
    // Copies of one rule are one rule.
    QTest::newRow("sameRule100k") << sameRuleRepeated(100000, 30000) << "x" << 30000 << -1 << "";
    // Past the matching budget the page's style rules are left out, with a note saying so.
    QTest::newRow("rulesSharingAKey5k")
        << rulesSharingAKey(5000, 5000) << "hidden" << 1 << -1 << "style rules";
    // More style elements than a page would hold: none of its rules apply, and a note says so.
    QTest::newRow("manyStyleElements20k")
        << manyStyleElements(20000, 1000) << QString(1000, u'x') << 1 << 1000 << "style rules";
}

void TestHostile::hostile()
{
    QFETCH(QByteArray, html);
    QFETCH(QString, word);
    QFETCH(int, occurrences);
    QFETCH(int, length);
    QFETCH(QString, note);

    const tv::RenderedPage page = tv::renderPage(html);
    const QString& text = page.text;
    const QStringList words =
        text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    QCOMPARE(int(words.count(word)), occurrences);
    if (length >= 0)
        QCOMPARE(int(text.size()), length);
    if (note.isEmpty()) {
        QCOMPARE(page.notes, QStringList());
    } else {
        QCOMPARE(page.notes.size(), 1);
        QVERIFY2(page.notes.first().contains(note), qPrintable(page.notes.first()));
    }
}

TV_TEST_MAIN(TestHostile, QCoreApplication)
#include "test_hostile.moc"
