// The two site-list filters: the match rule, the order of what remains, and the commands
// around them with their hourglass and busy refusal.
#include "platform/failure.h"
#include "platform/yield.h"
#include "sites/filtersites.h"
#include "sites/sitecommands.h"
#include "sites/sitelistmodel.h"
#include "support/recorders.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QTest>
#include <QTimer>

using namespace tv;
using namespace Qt::Literals::StringLiterals;

namespace {

// Rows "keep-N" and "drop-N" by a pattern, so long and scattered removals have a known result.
QStringList patternRows(int count, int dropEvery, QStringList* kept)
{
    QStringList rows;
    for (int i = 0; i < count; ++i) {
        const bool drop = i % dropEvery == 0;
        rows << (drop ? QStringLiteral("drop-%1") : QStringLiteral("keep-%1")).arg(i);
        if (!drop)
            kept->append(rows.last());
    }
    return rows;
}

} // namespace

class TestFilterSites : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void filter_data();
    void filter();
    void commandCancelled_data();
    void commandCancelled();
    void commandRefusedWhileBusy_data();
    void commandRefusedWhileBusy();
    void busyWhileWorking_data();
    void busyWhileWorking();
    void rowVanishesDuringFilter();
    void removeAtRows_data();
    void removeAtRows();
};

void TestFilterSites::initTestCase()
{
    // Every yield handles events, so timers set by a test fire in the middle of a filter.
    setYieldInterval(std::chrono::milliseconds(0));
}

void TestFilterSites::filter_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("containing");
    QTest::addColumn<QStringList>("remaining");

    const QStringList mixed{"www.example.com", "other.org", "EXAMPLE.NET"};
    QTest::newRow("capitals in the text remove lower-case rows")
        << mixed << "EXAMPLE" << true << QStringList{"other.org"};
    QTest::newRow("lower-case text removes rows in capitals")
        << mixed << "example.net" << true << QStringList{"www.example.com", "other.org"};
    QTest::newRow("not containing, text in capitals")
        << mixed << "Example" << false << QStringList{"www.example.com", "EXAMPLE.NET"};
    QTest::newRow("containing, no match: unchanged") << mixed << "zzz" << true << mixed;
    QTest::newRow("not containing, no match: emptied") << mixed << "zzz" << false << QStringList{};
    QTest::newRow("containing keeps empty rows")
        << QStringList{"", "a.com", ""} << "a" << true << QStringList{"", ""};
    QTest::newRow("not containing removes empty rows")
        << QStringList{"", "a.com", ""} << "a" << false << QStringList{"a.com"};
    QTest::newRow("removing rows 2 and 4 of five keeps 1, 3, 5")
        << QStringList{"r1", "x2", "r3", "x4", "r5"} << "x" << true
        << QStringList{"r1", "r3", "r5"};
    QTest::newRow("a leading blank matches only where the blank is")
        << QStringList{" a.com", "a.com", "b a.com"} << " a" << true << QStringList{"a.com"};
    QTest::newRow("duplicates go together")
        << QStringList{"a.com", "b.com", "a.com"} << "a.c" << true << QStringList{"b.com"};
    QTest::newRow("letters beyond ASCII")
        << QStringList{u"ÄPFEL.de"_s, "birne.de"} << u"äpfel"_s << true << QStringList{"birne.de"};
    QTest::newRow("the whole row matches")
        << QStringList{"a.com", "a.co"} << "A.COM" << false << QStringList{"a.com"};
    {
        QStringList kept;
        const QStringList rows = patternRows(400, 2, &kept);
        QTest::newRow("every other row of 400") << rows << "DROP" << true << kept;
    }
    {
        QStringList kept;
        const QStringList rows = patternRows(400, 3, &kept);
        QTest::newRow("every third row of 400, not containing") << rows << "keep" << false << kept;
    }
}

void TestFilterSites::filter()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, text);
    QFETCH(bool, containing);
    QFETCH(QStringList, remaining);

    // The procedure on its own.
    SiteListModel direct;
    direct.append(rows);
    if (containing)
        removeRowsContaining(direct, text);
    else
        removeRowsNotContaining(direct, text);
    QCOMPARE(direct.rows(), remaining);

    // The command: asks, shows the hourglass, filters, shows the arrow.
    test::RecordingSink sink;
    test::ScriptedDialogs dialogs;
    dialogs.inputs << text;
    test::RecordingPointer pointer;
    SiteListModel list;
    list.append(rows);
    if (containing)
        removeSitesContaining(list, dialogs, pointer);
    else
        removeSitesNotContaining(list, dialogs, pointer);
    QCOMPARE(list.rows(), remaining);
    QCOMPARE(dialogs.prompts, QStringList{containing ? "Remove entries containing: "
                                                     : "Remove entries not containing: "});
    QCOMPARE(pointer.history, (QList<int>{PointerHourglass, PointerArrow}));
    QVERIFY(sink.reports.isEmpty());
}

void TestFilterSites::commandCancelled_data()
{
    QTest::addColumn<bool>("containing");
    QTest::newRow("Remove Entries Containing X") << true;
    QTest::newRow("Remove Entries Not Containing X") << false;
}

void TestFilterSites::commandCancelled()
{
    QFETCH(bool, containing);
    const QStringList rows{"a.com", "", "b.org"};
    test::ScriptedDialogs dialogs;
    dialogs.inputs << QString();
    test::RecordingPointer pointer;
    SiteListModel list;
    list.append(rows);

    if (containing)
        removeSitesContaining(list, dialogs, pointer);
    else
        removeSitesNotContaining(list, dialogs, pointer);

    QCOMPARE(list.rows(), rows);
    QCOMPARE(dialogs.prompts.size(), 1);
    QVERIFY(pointer.history.isEmpty());
}

