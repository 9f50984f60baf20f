// Pages built to hurt a parser: deep or unclosed nesting, a huge single line, NUL bytes. Each
// must come back with its text, quickly and without a crash; CTest runs every row on its own
// with a time bound (see CMakeLists.txt).
#include "fetch/renderedtext.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QRegularExpression>

class TestHostile : public QObject {
    Q_OBJECT
private slots:
    void hostile_data();
    void hostile();
};

namespace {

QByteArray repeated(const QByteArray& piece, int times)
{
    QByteArray out;
    out.reserve(piece.size() * times);
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

QByteArray formattingThenParagraphs()
{
    // Closing the paragraph pops the open <b> elements, and every later paragraph reopens them
    // all: the tree grows by the number of open formatting elements per paragraph.
    QByteArray html = "<p>";
    for (int i = 0; i < 40; ++i)
        html += "<b id=" + QByteArray::number(i) + ">";
    return html + "</p>" + repeated("<p>x</p>", 50000);
}

} // namespace

void TestHostile::hostile_data()
{
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("occurrences"); // how often `word` stands alone in the text
    QTest::addColumn<int>("length");      // -1, or the exact length of the text

    QTest::newRow("nested100k") << repeated("<div>", 100000) + "x" + repeated("</div>", 100000)
                                << "x" << 1 << 1;
    QTest::newRow("unclosedDiv50k") << repeated("<div>x", 50000) << "x" << 50000 << -1;
    // Formatting elements do not separate words: the whole page is one word.
    QTest::newRow("unclosedB50k") << repeated("<b>x", 50000) << QString(50000, u'x') << 1 << 50000;
    QTest::newRow("singleLine5mb") << "<p>" + repeated("word ", 1000000) + "</p>"
                                   << "word" << 1000000 << 1000000 * 5 - 1;
    QTest::newRow("nulBytes") << "<p>a" + QByteArray(100000, '\0') + "b <b>" + QByteArray(1, '\0') +
                                     "c</b></p>"
                              << "ab" << 1 << 4;
    QTest::newRow("deepTable") << repeated("<table><tr><td>x", 20000) << "x" << 20000 << -1;
    QTest::newRow("formattingReopen") << formattingThenParagraphs() << "x" << 50000 << -1;
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
