// The direct editing commands of the site list: Add One URL, the samples, Clear List, the
// double-click removal, and how their error reports name the failing line.
#include "platform/failure.h"
#include "sites/sitecommands.h"
#include "sites/sitelistmodel.h"
#include "support/recorders.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QTest>

using namespace tv;

namespace {

SiteListModel* listOf(const QStringList& rows, QObject* parent)
{
    auto* list = new SiteListModel(parent);
    list->append(rows);
    return list;
}

// Dialogs whose input box and file dialog fail, as a broken platform box would.
class FailingDialogs : public test::ScriptedDialogs {
public:
    QString inputBox(const QString& prompt) override
    {
        prompts << prompt;
        throw Failure(QStringLiteral("Input box broke"));
    }
    QStringList openFileNames(const QString& title, const QString&) override
    {
        dialogTitles << title;
        throw Failure(QStringLiteral("File dialog broke"));
    }
};

} // namespace

class TestSiteCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void addOneUrl_data();
    void addOneUrl();
    void samples_data();
    void samples();
    void clearList_data();
    void clearList();
    void clearListAfterBusyEnds();
    void doubleClick_data();
    void doubleClick();
    void failingDialogIsReported_data();
    void failingDialogIsReported();
};

void TestSiteCommands::addOneUrl_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("typed address is appended")
        << QStringList{"a.com"} << "www.example.org" << QStringList{"a.com", "www.example.org"};
    QTest::newRow("blanks before and after stay")
        << QStringList{} << "  example.org  " << QStringList{"  example.org  "};
    QTest::newRow("cancelled or empty changes nothing")
        << QStringList{"a.com", "b.com"} << "" << QStringList{"a.com", "b.com"};
    QTest::newRow("same address twice gives two rows")
        << QStringList{"a.com"} << "a.com" << QStringList{"a.com", "a.com"};
    QTest::newRow("a lone blank is an address") << QStringList{} << " " << QStringList{" "};
    QTest::newRow("full URL kept as typed") << QStringList{} << "HTTPS://Example.org/Path?q=1"
                                            << QStringList{"HTTPS://Example.org/Path?q=1"};
}

void TestSiteCommands::addOneUrl()
{
    QFETCH(QStringList, before);
    QFETCH(QString, answer);
    QFETCH(QStringList, after);
    test::RecordingSink sink;
    test::ScriptedDialogs dialogs;
    dialogs.inputs << answer;
    SiteListModel* list = listOf(before, this);

    tv::addOneUrl(*list, dialogs);

    QCOMPARE(list->rows(), after);
    QCOMPARE(dialogs.prompts, QStringList{"Enter website address to add: "});
    QVERIFY(dialogs.unexpected.isEmpty());
    QVERIFY(sink.reports.isEmpty());
}

void TestSiteCommands::samples_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("presses");

    QTest::newRow("empty list, once") << QStringList{} << 1;
    QTest::newRow("three rows, once") << QStringList{"a", "b", "c"} << 1;
    QTest::newRow("three rows, twice") << QStringList{"a", "b", "c"} << 2;
}

void TestSiteCommands::samples()
{
    QFETCH(QStringList, before);
    QFETCH(int, presses);
    SiteListModel* list = listOf(before, this);

    for (int i = 0; i < presses; ++i)
        loadSampleSites(*list);

    // The samples are bare host names: no scheme, no path, no trailing slash.
    const QStringList samples = sampleSites();
    QCOMPARE(samples.size(), 2);
    for (const QString& host : samples) {
        QVERIFY2(!host.contains(u'/') && !host.contains(u':') && !host.contains(u' '),
                 qPrintable(host));
        QVERIFY(host.contains(u'.'));
    }
    QCOMPARE(samples.value(0), QStringLiteral("quenrith.com"));
    QVERIFY(samples.value(1) != samples.value(0));

    QCOMPARE(list->count(), before.size() + 2 * presses);
    QCOMPARE(list->rows().mid(0, before.size()), before);
    for (int i = 0; i < presses; ++i)
        QCOMPARE(list->rows().mid(before.size() + 2 * i, 2), samples);
}

void TestSiteCommands::clearList_data()
{
    QTest::addColumn<int>("pointerMode");
    QTest::addColumn<bool>("cleared");

    QTest::newRow("default pointer") << int(PointerDefault) << true;
    QTest::newRow("arrow after a filter") << int(PointerArrow) << true;
    QTest::newRow("hand over the buttons") << int(PointerCustom) << true;
    QTest::newRow("hourglass: refused") << int(PointerHourglass) << false;
}

