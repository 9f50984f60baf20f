// Stopping a count from the window: the button that turns into "Stop Counting", and Escape.
#include "support/httpserver.h"
#include "support/testenv.h"
#include "windowharness.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace tv;

class TestWindowStop : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A run over a page that takes far longer than the test is stopped while it waits for it:
    // the page before it is shown, nothing after it is counted, no box appears, and the caption
    // says how far the run got. The next run counts as usual.
    void stoppedRunShowsWhatItCounted_data()
    {
        QTest::addColumn<bool>("databaseMethod");
        QTest::addColumn<bool>("escape");
        QTest::addColumn<QString>("caption");
        QTest::newRow("database method, button")
            << true << false << "Results - Word Count: 3 (stopped after 1 of 3 sites)";
        QTest::newRow("database method, escape")
            << true << true << "Results - Word Count: 3 (stopped after 1 of 3 sites)";
        QTest::newRow("text method, button")
            << false << false << "Results (Total Word Count: 3) (stopped after 1 of 3 sites)";
        QTest::newRow("text method, escape")
            << false << true << "Results (Total Word Count: 3) (stopped after 1 of 3 sites)";
    }
    void stoppedRunShowsWhatItCounted()
    {
        QFETCH(bool, databaseMethod);
        QFETCH(bool, escape);
        QFETCH(QString, caption);
        test::HttpServer server;
        QVERIFY(server.isListening());
        test::HttpFixture slow = test::HttpFixture::html("<p>never counted</p>");
        slow.delay = std::chrono::seconds(60);
        server.serve(QStringLiteral("/first"), test::HttpFixture::html("<p>one two two</p>"));
        server.serve(QStringLiteral("/slow"), slow);
        server.serve(QStringLiteral("/last"), test::HttpFixture::html("<p>after the stop</p>"));
        test::WindowHarness h;
        MainWindow& w = h.load();
        w.show();
        h.control<QRadioButton>(databaseMethod ? control::databaseMethod : control::textMethod)
            ->click();
        for (const char* path : {"/first", "/slow", "/last"})
            w.sites().append(server.siteAddress(QString::fromLatin1(path)));
        auto* start = h.control<QPushButton>(control::startCounting);

        // Once the run waits for the slow page, the user stops it.
        QString duringRun;
        QTimer watch;
        int ticks = 0;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (++ticks > 1000 || (w.counting() && server.requestCount("/slow") > 0 &&
                                   w.results().rows() == 0 && ticks > 5)) {
                watch.stop();
                duringRun = start->text();
                if (escape)
                    QTest::keyClick(&w, Qt::Key_Escape);
                else
                    start->click();
            }
        });
        watch.start(20);
        start->click();
        QCOMPARE(duringRun, QStringLiteral("&Stop Counting"));
        QVERIFY(!w.counting());
        QCOMPARE(start->text(), QStringLiteral("&Start Counting"));
        QCOMPARE(h.resultRows(), (QStringList{QStringLiteral("one|1"), QStringLiteral("two|2")}));
        QCOMPARE(w.results().caption(1), caption);
        QVERIFY2(h.sink.reports.isEmpty(), qPrintable(h.sink.reports.join(u'\n')));
        QVERIFY(h.dialogs.informations.isEmpty());
        QCOMPARE(w.pointerMode(), int(PointerDefault));

        // Escape with no run under way does nothing; a new run is not stopped by the old stop.
        QTest::keyClick(&w, Qt::Key_Escape);
        w.sites().clear();
        w.sites().append(server.siteAddress(QStringLiteral("/last")));
        start->click();
        QCOMPARE(h.dialogs.informations, QStringList{QStringLiteral("Done.")});
        QVERIFY(h.resultRows().contains(QStringLiteral("stop|1")));
        QVERIFY(!w.results().caption(1).contains(QStringLiteral("stopped")));
        QVERIFY2(h.sink.reports.isEmpty(), qPrintable(h.sink.reports.join(u'\n')));
    }
};

TV_TEST_MAIN(TestWindowStop, QApplication)
#include "test_windowstop.moc"
