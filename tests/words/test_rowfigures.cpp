// Filters and figures over counted rows, on a small two-page fixture worked out by hand:
// page one "apple pear apple plum apple", page two "pear fig pear".
#include "support/testenv.h"
#include "words/rowfigures.h"
#include "words/rowfilters.h"
#include "words/tokenizer.h"
#include "words/wordmatrix.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QHash>

using namespace tv;

namespace {

// One page's words counted through the tokenizer, in the order first met.
NamedCount countPage(const QString& name, const QString& text)
{
    Tokenizer tokenizer;
    NamedCount page{name, {}};
    QHash<QString, size_t> at;
    tokenizer.forEachWord(text, [&](QStringView word) {
        const QString key = word.toString();
        if (!at.contains(key)) {
            at.insert(key, page.rows.size());
            page.rows.push_back({key, 0});
        }
        ++page.rows[at.value(key)].count;
    });
    return page;
}

std::vector<NamedCount> twoPages()
{
    return {countPage(QStringLiteral("http://one.example/"),
                      QStringLiteral("apple pear apple plum apple")),
            countPage(QStringLiteral("http://two.example/"), QStringLiteral("pear fig pear"))};
}

QStringList wordsAndCounts(const WordRows& rows)
{
    QStringList out;
    for (const WordRow& row : rows)
        out << row.word + u' ' + QString::number(row.count);
    return out;
}

WordRows rowsOf(const QStringList& wordsAndCounts)
{
    WordRows rows;
    for (const QString& item : wordsAndCounts)
        rows.push_back({item.section(u' ', 0, 0), item.section(u' ', 1).toLongLong()});
    return rows;
}

} // namespace

class TestRowFigures : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void combinedFigures();
    void perSiteFigures();
    void filters_data();
    void filters();
    void characterCount_data();
    void characterCount();
    void wordMatrix_data();
    void wordMatrix();
    void wordMatrixReportsAFailedWrite();
};

void TestRowFigures::combinedFigures()
{
    const std::vector<NamedCount> pages = twoPages();
    WordRows rows = combineCounts(pages);
    QCOMPARE(wordsAndCounts(rows), (QStringList{"fig 1", "plum 1", "apple 3", "pear 3"}));

    const CountFigures figures = figuresOf(rows);
    QCOMPARE(figures.total, 8);
    QCOMPARE(figures.distinct, 4);
    QCOMPARE(figures.ratio(), 0.5);

    withShares(rows);
    withPages(rows, pages);
    QStringList shown;
    for (const WordRow& row : rows)
        shown << QStringLiteral("%1 %2 %3").arg(row.word, shareText(row.share)).arg(row.pages);
    QCOMPARE(shown, (QStringList{"fig 12.50 1", "plum 12.50 1", "apple 37.50 1", "pear 37.50 2"}));
}

void TestRowFigures::perSiteFigures()
{
    std::vector<NamedCount> sites = twoPages();
    const CountFigures all = figuresOf(sites);
    QCOMPARE(all.total, 8);
    QCOMPARE(all.distinct, 4); // pear is on both sites but one word
    QCOMPARE(figuresOf(sites[0].rows).distinct, 3);
    QCOMPARE(figuresOf(sites[1].rows).total, 3);

    QStringList shown;
    for (NamedCount& site : sites) {
        withShares(site.rows);
        for (const WordRow& row : site.rows)
            shown << row.word + u' ' + shareText(row.share);
    }
    QCOMPARE(shown,
             (QStringList{"apple 60.00", "pear 20.00", "plum 20.00", "pear 66.67", "fig 33.33"}));

    QCOMPARE(figuresOf(WordRows()).ratio(), 0.0);
    WordRows none;
    withShares(none);
    QVERIFY(none.empty());
}