void TestSiteCommands::clearList()
{
    QFETCH(int, pointerMode);
    QFETCH(bool, cleared);
    test::RecordingSink sink;
    const QStringList rows{"a.com", "", "a.com"};
    SiteListModel* list = listOf(rows, this);
    test::RecordingPointer pointer(pointerMode);

    clearSiteList(*list, pointer);

    QCOMPARE(list->rows(), cleared ? QStringList{} : rows);
    QVERIFY(pointer.history.isEmpty());
    QVERIFY(sink.reports.isEmpty());
}

void TestSiteCommands::clearListAfterBusyEnds()
{
    SiteListModel* list = listOf({"a.com", "b.com"}, this);
    test::RecordingPointer pointer(PointerHourglass);

    clearSiteList(*list, pointer);
    QCOMPARE(list->count(), 2);

    pointer.mode = PointerDefault;
    clearSiteList(*list, pointer);
    QCOMPARE(list->count(), 0);
}

void TestSiteCommands::doubleClick_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("pointerMode");
    QTest::addColumn<QStringList>("after");

    const QStringList five{"r1", "r2", "r3", "r4", "r5"};
    QTest::newRow("removes the selected row")
        << five << 2 << int(PointerDefault) << QStringList{"r1", "r3", "r4", "r5"};
    QTest::newRow("first row") << five << 1 << int(PointerArrow)
                               << QStringList{"r2", "r3", "r4", "r5"};
    QTest::newRow("last row") << five << 5 << int(PointerCustom)
                              << QStringList{"r1", "r2", "r3", "r4"};
    QTest::newRow("one of two equal rows")
        << QStringList{"a", "a"} << 2 << int(PointerDefault) << QStringList{"a"};
    QTest::newRow("hourglass: refused") << five << 2 << int(PointerHourglass) << five;
    QTest::newRow("no selected row") << five << 0 << int(PointerDefault) << five;
    QTest::newRow("selection past the end") << five << 6 << int(PointerDefault) << five;
    QTest::newRow("empty list") << QStringList{} << 1 << int(PointerDefault) << QStringList{};
}

void TestSiteCommands::doubleClick()
{
    QFETCH(QStringList, before);
    QFETCH(int, selected);
    QFETCH(int, pointerMode);
    QFETCH(QStringList, after);
    SiteListModel* list = listOf(before, this);
    test::RecordingPointer pointer(pointerMode);

    removeSelectedSite(*list, selected, pointer);

    QCOMPARE(list->rows(), after);
    QCOMPARE(pointer.mode, pointerMode);
}

void TestSiteCommands::failingDialogIsReported_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("procedure");
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("line");

    QTest::newRow("Add One URL") << 7 << "PushButton7_Click"
                                 << "Input box broke" << 100;
    QTest::newRow("Load From File") << 13 << "PushButton13_Click"
                                    << "File dialog broke" << 108;
    QTest::newRow("Remove Entries Containing X") << 17 << "PushButton17_Click"
                                                 << "Input box broke" << 100;
    QTest::newRow("Remove Entries Not Containing X") << 10 << "PushButton10_Click"
                                                     << "Input box broke" << 100;
}

void TestSiteCommands::failingDialogIsReported()
{
    QFETCH(int, button);
    QFETCH(QString, procedure);
    QFETCH(QString, description);
    QFETCH(int, line);
    test::RecordingSink sink;
    FailingDialogs dialogs;
    const QStringList rows{"a.com", "b.org"};
    SiteListModel* list = listOf(rows, this);
    test::RecordingPointer pointer;

    switch (button) {
    case 7:
        tv::addOneUrl(*list, dialogs);
        break;
    case 13:
        loadSitesFromFiles(*list, dialogs);
        break;
    case 17:
        removeSitesContaining(*list, dialogs, pointer);
        break;
    case 10:
        removeSitesNotContaining(*list, dialogs, pointer);
        break;
    }

    // Reported once; the failed answer counts as a cancel, so nothing else happens.
    QCOMPARE(sink.descriptions(), QStringList{description});
    QCOMPARE(sink.lines(), QList<int>{line});
    QVERIFY(sink.reports.value(0).contains(QStringLiteral("\r\nin Corvantis2021/08/31.Form1.") +
                                           procedure + QStringLiteral(" at line ")));
    QCOMPARE(list->rows(), rows);
    QVERIFY(pointer.history.isEmpty());
}

TV_TEST_MAIN(TestSiteCommands, QCoreApplication)
#include "test_sitecommands.moc"
