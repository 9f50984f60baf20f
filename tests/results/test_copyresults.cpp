// "Copy Results To Clipboard": the clipboard text, the retry rules and the confirmation.
#include "platform/yield.h"
#include "results/copyresults.h"
#include "results/resultsmodel.h"
#include "resultsfixture.h"
#include "support/recorders.h"
#include "support/testenv.h"

#include <QCoreApplication>

using namespace tv;
using namespace tv::test;

namespace {
const QString kConfirmation =
    QStringLiteral("Results have been copied to the clipboard.\r\rClick a text area where you "
                   "normally type and press Ctrl+V to paste the clipboard.");
}

class TestCopyResults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void clipboardText_data();
    void clipboardText();
    void emptyListLeavesClipboard();
    void confirmationEveryTime();
    void listClearedWhileCopying();
    void retries_data();
    void retries();
};

void TestCopyResults::clipboardText_data()
{
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QString>("expected");

    const QStringList combined{"Results", "Count"};
    const QStringList perSite{"Filename", "Results", "Count"};

    QTest::newRow("example: unticked long word widens column 1")
        << combined
        << QList<QStringList>{{"x", "the", "12"}, {"x", "a", "7"}, {"-", "xylophone", "1"}}
        << QStringLiteral("the      \t12\r\n"
                          "a        \t7\r\n");
    QTest::newRow("none ticked: empty text")
        << combined << QList<QStringList>{{"-", "the", "12"}, {"-", "a", "7"}} << QString();
    QTest::newRow("caption wider than the texts does not count")
        << QStringList{"Results of a long run", "Count of words"}
        << QList<QStringList>{{"x", "ab", "1"}, {"x", "a", "22"}}
        << QStringLiteral("ab\t1\r\n"
                          "a \t22\r\n");
    QTest::newRow("last column neither padded nor followed by TAB")
        << combined << QList<QStringList>{{"x", "a", "1"}, {"x", "bb", "1000"}}
        << QStringLiteral("a \t1\r\n"
                          "bb\t1000\r\n");
    QTest::newRow("trailing spaces of the last cell removed")
        << combined << QList<QStringList>{{"x", "the", "12   "}, {"x", "a", " 7 "}}
        << QStringLiteral("the\t12\r\n"
                          "a  \t 7\r\n");
    QTest::newRow("empty last cell ends the line with the TAB before it")
        << combined << QList<QStringList>{{"x", "word", ""}, {"x", "a", "7"}}
        << QStringLiteral("word\t\r\n"
                          "a   \t7\r\n");
    QTest::newRow("one column: spaces-only text trims to an empty line")
        << QStringList{"Results"} << QList<QStringList>{{"x", "  "}, {"x", "ab"}, {"x", "c  "}}
        << QStringLiteral("\r\nab\r\nc\r\n");
    QTest::newRow("per site, three columns")
        << perSite
        << QList<QStringList>{{"x", "http://a.example/", "zebra", "1"},
                              {"-", "http://bb.example/", "ox", "3"},
                              {"x", "http://a.example/", "ox", "22"}}
        << QStringLiteral("http://a.example/ \tzebra\t1\r\n"
                          "http://a.example/ \tox   \t22\r\n");
    QTest::newRow("lengths in UTF-16 code units")
        << combined << QList<QStringList>{{"x", "\U0001D11E", "1"}, {"x", "é", "2"}}
        << QStringLiteral("\U0001D11E\t1\r\né \t2\r\n");
}

void TestCopyResults::clipboardText()
{
    QFETCH(QStringList, captions);
    QFETCH(QList<QStringList>, rows);
    QFETCH(QString, expected);

    ResultsModel list;
    fillList(list, captions, rows);
    RecordingDesktop desktop;
    desktop.clipboard = QStringLiteral("previous content");
    ScriptedDialogs dialogs;
    RecordingSink sink;

    copyResultsToClipboard(list, dialogs, desktop);

    QVERIFY(sink.reports.isEmpty());
    QVERIFY(desktop.clipboardSet);
    QCOMPARE(desktop.clipboard, expected);
    QCOMPARE(desktop.clipboardAttempts, 2); // one clear, one set
    QCOMPARE(dialogs.informations, QStringList{kConfirmation});
}