void TestRowFigures::filters_data()
{
    QTest::addColumn<qint64>("minCount");
    QTest::addColumn<qint64>("minLength");
    QTest::addColumn<qint64>("top");
    QTest::addColumn<int>("order"); // -1: as the rows came
    QTest::addColumn<QStringList>("expected");
    // The rows as an engine hands them over: least frequent first, equal counts by word.
    QTest::newRow("nothing asked")
        << 0LL << 0LL << 0LL << -1 << QStringList{"ox 1", "yak 1", "cat 2", "bee 3", "dog 3"};
    QTest::newRow("minimum count")
        << 2LL << 0LL << 0LL << -1 << QStringList{"cat 2", "bee 3", "dog 3"};
    QTest::newRow("minimum length")
        << 0LL << 3LL << 0LL << -1 << QStringList{"yak 1", "cat 2", "bee 3", "dog 3"};
    QTest::newRow("most frequent first") << 0LL << 0LL << 0LL << int(RowOrder::CountDescending)
                                         << QStringList{"bee 3", "dog 3", "cat 2", "ox 1", "yak 1"};
    QTest::newRow("by word") << 0LL << 0LL << 0LL << int(RowOrder::Word)
                             << QStringList{"bee 3", "cat 2", "dog 3", "ox 1", "yak 1"};
    QTest::newRow("by count") << 0LL << 0LL << 0LL << int(RowOrder::Count)
                              << QStringList{"ox 1", "yak 1", "cat 2", "bee 3", "dog 3"};
    QTest::newRow("top two keep their order")
        << 0LL << 0LL << 2LL << -1 << QStringList{"bee 3", "dog 3"};
    QTest::newRow("top four, a tie at the cut goes by word")
        << 0LL << 0LL << 4LL << int(RowOrder::CountDescending)
        << QStringList{"bee 3", "dog 3", "cat 2", "ox 1"};
    QTest::newRow("top after the other filters (ox too short)")
        << 0LL << 3LL << 4LL << int(RowOrder::Word)
        << QStringList{"bee 3", "cat 2", "dog 3", "yak 1"};
    QTest::newRow("top above the rows there are")
        << 0LL << 0LL << 9LL << -1 << QStringList{"ox 1", "yak 1", "cat 2", "bee 3", "dog 3"};
    QTest::newRow("everything filtered out") << 4LL << 0LL << 0LL << -1 << QStringList{};
}

void TestRowFigures::filters()
{
    QFETCH(qint64, minCount);
    QFETCH(qint64, minLength);
    QFETCH(qint64, top);
    QFETCH(int, order);
    QFETCH(QStringList, expected);
    RowFilters filters;
    filters.minCount = minCount;
    filters.minLength = minLength;
    filters.top = top;
    if (order >= 0)
        filters.order = RowOrder(order);
    const WordRows rows = rowsOf({"ox 1", "yak 1", "cat 2", "bee 3", "dog 3"});
    QCOMPARE(wordsAndCounts(filterRows(rows, filters)), expected);
}

void TestRowFigures::characterCount_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<qsizetype>("characters");
    QTest::newRow("ASCII") << "word" << qsizetype(4);
    QTest::newRow("precomposed accent") << QStringLiteral("caf\u00E9") << qsizetype(4);
    QTest::newRow("combining accent") << QStringLiteral("cafe\u0301") << qsizetype(4);
    QTest::newRow("Chinese") << QStringLiteral("学生") << qsizetype(2);
    QTest::newRow("outside the BMP") << QStringLiteral("\U00010400\U00010401") << qsizetype(2);
    QTest::newRow("Thai vowel signs") << QStringLiteral("ชื่อ") << qsizetype(2);
    QTest::newRow("empty") << "" << qsizetype(0);
}

void TestRowFigures::characterCount()
{
    QFETCH(QString, word);
    QFETCH(qsizetype, characters);
    QCOMPARE(tv::characterCount(word), characters);
}

void TestRowFigures::wordMatrix_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("csv") << int(MatrixFormat::Csv)
                         << QByteArray("word,http://one.example/,\"http://two.example/?a=1,2\"\r\n"
                                       "pear,1,2\r\n"
                                       "apple,3,0\r\n"
                                       "fig,0,1\r\n"
                                       "plum,1,0\r\n");
    QTest::newRow("tsv") << int(MatrixFormat::Tsv)
                         << QByteArray("word\thttp://one.example/\thttp://two.example/?a=1,2\n"
                                       "pear\t1\t2\n"
                                       "apple\t3\t0\n"
                                       "fig\t0\t1\n"
                                       "plum\t1\t0\n");
}

void TestRowFigures::wordMatrix()
{
    QFETCH(int, format);
    QFETCH(QByteArray, expected);
    std::vector<NamedCount> pages = twoPages();
    pages[1].name = QStringLiteral("http://two.example/?a=1,2");
    // The lines follow the rows in the order they are given.
    const WordRows rows = rowsOf({"pear 3", "apple 3", "fig 1", "plum 1"});
    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    QString error;
    QVERIFY(writeWordMatrix(buffer, rows, pages, MatrixFormat(format), error));
    QCOMPARE(buffer.data(), expected);
}

void TestRowFigures::wordMatrixReportsAFailedWrite()
{
    const std::vector<NamedCount> pages = twoPages();
    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QString error;
    QVERIFY(!writeWordMatrix(buffer, combineCounts(pages), pages, MatrixFormat::Csv, error));
    QVERIFY2(error.startsWith(QLatin1String("Cannot write the word by page table")),
             qPrintable(error));
}

TV_TEST_MAIN(TestRowFigures, QCoreApplication)
#include "test_rowfigures.moc"
