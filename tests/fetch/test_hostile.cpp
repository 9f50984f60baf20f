// Pages built to hurt a parser: deep or unclosed nesting, a huge single line, NUL bytes. Each
// must come back with its text, quickly and without a crash; CTest runs every row on its own
// with a time bound (see CMakeLists.txt).
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

    QTest::newRow("nested100k") << nestedDivs(100000) << "x" << 1 << 1;
    QTest::newRow("unclosedDiv50k") << repeated("<div>x", 50000) << "x" << 50000 << -1;
    // Formatting elements do not separate words: the whole page is one word.
    QTest::newRow("unclosedB50k") << repeated("<b>x", 50000) << QString(50000, u'x') << 1 << 50000;
    QTest::newRow("singleLine5mb") << singleLine(1000000) << "word" << 1000000 << 1000000 * 5 - 1;
    QTest::newRow("nulBytes") << "<p>a" + QByteArray(100000, '\0') + "b <b>" + QByteArray(1, '\0') +
                                     "c</b></p>"
                              << "ab" << 1 << 4;
    QTest::newRow("deepTable") << repeated("<table><tr><td>x", 20000) << "x" << 20000 << -1;
    QTest::newRow("formattingReopen") << formattingReopen(40, 50000) << "x" << 50000 << -1;
}

void TestHostile::hostile()
{
    QFETCH(QByteArray, html);
    QFETCH(QString, word);
    QFETCH(int, occurrences);
    QFETCH(int, length);

    const QString text = tv::renderedText(html);
    const QStringList words =
        text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    QCOMPARE(int(words.count(word)), occurrences);
    if (length >= 0)
        QCOMPARE(int(text.size()), length);
}

TV_TEST_MAIN(TestHostile, QCoreApplication)
#include "test_hostile.moc"
