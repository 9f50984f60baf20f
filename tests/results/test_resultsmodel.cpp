// The results list model: rows reach views in batches, ticks, removal and clearing.
#include "platform/failure.h"
#include "results/resultsmodel.h"
#include "support/testenv.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QSignalSpy>

using namespace tv;

namespace {

QStringList words(const ResultsModel& model)
{
    QStringList result;
    for (int r = 1; r <= model.rows(); ++r)
        result << model.cell(r, 1) + (model.isChecked(r) ? QString() : QStringLiteral("-"));
    return result;
}

} // namespace

class TestResultsModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void appendedRowsReachViewsInOneBatch();
    void rowsArriveTicked();
    void userCanClearTheTick();
    void tickStateSurvivesRemovals_data();
    void tickStateSurvivesRemovals();
    void removalOfMissingRowFails_data();
    void removalOfMissingRowFails();
    void clearRowsKeepsColumnsAndCaptions();
    void layoutRebuildEmptiesTheList();
};

void TestResultsModel::appendedRowsReachViewsInOneBatch()
{
    ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.addColumn(QStringLiteral("Results"), 3500);
    model.addColumn(QStringLiteral("Count"), 3000);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (int i = 0; i < 1000; ++i)
        model.append(QStringLiteral("w%1").arg(i), QString::number(i));
    // The program sees every row at once; views hear of them when the event loop runs.
    QCOMPARE(model.rows(), 1000);
    QCOMPARE(model.cell(1000, 2), QStringLiteral("999"));
    QCOMPARE(model.rowCount(), 0);
    QTRY_COMPARE(model.rowCount(), 1000);
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted[0][1].toInt(), 0);
    QCOMPARE(inserted[0][2].toInt(), 999);
    QCOMPARE(model.data(model.index(999, 0), Qt::DisplayRole).toString(), QStringLiteral("w999"));
    QCOMPARE(model.data(model.index(999, 1), Qt::DisplayRole).toString(), QStringLiteral("999"));
}

void TestResultsModel::rowsArriveTicked()
{
    ResultsModel model;
    model.addColumn(QStringLiteral("Results"), 3500);
    model.append(QStringLiteral("word"), QStringLiteral("1"));
    model.flushAppends();
    QVERIFY(model.isChecked(1));
    const QModelIndex first = model.index(0, 0);
    QCOMPARE(model.data(first, Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QVERIFY(model.flags(first).testFlag(Qt::ItemIsUserCheckable));
}

void TestResultsModel::userCanClearTheTick()
{
    ResultsModel model;
    model.addColumn(QStringLiteral("Results"), 3500);
    model.append(QStringLiteral("word"), QStringLiteral("1"));
    model.flushAppends();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QVERIFY(model.setData(model.index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(!model.isChecked(1));
    QCOMPARE(changed.size(), 1);
}

void TestResultsModel::tickStateSurvivesRemovals_data()
{
    QTest::addColumn<int>("flushed"); // rows the views know before the removal
    QTest::addColumn<int>("removed");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("first row") << 5 << 1 << QStringList{"b-", "c", "d-", "e"};
    QTest::newRow("cleared row") << 5 << 2 << QStringList{"a", "c", "d-", "e"};
    QTest::newRow("last row") << 5 << 5 << QStringList{"a", "b-", "c", "d-"};
    QTest::newRow("row views have not seen yet") << 2 << 4 << QStringList{"a", "b-", "c", "e"};
}

void TestResultsModel::tickStateSurvivesRemovals()
{
    QFETCH(int, flushed);
    QFETCH(int, removed);
    QFETCH(QStringList, expected);
    ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.addColumn(QStringLiteral("Results"), 3500);
    const QStringList texts{"a", "b", "c", "d", "e"};
    for (int i = 0; i < texts.size(); ++i) {
        model.append(texts[i], QStringLiteral("1"));
        if (i + 1 == flushed)
            model.flushAppends();
    }
    model.setChecked(2, false);
    model.setChecked(4, false);
    model.removeAt(removed);
    QCOMPARE(words(model), expected);
    QCOMPARE(model.rowCount(), 4);
    for (int r = 1; r <= 4; ++r) {
        const int state = model.data(model.index(r - 1, 0), Qt::CheckStateRole).toInt();
        QCOMPARE(state == Qt::Checked, model.isChecked(r));
    }
}

void TestResultsModel::removalOfMissingRowFails_data()
{
    QTest::addColumn<int>("row");
    QTest::newRow("row 0") << 0;
    QTest::newRow("past the last") << 3;
}

void TestResultsModel::removalOfMissingRowFails()
{
    QFETCH(int, row);
    ResultsModel model;
    model.append(QStringLiteral("a"), QStringLiteral("1"));
    model.append(QStringLiteral("b"), QStringLiteral("1"));
    QVERIFY_THROWS_EXCEPTION(Failure, model.removeAt(row));
    QCOMPARE(model.rows(), 2);
}

void TestResultsModel::clearRowsKeepsColumnsAndCaptions()
{
    ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.addColumn(QStringLiteral("Results"), 3500);
    model.addColumn(QStringLiteral("Count"), 3000);
    model.append(QStringLiteral("a"), QStringLiteral("1"));
    model.flushAppends();
    model.append(QStringLiteral("b"), QStringLiteral("1"));
    model.setCaption(1, QStringLiteral("Results - Word Count: 2"));
    model.clearRows();
    QCOMPARE(model.rows(), 0);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columns(), 2);
    QCOMPARE(model.caption(1), QStringLiteral("Results - Word Count: 2"));
    QCOMPARE(model.width(2), 3000);
    // A flush still queued from before the clearing finds nothing to add.
    QTest::qWait(0);
    QCOMPARE(model.rowCount(), 0);
    model.clearRows();
    QCOMPARE(model.rows(), 0);
}

void TestResultsModel::layoutRebuildEmptiesTheList()
{
    ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy widths(&model, &ResultsModel::widthsChanged);
    model.addColumn(QStringLiteral("Results"), 3500);
    model.addColumn(QStringLiteral("Count"), 3000);
    model.append(QStringLiteral("a"), QStringLiteral("1"));
    model.append(QStringLiteral("b"), QStringLiteral("2"));
    model.clearRows();
    model.clearColumns();
    model.addColumn(QStringLiteral("Filename"), 3000);
    model.addColumn(QStringLiteral("Results"), 1500);
    model.addColumn(QStringLiteral("Count"), 1500);
    QCOMPARE(model.rows(), 0);
    QCOMPARE(model.columns(), 3);
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Filename"));
    QCOMPARE(model.width(1), 3000);
    QVERIFY(widths.size() >= 5);
    model.append(QStringLiteral("site"), QStringLiteral("word"), QStringLiteral("3"));
    QTRY_COMPARE(model.rowCount(), 1);
    QCOMPARE(model.cell(1, 3), QStringLiteral("3"));
}

TV_TEST_MAIN(TestResultsModel, QCoreApplication)
#include "test_resultsmodel.moc"
