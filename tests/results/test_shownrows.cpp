// The results as shown: sorted by a column either way, narrowed by a find text, and read in
// that order by the outputs.
#include "results/copyresults.h"
#include "results/resultsmodel.h"
#include "results/shownrows.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QSignalSpy>

using namespace tv;

namespace {

// The shown rows as "cell|cell".
QStringList shown(const ShownRows& rows)
{
    QStringList out;
    for (int r = 1; r <= rows.rows(); ++r) {
        QStringList cells;
        for (int c = 1; c <= rows.columns(); ++c)
            cells << rows.cell(r, c);
        out << cells.join(u'|');
    }
    return out;
}

void fill(ResultsModel& list, const QStringList& rows)
{
    for (const QString& row : rows) {
        const QStringList cells = row.split(u'|');
        list.append(cells.value(0), cells.value(1), cells.value(2), cells.value(3));
    }
    list.flushAppends();
}

// Least frequent first, as a count leaves them. The words' code points would order them
// "Zebra", "apple", "apricot", "banana", "Äpfel"; the locale puts "Äpfel" first ("apf" before
// "app") and "Zebra" last.
const QStringList kCombined{QStringLiteral("banana|1"), QStringLiteral("Zebra|2"),
                            QStringLiteral("apple|9"), QStringLiteral("Äpfel|10"),
                            QStringLiteral("apricot|10")};

} // namespace