void TestFilterSites::commandRefusedWhileBusy_data()
{
    commandCancelled_data();
}

void TestFilterSites::commandRefusedWhileBusy()
{
    QFETCH(bool, containing);
    const QStringList rows{"a.com", "b.org"};
    test::ScriptedDialogs dialogs;
    dialogs.inputs << QStringLiteral("a");
    test::RecordingPointer pointer(PointerHourglass);
    SiteListModel list;
    list.append(rows);

    if (containing)
        removeSitesContaining(list, dialogs, pointer);
    else
        removeSitesNotContaining(list, dialogs, pointer);

    QCOMPARE(list.rows(), rows);
    QVERIFY(dialogs.prompts.isEmpty());
    QCOMPARE(pointer.mode, int(PointerHourglass));
    QVERIFY(pointer.history.isEmpty());
}

void TestFilterSites::busyWhileWorking_data()
{
    commandCancelled_data();
}

// While a filter walks the list, the window handles events; the commands that must not touch
// the list then find the hourglass and do nothing.
void TestFilterSites::busyWhileWorking()
{
    QFETCH(bool, containing);
    QStringList kept;
    const QStringList rows = patternRows(50, 5, &kept);
    test::RecordingSink sink;
    test::ScriptedDialogs dialogs;
    dialogs.inputs << (containing ? QStringLiteral("drop") : QStringLiteral("keep"));
    dialogs.inputs << QStringLiteral("keep");
    test::RecordingPointer pointer;
    SiteListModel list;
    list.append(rows);
    QList<int> modesAtRemoval;
    connect(&list, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [&] { modesAtRemoval << pointer.mode; });
    connect(&list, &QAbstractItemModel::modelAboutToBeReset, this,
            [&] { modesAtRemoval << pointer.mode; });
    bool interrupted = false;
    QTimer::singleShot(0, this, [&] {
        interrupted = true;
        clearSiteList(list, pointer);
        removeSelectedSite(list, 2, pointer);
        removeSitesContaining(list, dialogs, pointer);
        removeSitesNotContaining(list, dialogs, pointer);
    });

    if (containing)
        removeSitesContaining(list, dialogs, pointer);
    else
        removeSitesNotContaining(list, dialogs, pointer);

    QVERIFY(interrupted);
    QCOMPARE(list.rows(), kept);
    QVERIFY(!modesAtRemoval.isEmpty());
    for (const int mode : modesAtRemoval)
        QCOMPARE(mode, int(PointerHourglass));
    QCOMPARE(pointer.history, (QList<int>{PointerHourglass, PointerArrow}));
    QCOMPARE(dialogs.prompts.size(), 1);
    QVERIFY(sink.reports.isEmpty());
}

// Something outside the filters empties the list under a running filter: the command reports
// the failure on the line that called the filter and still sets the pointer back.
void TestFilterSites::rowVanishesDuringFilter()
{
    test::RecordingSink sink;
    test::ScriptedDialogs dialogs;
    dialogs.inputs << QStringLiteral("a");
    test::RecordingPointer pointer;
    SiteListModel list;
    list.append(QStringList{"a.com", "b.com", "a.org", "c.net"});
    QTimer::singleShot(0, this, [&] { list.clear(); });

    removeSitesContaining(list, dialogs, pointer);

    QCOMPARE(sink.lines(), QList<int>{106});
    QCOMPARE(sink.descriptions(), QStringList{"Index out of bounds"});
    QVERIFY(sink.reports.value(0).contains(QStringLiteral("Form1.PushButton17_Click ")));
    QCOMPARE(pointer.history, (QList<int>{PointerHourglass, PointerArrow}));
    QCOMPARE(list.count(), 0);
}

void TestFilterSites::removeAtRows_data()
{
    QTest::addColumn<QList<int>>("doomed");
    QTest::addColumn<QStringList>("remaining");
    QTest::addColumn<bool>("fails");

    const QStringList five{"r1", "r2", "r3", "r4", "r5"};
    QTest::newRow("none") << QList<int>{} << five << false;
    QTest::newRow("a run") << QList<int>{2, 3, 4} << QStringList{"r1", "r5"} << false;
    QTest::newRow("first and last") << QList<int>{1, 5} << QStringList{"r2", "r3", "r4"} << false;
    QTest::newRow("all") << QList<int>{1, 2, 3, 4, 5} << QStringList{} << false;
    QTest::newRow("past the end: nothing goes") << QList<int>{2, 6} << five << true;
    QTest::newRow("row 0: nothing goes") << QList<int>{0, 2} << five << true;
    QTest::newRow("not ascending: nothing goes") << QList<int>{3, 2} << five << true;
    QTest::newRow("twice the same: nothing goes") << QList<int>{2, 2} << five << true;
}

void TestFilterSites::removeAtRows()
{
    QFETCH(QList<int>, doomed);
    QFETCH(QStringList, remaining);
    QFETCH(bool, fails);
    SiteListModel list;
    list.append(QStringList{"r1", "r2", "r3", "r4", "r5"});

    bool failed = false;
    try {
        list.removeAtRows(doomed);
    } catch (const Failure&) {
        failed = true;
    }

    QCOMPARE(failed, fails);
    QCOMPARE(list.rows(), remaining);
    QCOMPARE(list.rowCount(), remaining.size());
}

TV_TEST_MAIN(TestFilterSites, QCoreApplication)
#include "test_filtersites.moc"
