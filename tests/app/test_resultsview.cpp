// The results list as a workbench: sorted by a click on a column header (again for the other
// way round), narrowed by the find box, and saved, copied and exported as shown.
#include "support/testenv.h"
#include "windowharness.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>

using namespace tv;

namespace {

// Least frequent first, as a count leaves them.
void fillResults(MainWindow& w)
{
    for (const auto& [word, count] :
         {std::pair{"pear", "1"}, std::pair{"Apple", "2"}, std::pair{"grape", "10"},
          std::pair{"banana", "9"}, std::pair{"apricot", "10"}})
        w.results().append(QString::fromLatin1(word), QString::fromLatin1(count));
    w.results().flushAppends();
}

// The rows the list view shows, top to bottom, as "word|count".
QStringList viewRows(QTreeView* view)
{
    QStringList rows;
    const QAbstractItemModel* m = view->model();
    for (int r = 0; r < m->rowCount(); ++r)
        rows << m->index(r, 0).data().toString() + u'|' + m->index(r, 1).data().toString();
    return rows;
}

void clickHeader(QTreeView* view, int section)
{
    QHeaderView* header = view->header();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestResultsView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void headerClicksSortBothWays_data()
    {
        QTest::addColumn<int>("section");
        QTest::addColumn<QStringList>("up");
        QTest::newRow("word") << 0
                              << QStringList{"Apple|2", "apricot|10", "banana|9", "grape|10",
                                             "pear|1"};
        QTest::newRow("count") << 1
                               << QStringList{"pear|1", "Apple|2", "banana|9", "apricot|10",
                                              "grape|10"};
    }
    void headerClicksSortBothWays()
    {
        QFETCH(int, section);
        QFETCH(QStringList, up);
        test::WindowHarness h;
        MainWindow& w = h.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        fillResults(w);
        auto* view = h.control<QTreeView>(control::resultsList);
        QCOMPARE(view->header()->sortIndicatorSection(), -1);
        clickHeader(view, section);
        QCOMPARE(viewRows(view), up);
        QCOMPARE(view->header()->sortIndicatorSection(), section);
        QCOMPARE(view->header()->sortIndicatorOrder(), Qt::AscendingOrder);
        clickHeader(view, section);
        QStringList down = up;
        std::reverse(down.begin(), down.end());
        QCOMPARE(viewRows(view), down);
        QCOMPARE(view->header()->sortIndicatorOrder(), Qt::DescendingOrder);
        // The list's own rows keep the count's order; new rows bring it back to the view.
        QCOMPARE(w.results().cell(1, 1), QStringLiteral("pear"));
        w.results().append(QStringLiteral("fig"), QStringLiteral("1"));
        w.results().flushAppends();
        QCOMPARE(view->header()->sortIndicatorSection(), -1);
        QCOMPARE(viewRows(view).first(), QStringLiteral("pear|1"));
        QCOMPARE(viewRows(view).last(), QStringLiteral("fig|1"));
        QVERIFY(h.sink.reports.isEmpty());
    }

    // The find box narrows the rows as the user types, letter case ignored; clearing it shows
    // every row again.
    void findBoxFiltersAsTheUserTypes()
    {
        test::WindowHarness h;
        MainWindow& w = h.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        fillResults(w);
        auto* view = h.control<QTreeView>(control::resultsList);
        auto* find = w.findChild<QLineEdit*>(QStringLiteral("resultsFind"));
        QVERIFY(find);
        QTest::keyClicks(find, QStringLiteral("AP"));
        QCOMPARE(viewRows(view), (QStringList{QStringLiteral("Apple|2"), QStringLiteral("grape|10"),
                                              QStringLiteral("apricot|10")}));
        QTest::keyClicks(find, QStringLiteral("r"));
        QCOMPARE(viewRows(view), QStringList{QStringLiteral("apricot|10")});
        QTest::keyClick(find, Qt::Key_Backspace);
        QCOMPARE(viewRows(view).size(), 3);
        find->clear();
        QCOMPARE(viewRows(view).size(), 5);
        // The count column is not searched.
        QTest::keyClicks(find, QStringLiteral("10"));
        QCOMPARE(viewRows(view), QStringList());
    }

    // Copy, save and export take the rows found, in the order shown, ticked ones only; a
    // double-click removes the row it was on.
    void outputsTakeTheRowsAsShown()
    {
        test::WindowHarness h;
        MainWindow& w = h.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        fillResults(w);
        w.results().setChecked(4, false); // banana
        auto* view = h.control<QTreeView>(control::resultsList);
        clickHeader(view, 1);
        clickHeader(view, 1); // most frequent first
        w.findChild<QLineEdit*>(QStringLiteral("resultsFind"))->setText(QStringLiteral("a"));
        QCOMPARE(viewRows(view),
                 (QStringList{QStringLiteral("grape|10"), QStringLiteral("apricot|10"),
                              QStringLiteral("banana|9"), QStringLiteral("Apple|2"),
                              QStringLiteral("pear|1")}));

        h.control<QPushButton>(control::copyResults)->click();
        QCOMPARE(h.desktop.clipboard, QStringLiteral("grape  \t10\r\napricot\t10\r\n"
                                                     "Apple  \t2\r\npear   \t1\r\n"));
        const QString saved =
            test::fixtureFolder(QStringLiteral("out")) + QStringLiteral("/shown.txt");
        h.dialogs.saveResults << saved;
        h.control<QPushButton>(control::saveResultsAsText)->click();
        QCOMPARE(test::readFile(saved), QByteArray("Results\tCount\t\r\ngrape  \t10   \t\r\n"
                                                   "apricot\t10   \t\r\nApple  \t2    \t\r\n"
                                                   "pear   \t1    \t\r\n"));
        h.control<QPushButton>(control::exportResults)->click();
        QCOMPARE(h.sheetLog.mid(0, 5),
                 (QStringList{QStringLiteral("new"), QStringLiteral("1,1=Results"),
                              QStringLiteral("1,2=Count"), QStringLiteral("2,1=grape"),
                              QStringLiteral("2,2=10")}));
        // Sheet row r + 1 holds shown row r; the unticked one stays empty.
        QVERIFY(h.sheetLog.contains(QStringLiteral("6,1=pear")));
        QVERIFY(!h.sheetLog.contains(QStringLiteral("4,1=banana")));

        // The double-click lands on the second row shown: "apricot", the list's fifth.
        const QRect second = view->visualRect(view->model()->index(1, 1));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, second.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(w.results().rows(), 4);
        QCOMPARE(h.resultRows(),
                 (QStringList{QStringLiteral("pear|1"), QStringLiteral("Apple|2"),
                              QStringLiteral("grape|10"), QStringLiteral("banana|9")}));
        QCOMPARE(viewRows(view).first(), QStringLiteral("grape|10"));
        QCOMPARE(viewRows(view).size(), 4);
        QVERIFY2(h.sink.reports.isEmpty(), qPrintable(h.sink.reports.join(u'\n')));
    }
};

TV_TEST_MAIN(TestResultsView, QApplication)
#include "test_resultsview.moc"
