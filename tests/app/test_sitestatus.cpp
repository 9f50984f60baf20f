// The site list's status column: what became of each site, failures collected there when the
// user asks, a retry of the failed sites, long site names elided in the middle, and drops of
// files and addresses onto the list.
#include "fetch/networkpagesource.h"
#include "support/httpserver.h"
#include "support/testenv.h"
#include "windowharness.h"

#include <QAction>
#include <QApplication>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTcpServer>
#include <QTreeView>
#include <QUrl>

using namespace tv;

namespace {

// An address where nothing listens: the connection is refused.
QString refusedAddress()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("127.0.0.1:%1/gone").arg(port);
}

QAction* action(MainWindow& w, const char* name)
{
    auto* found = w.findChild<QAction*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no action %s", name);
    return found;
}

} // namespace

class TestSiteStatus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A good page, a 404, a refused connection and a page that times out: each row says what
    // became of it; with failures collected there no box appears, without, each has its own.
    void statusColumnShowsEachOutcome_data()
    {
        QTest::addColumn<bool>("collect");
        QTest::newRow("failures collected") << true;
        QTest::newRow("a box for each failure") << false;
    }
    void statusColumnShowsEachOutcome()
    {
        QFETCH(bool, collect);
        test::HttpServer server;
        QVERIFY(server.isListening());
        server.serve(QStringLiteral("/good"), test::HttpFixture::html("<p>one two three</p>"));
        server.serve(QStringLiteral("/missing"), test::HttpFixture::error(404));
        test::HttpFixture slow = test::HttpFixture::html("<p>late</p>");
        slow.delay = std::chrono::seconds(20);
        server.serve(QStringLiteral("/slow"), slow);
        FetchOptions options;
        options.idleTimeout = std::chrono::milliseconds(300);
        NetworkPageSource pages(options);

        test::WindowHarness h;
        MainWindow& w = h.load(&pages);
        h.control<QRadioButton>(control::textMethod)->click();
        action(w, "collectFailuresAction")->setChecked(collect);
        QCOMPARE(QSettings(QStringLiteral("Quenrith"), QStringLiteral("Tallyvane"))
                     .value(QStringLiteral("CollectFailures"))
                     .toString(),
                 collect ? QStringLiteral("True") : QString()); // off unless turned on
        w.sites().append(QStringList{server.siteAddress(QStringLiteral("/good")),
                                     server.siteAddress(QStringLiteral("/missing")),
                                     refusedAddress(),
                                     server.siteAddress(QStringLiteral("/slow"))});
        auto* view = h.control<QTreeView>(control::siteList);
        QCOMPARE(view->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Status"));
        h.control<QPushButton>(control::startCounting)->click();

        const auto status = [&](int row) { return view->model()->index(row, 1).data().toString(); };
        QVERIFY2(status(0).startsWith(QStringLiteral("3 words counted, ")), qPrintable(status(0)));
        QVERIFY2(status(1).startsWith(QStringLiteral("failed: not found (404), ")),
                 qPrintable(status(1)));
        QVERIFY2(status(2).startsWith(QStringLiteral("failed: refused, ")), qPrintable(status(2)));
        QVERIFY2(status(3).startsWith(QStringLiteral("failed: timed out, ")),
                 qPrintable(status(3)));
        QVERIFY(status(0).endsWith(QStringLiteral(" s")));
        const QString tip = view->model()->index(1, 1).data(Qt::ToolTipRole).toString();
        QVERIFY2(tip.contains(QStringLiteral("404")) &&
                     tip.contains(server.url(QStringLiteral("/missing"))),
                 qPrintable(tip));
        QCOMPARE(h.sink.reports.size(), collect ? 0 : 3);
        QCOMPARE(h.dialogs.informations, QStringList{QStringLiteral("Done.")});
        QCOMPARE(h.resultRows(), (QStringList{QStringLiteral("one|1"), QStringLiteral("three|1"),
                                              QStringLiteral("two|1")}));
    }

    // "Retry Failed Sites" counts again over the failed sites only, as a new run.
    void retryCountsTheFailedSitesOnly()
    {
        test::HttpServer server;
        server.serve(QStringLiteral("/good"), test::HttpFixture::html("<p>good</p>"));
        server.serve(QStringLiteral("/flaky"), test::HttpFixture::error(503));
        test::WindowHarness h;
        MainWindow& w = h.load();
        action(w, "collectFailuresAction")->setChecked(true);
        action(w, "retryFailedAction")->trigger();
        QCOMPARE(h.dialogs.informations,
                 QStringList{QStringLiteral("No site failed in the last run.")});
        w.sites().append(QStringList{server.siteAddress(QStringLiteral("/good")),
                                     server.siteAddress(QStringLiteral("/flaky"))});
        h.control<QPushButton>(control::startCounting)->click();
        QCOMPARE(server.requestCount(QStringLiteral("/good")), 1);
        auto* model = h.control<QTreeView>(control::siteList)->model();
        QVERIFY(model->index(1, 1).data().toString().startsWith(QStringLiteral("failed")));

        server.serve(QStringLiteral("/flaky"), test::HttpFixture::html("<p>back again</p>"));
        w.results().clearRows();
        action(w, "retryFailedAction")->trigger();
        QCOMPARE(server.requestCount(QStringLiteral("/good")), 1);
        QCOMPARE(server.requestCount(QStringLiteral("/flaky")), 2);
        QVERIFY(model->index(1, 1).data().toString().startsWith(QStringLiteral("2 words")));
        QVERIFY(model->index(0, 1).data().toString().startsWith(QStringLiteral("1 words")));
        QCOMPARE(h.resultRows(),
                 (QStringList{QStringLiteral("again|1"), QStringLiteral("back|1")}));
        QVERIFY2(h.sink.reports.isEmpty(), qPrintable(h.sink.reports.join(u'\n')));
    }

    // Per site, long names are cut in the middle, their end being what tells pages apart; the
    // tooltip holds the whole name.
    void perSiteNamesElidedInTheMiddle()
    {
        test::WindowHarness h;
        MainWindow& w = h.load();
        h.control<QRadioButton>(control::perSiteCount)->click();
        const QString site =
            QStringLiteral("example.com/a/very/long/path/that/goes/on/and/on/page-17.html");
        w.results().append(site, QStringLiteral("word"), QStringLiteral("3"));
        w.results().flushAppends();
        auto* view = h.control<QTreeView>(control::resultsList);
        QCOMPARE(view->textElideMode(), Qt::ElideMiddle);
        QCOMPARE(view->model()->index(0, 0).data(Qt::ToolTipRole).toString(), site);
        QCOMPARE(view->model()->index(0, 1).data(Qt::ToolTipRole), QVariant());
    }

    // Dropped files load as "Load From File" loads them; dropped addresses become rows.
    void dropsOfFilesAndAddresses()
    {
        test::WindowHarness h;
        MainWindow& w = h.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString list = test::writeFile(test::fixtureFolder(QStringLiteral("drops")) +
                                                 QStringLiteral("/sites.txt"),
                                             "one.example\r\ntwo.example");
        QWidget* target = h.control<QTreeView>(control::siteList)->viewport();
        const auto drop = [&](QMimeData* data) {
            const QPoint at(10, 10);
            QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent dropped(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &dropped);
            QVERIFY(dropped.isAccepted());
        };
        QMimeData links;
        links.setUrls({QUrl::fromLocalFile(list), QUrl(QStringLiteral("https://three.example/"))});
        drop(&links);
        QMimeData text;
        text.setText(QStringLiteral("four.example\n\n  five.example  \n"));
        drop(&text);
        QCOMPARE(w.sites().rows(),
                 (QStringList{QStringLiteral("https://three.example/"),
                              QStringLiteral("one.example"), QStringLiteral("two.example"),
                              QStringLiteral("four.example"), QStringLiteral("five.example")}));
        QVERIFY2(h.sink.reports.isEmpty(), qPrintable(h.sink.reports.join(u'\n')));
    }
};

TV_TEST_MAIN(TestSiteStatus, QApplication)
#include "test_sitestatus.moc"
