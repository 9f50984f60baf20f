// The common error report: its text, the locations and labels it names, and where a guarded
// procedure resumes after a failure.
#include "platform/guard.h"
#include "platform/windowcontrols.h"
#include "support/recorders.h"
#include "support/testenv.h"

#include <QCoreApplication>

using namespace tv;

Q_DECLARE_METATYPE(tv::ReportLocation)

namespace {
void helperThatFails()
{
    throw Failure(QStringLiteral("Helper broke"));
}
} // namespace

class TestErrorReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reportTextLayout()
    {
        const QString text =
            errorReportText(QStringLiteral("Division by zero"), location::fetchPage(), 108);
        QCOMPARE(text,
                 QStringLiteral("Division by zero\r\nin Corvantis2021/08/31.Sorting.fetchUrl "
                                "at line 108\r\rPlease email screenshot of this message to ") +
                     supportAddress());
        QCOMPARE(text.count(u'\n'), 1);
        QCOMPARE(text.count(u'\r'), 3);
    }

    // Every guarded procedure's location text, as its reports show it.
    void locationTexts_data()
    {
        QTest::addColumn<ReportLocation>("location");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, const ReportLocation& location, const char* text) {
            QTest::newRow(name) << location << QString::fromLatin1(text);
        };
        row("load", windowLoadLocation(), "Form1.Form_Load");
        row("addOneUrl", clickLocation(control::addOneUrl), "Form1.PushButton7_Click");
        row("loadSampleSites", clickLocation(control::loadSampleSites), "Form1.PushButton8_Click");
        row("clearSiteList", clickLocation(control::clearSiteList), "Form1.PushButton11_Click");
        row("loadSitesFromFiles", clickLocation(control::loadSitesFromFiles),
            "Form1.PushButton13_Click");
        row("removeSitesContaining", clickLocation(control::removeSitesContaining),
            "Form1.PushButton17_Click");
        row("removeSitesNotContaining", clickLocation(control::removeSitesNotContaining),
            "Form1.PushButton10_Click");
        row("startCounting", clickLocation(control::startCounting), "Form1.PushButton12_Click");
        row("clearResults", clickLocation(control::clearResults), "Form1.PushButton9_Click");
        row("saveResultsAsText", clickLocation(control::saveResultsAsText),
            "Form1.PushButton6_Click");
        row("copyResults", clickLocation(control::copyResults), "Form1.PushButton2_Click");
        row("exportResults", clickLocation(control::exportResults), "Form1.PushButton1_Click");
        row("alignedResults", location::alignedResults(), "Main.SaveListviewProperlySpaced");
        row("fetchPage", location::fetchPage(), "Sorting.fetchUrl");
        row("bodyText", location::bodyText(), "Sorting.removeTags");
        row("textMethod", location::textMethod(), "Sorting.SortingText");
        row("databaseMethod", location::databaseMethod(), "Sorting.SortingDB");
    }
    void locationTexts()
    {
        QFETCH(ReportLocation, location);
        QFETCH(QString, text);
        QCOMPARE(locationText(location), QStringLiteral("in Corvantis2021/08/31.") + text + u' ');
    }

    void firstStatementFailsAndTheNextRuns()
    {
        test::RecordingSink sink;
        Guard g(windowLoadLocation());
        QStringList ran;
        g.run(100, [&] { throw Failure(QStringLiteral("Boom")); });
        g.run(102, [&] { ran << QStringLiteral("second"); });
        QCOMPARE(sink.reports.size(), 1);
        QCOMPARE(sink.lines(), QList<int>{100});
        QVERIFY(sink.reports[0].startsWith(
            QStringLiteral("Boom\r\nin Corvantis2021/08/31.Form1.Form_Load at line 100\r\r")));
        QCOMPARE(ran, QStringList{QStringLiteral("second")});
    }

    void failingConditionalEntersFirstBranchOnly()
    {
        test::RecordingSink sink;
        Guard g(windowLoadLocation());
        QStringList ran;
        if (g.test(104, [&]() -> bool { throw Failure(QStringLiteral("Bad test")); }))
            g.run(106, [&] { ran << QStringLiteral("first"); });
        else
            g.run(110, [&] { ran << QStringLiteral("second"); });
        QCOMPARE(ran, QStringList{QStringLiteral("first")});
        QCOMPARE(sink.lines(), QList<int>{104});
    }

    void failureInLastStatementOfBranchSkipsOtherBranch()
    {
        test::RecordingSink sink;
        Guard g(windowLoadLocation());
        QStringList ran;
        if (g.test(100, [] { return true; })) {
            g.run(102, [&] { ran << QStringLiteral("a"); });
            g.run(104, [&] { throw Failure(QStringLiteral("x")); });
        } else {
            g.run(108, [&] { ran << QStringLiteral("b"); });
        }
        g.run(112, [&] { ran << QStringLiteral("after"); });
        QCOMPARE(ran, (QStringList{QStringLiteral("a"), QStringLiteral("after")}));
        QCOMPARE(sink.lines(), QList<int>{104});
    }

    void unguardedHelperReportsCallersLine()
    {
        test::RecordingSink sink;
        Guard g(location::databaseMethod());
        g.run(112, [] { helperThatFails(); });
        QCOMPARE(sink.lines(), QList<int>{112});
        QCOMPARE(sink.descriptions(), QStringList{QStringLiteral("Helper broke")});
        QVERIFY(sink.reports[0].contains(QStringLiteral("Sorting.SortingDB at line 112")));
    }

    void failingLoopTestIsReportedOnceAndEnds()
    {
        test::RecordingSink sink;
        Guard g(location::alignedResults());
        int bodies = 0;
        int guardRounds = 0;
        while (g.loopTest(120, [&]() -> bool { throw Failure(QStringLiteral("Gone")); })) {
            ++bodies;
            if (++guardRounds > 10)
                break; // the loop must end by itself; this only keeps a broken guard finite
        }
        QCOMPARE(bodies, 1);
        QCOMPARE(sink.reports.size(), 1);
        QCOMPARE(sink.lines(), QList<int>{120});
    }

    void valueGivesFallbackOnFailure()
    {
        test::RecordingSink sink;
        Guard g(location::fetchPage());
        const QString text =
            g.value(108, QString(), []() -> QString { throw std::runtime_error("plain"); });
        QVERIFY(text.isEmpty());
        QCOMPARE(sink.descriptions(), QStringList{QStringLiteral("plain")});
    }

    void unguardedHandlerFailureIsShownNotFatal()
    {
        test::RecordingSink sink;
        runUnguarded(eventLocation(control::databaseMethod, "Click"),
                     [] { throw Failure(QStringLiteral("Settings broke")); });
        QCOMPARE(sink.descriptions(), QStringList{QStringLiteral("Settings broke")});
        QVERIFY(sink.reports[0].contains(QStringLiteral("Form1.Option3_Click")));
    }
};

TV_TEST_MAIN(TestErrorReport, QCoreApplication)
#include "test_errorreport.moc"