void TestCopyResults::emptyListLeavesClipboard()
{
    ResultsModel list;
    fillList(list, {"Results", "Count"}, {});
    RecordingDesktop desktop;
    desktop.clipboard = QStringLiteral("previous content");
    ScriptedDialogs dialogs;
    RecordingSink sink;

    copyResultsToClipboard(list, dialogs, desktop);

    QCOMPARE(desktop.clipboardAttempts, 0);
    QCOMPARE(desktop.clipboard, QStringLiteral("previous content"));
    QCOMPARE(dialogs.informations, QStringList{kConfirmation});
    QVERIFY(sink.reports.isEmpty());
}

void TestCopyResults::confirmationEveryTime()
{
    ResultsModel list;
    fillList(list, {"Results", "Count"}, {{"x", "the", "12"}});
    RecordingDesktop desktop;
    ScriptedDialogs dialogs;
    copyResultsToClipboard(list, dialogs, desktop);
    desktop.clipboardFailures = 2 * kClipboardAttempts; // a clipboard that never lets go
    copyResultsToClipboard(list, dialogs, desktop);
    QCOMPARE(dialogs.informations, (QStringList{kConfirmation, kConfirmation}));
    QCOMPARE(desktop.clipboard, QStringLiteral("the\t12\r\n"));
}

void TestCopyResults::listClearedWhileCopying()
{
    // The copy yields, and the list may be cleared meanwhile: what is left is copied and no
    // failure is reported for the rows that are gone.
    ResultsModel list;
    fillList(list, {"Results", "Count"}, {{"x", "the", "12"}, {"x", "a", "7"}, {"x", "of", "3"}});
    RecordingDesktop desktop;
    ScriptedDialogs dialogs;
    RecordingSink sink;
    setYieldInterval(std::chrono::milliseconds(0));
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { list.clearRows(); }, Qt::QueuedConnection);

    copyResultsToClipboard(list, dialogs, desktop);
    setYieldInterval(std::chrono::milliseconds(15));

    QCOMPARE(list.rows(), 0);
    QVERIFY2(sink.reports.isEmpty(), qPrintable(sink.reports.join(u'\n')));
    QVERIFY(desktop.clipboardSet);
    QCOMPARE(desktop.clipboard, QString());
    QCOMPARE(dialogs.informations, QStringList{kConfirmation});
}

void TestCopyResults::retries_data()
{
    QTest::addColumn<int>("refusals"); // attempts the clipboard refuses before it accepts
    QTest::addColumn<int>("attempts");
    QTest::addColumn<bool>("placed");

    QTest::newRow("free at once") << 0 << 2 << true;
    QTest::newRow("busy for 999 attempts: cleared at the last try") << 999 << 1001 << true;
    QTest::newRow("clearing gives up after 1000, setting works") << 1000 << 1001 << true;
    QTest::newRow("setting succeeds at its 1000th attempt") << 1999 << 2000 << true;
    QTest::newRow("busy throughout: 1000 attempts each") << 2000 << 2000 << false;
}

void TestCopyResults::retries()
{
    QFETCH(int, refusals);
    QFETCH(int, attempts);
    QFETCH(bool, placed);

    RecordingDesktop desktop;
    desktop.clipboard = QStringLiteral("old");
    desktop.clipboardFailures = refusals;
    clearClipboardRetrying(desktop);
    QCOMPARE(setClipboardTextRetrying(desktop, QStringLiteral("new")), placed);
    QCOMPARE(desktop.clipboardAttempts, attempts);
    QCOMPARE(desktop.clipboard, placed ? QStringLiteral("new") : QStringLiteral("old"));
}

TV_TEST_MAIN(TestCopyResults, QCoreApplication)
#include "test_copyresults.moc"