class TestShownRows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void sortsBothWaysOnBothColumns_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("word, up") << 1 << false
                                  << QStringList{"Äpfel|10", "apple|9", "apricot|10", "banana|1",
                                                 "Zebra|2"};
        QTest::newRow("word, down")
            << 1 << true << QStringList{"Zebra|2", "banana|1", "apricot|10", "apple|9", "Äpfel|10"};
        // Numerically (10 after 9), ties by word in the locale's order.
        QTest::newRow("count, up")
            << 2 << false
            << QStringList{"banana|1", "Zebra|2", "apple|9", "Äpfel|10", "apricot|10"};
        QTest::newRow("count, down")
            << 2 << true << QStringList{"apricot|10", "Äpfel|10", "apple|9", "Zebra|2", "banana|1"};
        QTest::newRow("own order") << 0 << false << kCombined;
    }
    void sortsBothWaysOnBothColumns()
    {
        QFETCH(int, column);
        QFETCH(bool, descending);
        QFETCH(QStringList, expected);
        ResultsModel list;
        list.rebuild(ResultsLayout::Combined);
        fill(list, kCombined);
        ShownRows rows(list);
        rows.sortBy(2, Qt::DescendingOrder); // another order first: the sort starts from it
        rows.sortBy(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        QCOMPARE(shown(rows), expected);
        QCOMPARE(rows.rowCount(), int(expected.size()));
    }

    void perSiteSortsTheWordBesideTheCount()
    {
        ResultsModel list;
        list.rebuild(ResultsLayout::PerSite);
        fill(list, {QStringLiteral("b.example|zeta|3"), QStringLiteral("a.example|beta|3"),
                    QStringLiteral("a.example|alpha|12")});
        ShownRows rows(list);
        rows.sortBy(3, Qt::AscendingOrder);
        QCOMPARE(shown(rows), (QStringList{QStringLiteral("a.example|beta|3"),
                                           QStringLiteral("b.example|zeta|3"),
                                           QStringLiteral("a.example|alpha|12")}));
        rows.sortBy(1, Qt::AscendingOrder);
        QCOMPARE(shown(rows).first(), QStringLiteral("a.example|beta|3"));
        QCOMPARE(shown(rows).last(), QStringLiteral("b.example|zeta|3"));
        // The site is found too, the count is not.
        rows.setFilter(QStringLiteral("B.EX"));
        QCOMPARE(shown(rows), QStringList{QStringLiteral("b.example|zeta|3")});
        rows.setFilter(QStringLiteral("12"));
        QCOMPARE(rows.rows(), 0);
    }

    // The word analysis's share and pages columns come after the count: the count is still
    // sorted as a number, and so are they, ties by the word.
    void figureColumnsSortAsNumbers()
    {
        ResultsModel list;
        list.rebuild(ResultsLayout::Combined);
        list.addColumn(QStringLiteral("Share"), 900);
        list.addColumn(QStringLiteral("Pages"), 900);
        fill(list, {QStringLiteral("b|10|45.45|3"), QStringLiteral("a|2|9.09|12"),
                    QStringLiteral("c|10|45.45|1")});
        ShownRows rows(list);
        rows.sortBy(2, Qt::AscendingOrder);
        QCOMPARE(shown(rows),
                 (QStringList{QStringLiteral("a|2|9.09|12"), QStringLiteral("b|10|45.45|3"),
                              QStringLiteral("c|10|45.45|1")}));
        rows.sortBy(3, Qt::DescendingOrder);
        QCOMPARE(shown(rows).last(), QStringLiteral("a|2|9.09|12"));
        rows.sortBy(4, Qt::AscendingOrder);
        QCOMPARE(shown(rows),
                 (QStringList{QStringLiteral("c|10|45.45|1"), QStringLiteral("b|10|45.45|3"),
                              QStringLiteral("a|2|9.09|12")}));
    }

    void findNarrowsWidensAndClears_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("one letter more at a time")
            << QStringList{"a", "ap", "APR"} << QStringList{"apricot|10"};
        QTest::newRow("a letter taken back")
            << QStringList{"apr", "ap"} << QStringList{"apple|9", "apricot|10"};
        QTest::newRow("other text") << QStringList{"apr", "ban"} << QStringList{"banana|1"};
        QTest::newRow("cleared") << QStringList{"zzz", ""} << kCombined;
        QTest::newRow("no letter of a word") << QStringList{"pfel"} << QStringList{"Äpfel|10"};
    }
    void findNarrowsWidensAndClears()
    {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, expected);
        ResultsModel list;
        list.rebuild(ResultsLayout::Combined);
        fill(list, kCombined);
        ShownRows rows(list);
        for (const QString& text : typed)
            rows.setFilter(text);
        QCOMPARE(shown(rows), expected);
    }

    // Copying takes the rows found, in the order shown, ticked ones only; the widths follow
    // the rows shown.
    void outputsTakeTheRowsAsShown()
    {
        ResultsModel list;
        list.rebuild(ResultsLayout::Combined);
        fill(list, kCombined);
        list.setChecked(3, false); // apple
        ShownRows rows(list);
        rows.sortBy(2, Qt::DescendingOrder);
        rows.setFilter(QStringLiteral("p"));
        QCOMPARE(clipboardText(rows), QStringLiteral("apricot\t10\r\nÄpfel  \t10\r\n"));
    }

    // New rows bring back the list's own order; removed rows leave the others shown, in
    // their order and with their ticks.
    void listChangesFollow()
    {
        ResultsModel list;
        list.rebuild(ResultsLayout::Combined);
        fill(list, kCombined);
        ShownRows rows(list);
        QSignalSpy dropped(&rows, &ShownRows::sortDropped);
        rows.sortBy(1, Qt::AscendingOrder);
        rows.setFilter(QStringLiteral("a"));
        list.removeAt(3); // apple
        // "Äpfel" holds no "a": Ä is a letter of its own.
        QCOMPARE(shown(rows), (QStringList{QStringLiteral("apricot|10"), QStringLiteral("banana|1"),
                                           QStringLiteral("Zebra|2")}));
        QCOMPARE(rows.sourceRow(1), 4);
        rows.sortBy(2, Qt::AscendingOrder);
        QCOMPARE(shown(rows).first(), QStringLiteral("banana|1"));
        QCOMPARE(dropped.count(), 0);
        fill(list, {QStringLiteral("cat|1"), QStringLiteral("dog|1")});
        QCOMPARE(dropped.count(), 1);
        QCOMPARE(rows.sortColumn(), 0);
        QCOMPARE(shown(rows), (QStringList{QStringLiteral("banana|1"), QStringLiteral("Zebra|2"),
                                           QStringLiteral("apricot|10"), QStringLiteral("cat|1")}));
        rows.setFilter(QString());
        list.setChecked(1, false);
        QVERIFY(!rows.isChecked(1));
        QCOMPARE(rows.data(rows.index(0, 0), Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        list.clearRows();
        QCOMPARE(rows.rows(), 0);
    }
};

TV_TEST_MAIN(TestShownRows, QCoreApplication)
#include "test_shownrows.moc"
