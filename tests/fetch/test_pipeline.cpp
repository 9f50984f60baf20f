// A run's downloads as a whole, over several loopback hosts: slow and stalled pages hold back
// only themselves, results and reports come as if the pages were read one at a time, the
// per-host limit holds at the server, the byte budget pauses downloading, a wait is announced,
// and a stage between download and text takes part.
#include "fetch/networkpagesource.h"
#include "support/httpserver.h"
#include "support/recorders.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTimer>
#include <memory>
#include <vector>

using tv::test::HttpFixture;
using tv::test::HttpServer;

namespace {

using namespace std::chrono_literals;

tv::FetchOptions quickOptions()
{
    tv::FetchOptions o;
    o.idleTimeout = 500ms;
    o.totalTimeout = 10000ms;
    return o;
}

// One server on each of 127.0.0.1 to 127.0.0.N.
std::vector<std::unique_ptr<HttpServer>> loopbackHosts(int count)
{
    std::vector<std::unique_ptr<HttpServer>> hosts;
    for (int i = 1; i <= count; ++i)
        hosts.push_back(
            std::make_unique<HttpServer>(QHostAddress(QStringLiteral("127.0.0.%1").arg(i))));
    return hosts;
}

HttpFixture late(const QByteArray& html, std::chrono::milliseconds delay)
{
    HttpFixture f = HttpFixture::html(html);
    f.delay = delay;
    return f;
}

HttpFixture stalled()
{
    HttpFixture f = HttpFixture::html("<p>never complete</p>");
    f.stallAfter = 3;
    return f;
}

// What a run saw of one row: the text, and the outcome in brief.
struct Seen {
    QString text;
    tv::FetchedPage::Outcome outcome;
    QString reason;
    int status;
    bool operator==(const Seen&) const = default;
};

// Every row fetched in order through the engines' fetch step; the reports land in `sink`.
QList<Seen> fetchAll(tv::NetworkPageSource& source, const QStringList& rows)
{
    source.announce(rows);
    QList<Seen> seen;
    for (const QString& row : rows) {
        tv::FetchedPage page;
        const QString text = fetchUrl(source, row, &page);
        seen.append({text, page.outcome, page.reason, page.httpStatus});
    }
    return seen;
}

class TestStage : public tv::PageStage {
public:
    explicit TestStage(QString extraUrl) : m_extraUrl(std::move(extraUrl)) {}

    // Fetches one more resource for each page and adds it to the page; the first page's is
    // handed on late, so later pages finish their stage first.
    void process(const std::shared_ptr<tv::DownloadedPage>& page, tv::StageNetwork& network,
                 std::function<void()> done) override
    {
        const bool first = ++m_pages == 1;
        network.fetch(*page, m_extraUrl, 0, [page, done, first](const tv::Download& d) {
            page->body += "<p>" + d.body() + "</p>";
            page->attachedBytes += d.body().size();
            if (first)
                QTimer::singleShot(200ms, done);
            else
                done();
        });
    }

private:
    QString m_extraUrl;
    int m_pages = 0;
};

} // namespace

class TestPipeline : public QObject {
    Q_OBJECT
private slots:
    void slowPageHoldsBackOnlyItself();
    void stalledPagesFailInTheirOwnTime();
    void resultsAndReportsAsIfOneAtATime();
    void perHostLimitAtTheServer_data();
    void perHostLimitAtTheServer();
    void busyHostLetsOtherHostsThrough();
    void byteBudgetPausesDownloading();
    void waitIsAnnounced();
    void stageRunsBetweenDownloadAndText();
    void cancelEndsEveryDownload();
    void receivedPagesAreNotDownloaded_data();
    void receivedPagesAreNotDownloaded();
    void pagesReadForSomeone_data();
    void pagesReadForSomeone();
};

void TestPipeline::slowPageHoldsBackOnlyItself()
{
    auto hosts = loopbackHosts(4);
    QStringList rows;
    hosts[0]->serve("/slow", late("<p>slow</p>", 1200ms));
    rows << hosts[0]->url("/slow");
    for (int i = 0; i < 8; ++i) {
        HttpServer& host = *hosts[1 + i % 3];
        const QString path = QStringLiteral("/p%1").arg(i);
        host.serve(path, late("<p>page " + QByteArray::number(i) + "</p>", 300ms));
        rows << host.url(path);
    }
    tv::FetchOptions options = quickOptions();
    options.idleTimeout = 5000ms;
    tv::NetworkPageSource source(options);
    tv::test::RecordingSink sink;
    QElapsedTimer clock;
    clock.start();
    source.announce(rows);
    QCOMPARE(fetchUrl(source, rows[0]), QStringLiteral("slow"));
    // Every page behind the slow one was asked for while it was still on its way...
    int asked = 0;
    for (const auto& host : hosts)
        asked += int(host->requests().size());
    QCOMPARE(asked, 9);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(fetchUrl(source, rows[1 + i]), QStringLiteral("page %1").arg(i));
    // ... so the run takes about as long as the slowest page, not the 3.6 s of them all.
    QVERIFY2(clock.elapsed() < 2400, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(sink.reports, QStringList());
}

void TestPipeline::stalledPagesFailInTheirOwnTime()
{
    auto hosts = loopbackHosts(4);
    QStringList rows;
    for (int i = 0; i < 4; ++i) {
        hosts[i]->serve("/stalled", stalled());
        hosts[i]->serve("/fine", HttpFixture::html("fine"));
        rows << hosts[i]->url("/stalled") << hosts[i]->url("/fine");
    }
    tv::NetworkPageSource source(quickOptions());
    tv::test::RecordingSink sink;
    QElapsedTimer clock;
    clock.start();
    const QList<Seen> seen = fetchAll(source, rows);
    // Four idle limits of 0.5 s run side by side, not one after the other.
    QVERIFY2(clock.elapsed() < 1600, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(sink.reports.size(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(seen[2 * i].reason, QStringLiteral("timed out"));
        QCOMPARE(seen[2 * i + 1].text, QStringLiteral("fine"));
        QVERIFY2(sink.descriptions()[i].contains(rows[2 * i] + QStringLiteral(": no data came")),
                 qPrintable(sink.descriptions()[i]));
    }
}

void TestPipeline::resultsAndReportsAsIfOneAtATime()
{
    auto hosts = loopbackHosts(3);
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const QString refused = QStringLiteral("127.0.0.1:%1/gone").arg(probe.serverPort());
    probe.close();
    HttpFixture reset = HttpFixture::html("<p>" + QByteArray(50000, 'r') + "</p>");
    reset.resetAfter = 100;
    HttpFixture gzip = HttpFixture::html("<p>zeta</p>");
    gzip.encoding = HttpFixture::Encoding::Gzip;
    hosts[0]->serve("/a", late("<p>alpha</p>", 400ms));
    hosts[1]->serve("/b", HttpFixture::error(404));
    hosts[2]->serve("/c", HttpFixture::html("<p>gamma</p>"));
    hosts[0]->serve("/d", reset);
    hosts[1]->serve("/e", stalled());
    hosts[2]->serve("/f", gzip);
    hosts[1]->serve("/g", HttpFixture::redirect(hosts[2]->url("/c").toUtf8()));
    const QStringList rows{hosts[0]->siteAddress("/a"),
                           hosts[1]->url("/b"),
                           QString(),
                           hosts[2]->url("/c"),
                           refused,
                           hosts[0]->url("/d"),
                           QStringLiteral("ftp://example.org/x"),
                           hosts[1]->url("/e"),
                           hosts[2]->url("/f"),
                           hosts[1]->url("/g"),
                           hosts[0]->siteAddress("/a")};

    tv::FetchOptions options = quickOptions();
    options.parallel = 0;
    tv::NetworkPageSource oneAtATime(options);
    tv::test::RecordingSink sinkOne;
    const QList<Seen> one = fetchAll(oneAtATime, rows);
    const QStringList reportsOne = sinkOne.reports;

    tv::NetworkPageSource ahead(quickOptions());
    tv::test::RecordingSink sinkAhead;
    const QList<Seen> many = fetchAll(ahead, rows);

    QCOMPARE(many, one);
    QCOMPARE(sinkAhead.reports, reportsOne);
    // Each failure once, in list order, naming its address.
    const QList<int> failed{1, 4, 5, 6, 7};
    QCOMPARE(sinkAhead.reports.size(), failed.size());
    for (int i = 0; i < failed.size(); ++i) {
        const QString row = rows[failed[i]].contains(QLatin1String("://"))
                                ? rows[failed[i]]
                                : QStringLiteral("http://") + rows[failed[i]];
        QVERIFY2(sinkAhead.descriptions()[i].contains(row), qPrintable(sinkAhead.reports[i]));
    }
    QCOMPARE(many[0].text, QStringLiteral("alpha"));
    QCOMPARE(many[2].outcome, tv::FetchedPage::Outcome::NoPage);
    QCOMPARE(many[9].text, QStringLiteral("gamma"));
    // The row named twice is downloaded twice in each run: nothing is kept between rows.
    QCOMPARE(hosts[0]->requestCount("/a"), 4);
}

void TestPipeline::perHostLimitAtTheServer_data()
{
    QTest::addColumn<int>("perHost");
    QTest::addColumn<int>("peak");
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("two") << 2 << 2;
    QTest::newRow("the default") << tv::FetchOptions().maxPerHost << 6;
    QTest::newRow("more than Qt opens") << 10 << 6;
}

void TestPipeline::perHostLimitAtTheServer()
{
    QFETCH(int, perHost);
    QFETCH(int, peak);
    HttpServer server;
    QStringList rows;
    for (int i = 0; i < 2 * peak + 2; ++i) {
        const QString path = QStringLiteral("/p%1").arg(i);
        server.serve(path, late("<p>p" + QByteArray::number(i) + "</p>", 300ms));
        rows << server.url(path);
    }
    tv::FetchOptions options = quickOptions();
    options.idleTimeout = 5000ms;
    options.maxPerHost = perHost;
    tv::NetworkPageSource source(options);
    tv::test::RecordingSink sink;
    const QList<Seen> seen = fetchAll(source, rows);
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE(seen[i].text, QStringLiteral("p%1").arg(i));
    QCOMPARE(sink.reports, QStringList());
    QCOMPARE(server.peakAnswering(), peak);
    QVERIFY2(server.peakConnections() <= 6, qPrintable(QString::number(server.peakConnections())));
}

void TestPipeline::busyHostLetsOtherHostsThrough()
{
    auto hosts = loopbackHosts(2);
    QStringList rows;
    for (int i = 0; i < 10; ++i) {
        const QString path = QStringLiteral("/busy%1").arg(i);
        hosts[0]->serve(path, late("<p>busy</p>", 800ms));
        rows << hosts[0]->url(path);
    }
    for (int i = 0; i < 3; ++i) {
        const QString path = QStringLiteral("/free%1").arg(i);
        hosts[1]->serve(path, HttpFixture::html("<p>free</p>"));
        rows << hosts[1]->url(path);
    }
    tv::FetchOptions options = quickOptions();
    options.idleTimeout = 5000ms;
    tv::NetworkPageSource source(options);
    source.announce(rows);
    // The pages of the second host come in while the first host's first six still run.
    QTRY_COMPARE(hosts[1]->requests().size(), 3);
    QCOMPARE(hosts[0]->requests().size(), 6);
    source.cancel();
}

void TestPipeline::byteBudgetPausesDownloading()
{
    HttpServer server;
    QStringList rows;
    for (int i = 0; i < 10; ++i) {
        const QString path = QStringLiteral("/p%1").arg(i);
        server.serve(path, HttpFixture::html(QByteArray::number(i) + QByteArray(3000, 'x')));
        rows << server.url(path);
    }
    tv::FetchOptions options = quickOptions();
    options.parallel = 2;
    options.maxHeldBytes = 10000;
    tv::NetworkPageSource source(options);
    source.announce(rows);
    // Pages came in until they held the budget; then downloading stopped with pages to go.
    QTRY_VERIFY(source.heldBytes() >= options.maxHeldBytes && source.downloadsRunning() == 0);
    const int started = source.downloadsStarted();
    QVERIFY2(started < 10, qPrintable(QString::number(started)));
    QCOMPARE(server.requests().size(), started);
    // Counting the pages that came in makes room: downloading goes on.
    for (int i = 0; i < started; ++i)
        QCOMPARE(source.fetchPage(rows[i]).text.left(1), QString::number(i));
    QVERIFY(source.downloadsStarted() > started);
    for (int i = started; i < 10; ++i)
        QCOMPARE(source.fetchPage(rows[i]).text.left(1), QString::number(i));
    QCOMPARE(source.heldBytes(), 0);
}

void TestPipeline::waitIsAnnounced()
{
    HttpServer server;
    server.serve("/fast", HttpFixture::html("fast"));
    server.serve("/slow", late("slow", 300ms));
    const QStringList rows{server.url("/fast"), server.url("/slow"), server.url("/fast")};
    tv::NetworkPageSource source(quickOptions());
    QList<tv::PageWait> begun;
    int ended = 0;
    source.setWaitWatcher({[&](const tv::PageWait& wait) { begun << wait; }, [&] { ++ended; }});
    source.announce(rows);
    QTRY_COMPARE(server.requestCount("/fast"), 2);
    QCOMPARE(source.fetchPage(rows[0]).text, QStringLiteral("fast"));
    QCOMPARE(source.fetchPage(rows[1]).text, QStringLiteral("slow"));
    QCOMPARE(source.fetchPage(rows[2]).text, QStringLiteral("fast"));
    // The slow page was waited for, under its place in the list; the third had come in by then.
    QVERIFY(!begun.isEmpty());
    QCOMPARE(begun.last().position, 2);
    QCOMPARE(begun.last().count, 3);
    QCOMPARE(begun.last().address, rows[1]);
    QCOMPARE(ended, begun.size());
    // A page that was not announced is waited for without a place.
    QCOMPARE(source.fetchPage(server.url("/slow")).text, QStringLiteral("slow"));
    QCOMPARE(begun.last().position, 0);
    QCOMPARE(ended, begun.size());
}

void TestPipeline::stageRunsBetweenDownloadAndText()
{
    auto hosts = loopbackHosts(2);
    hosts[1]->serve("/extra", HttpFixture::page("extra", "text/css"));
    QStringList rows;
    for (int i = 0; i < 3; ++i) {
        const QString path = QStringLiteral("/p%1").arg(i);
        hosts[0]->serve(path, HttpFixture::html("<p>page " + QByteArray::number(i) + "</p>"));
        rows << hosts[0]->url(path);
    }
    TestStage stage(hosts[1]->url("/extra"));
    tv::NetworkPageSource source(quickOptions());
    source.setPageStage(&stage);
    tv::test::RecordingSink sink;
    const QList<Seen> seen = fetchAll(source, rows);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(seen[i].text, QStringLiteral("page %1\n\nextra").arg(i));
    QCOMPARE(hosts[1]->requestCount("/extra"), 3);
    QCOMPARE(sink.reports, QStringList());
    QCOMPARE(source.heldBytes(), 0);
}

void TestPipeline::cancelEndsEveryDownload()
{
    auto hosts = loopbackHosts(3);
    QStringList rows;
    for (int i = 0; i < 12; ++i) {
        HttpServer& host = *hosts[i % 3];
        const QString path = QStringLiteral("/s%1").arg(i);
        host.serve(path, stalled());
        rows << host.url(path);
    }
    tv::FetchOptions options = quickOptions();
    options.idleTimeout = 60000ms;
    tv::NetworkPageSource source(options);
    tv::test::RecordingSink sink;
    source.announce(rows);
    QTRY_COMPARE(source.downloadsRunning(), 12);
    QTimer::singleShot(100ms, &source, [&] { source.cancel(); });
    QCOMPARE(source.fetchPage(rows[0]).outcome, tv::FetchedPage::Outcome::Cancelled);
    QCOMPARE(source.downloadsRunning(), 0);
    QCOMPARE(source.heldBytes(), 0);
    for (const auto& host : hosts)
        QTRY_COMPARE(host->openConnections(), 0);
    QCOMPARE(sink.reports, QStringList());
}

void TestPipeline::receivedPagesAreNotDownloaded_data()
{
    QTest::addColumn<int>("parallel");
    QTest::addColumn<bool>("styleSheets");
    QTest::addColumn<bool>("readNow");
    QTest::newRow("fetched ahead, with style sheets") << 32 << true << false;
    QTest::newRow("one at a time, without style sheets") << 0 << false << false;
    QTest::newRow("read at once, with style sheets") << 32 << true << true;
    QTest::newRow("read at once, one at a time") << 0 << false << true;
}

// A page handed over as read already goes from its bytes to its text as a downloaded one does
// (style sheets, warnings), wherever and however often a row names it, and is never asked for.
void TestPipeline::receivedPagesAreNotDownloaded()
{
    QFETCH(int, parallel);
    QFETCH(bool, styleSheets);
    QFETCH(bool, readNow);
    HttpServer server;
    server.serve("/kept", HttpFixture::html("<p>served</p>"));
    server.serve("/other", HttpFixture::html("<p>other</p>"));
    server.serve("/hide.css", HttpFixture::page(".menu { display: none }", "text/css"));
    tv::FetchOptions options = quickOptions();
    options.parallel = parallel;
    options.styleSheets = styleSheets;
    tv::NetworkPageSource source(options);
    source.addReceived(server.url("/kept"),
                       {server.url("/kept"),
                        "<link rel=stylesheet href=/hide.css><p>kept</p><p class=menu>menu</p>",
                        "text/html", 200, true},
                       readNow);
    // Read at once: its style sheet comes before any run names the page.
    if (readNow && styleSheets)
        QTRY_COMPARE(server.requestCount("/hide.css"), 1);

    // A typed row without its scheme names the same page.
    const QStringList rows{server.siteAddress("/kept"), server.url("/other"), server.url("/kept")};
    source.announce(rows);
    const QString keptText = styleSheets ? QStringLiteral("kept") : QStringLiteral("kept\n\nmenu");
    const QStringList expected{keptText, QStringLiteral("other"), keptText};
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const tv::FetchedPage page = source.fetchPage(rows[i]);
        QCOMPARE(page.outcome, tv::FetchedPage::Outcome::Read);
        QCOMPARE(page.address, rows[i]);
        QCOMPARE(page.text, expected[i]);
        QCOMPARE(page.warnings.size(), i == 1 ? 0 : 1); // cut off at the size cap
    }
    QCOMPARE(server.requestCount("/kept"), 0);
    QCOMPARE(server.requestCount("/other"), 1);
    QCOMPARE(server.requestCount("/hide.css"), styleSheets ? 1 : 0);
    QCOMPARE(source.downloadsStarted(), 1);
}

void TestPipeline::pagesReadForSomeone_data()
{
    QTest::addColumn<bool>("keep");
    QTest::addColumn<bool>("styleSheets");
    QTest::newRow("kept, with style sheets") << true << true;
    QTest::newRow("kept, without style sheets") << true << false;
    QTest::newRow("dropped") << false << true;
}

// A page read at once for someone (a crawl reading its links) is shown to its visitor from the
// parse its text comes from, and rows take it only once it is kept; a dropped one is downloaded.
void TestPipeline::pagesReadForSomeone()
{
    QFETCH(bool, keep);
    QFETCH(bool, styleSheets);
    HttpServer server;
    server.serve("/kept", HttpFixture::html("<p>served</p>"));
    server.serve("/hide.css", HttpFixture::page(".menu { display: none }", "text/css"));
    tv::FetchOptions options = quickOptions();
    options.styleSheets = styleSheets;
    tv::NetworkPageSource source(options);
    int visits = 0;
    int done = 0;
    QByteArray visited;
    const quint64 ticket = source.readReceived(
        server.url("/kept"),
        {server.url("/kept"),
         "<link rel=stylesheet href=/hide.css><p>kept</p><p class=menu>menu</p>", "text/html", 200,
         false},
        [&](const GumboInternalOutput&, const QByteArray& utf8) {
            ++visits;
            visited = utf8;
        },
        [&] { ++done; });
    QCOMPARE(done, 0);
    QTRY_COMPARE(done, 1);
    QCOMPARE(visits, 1);
    QVERIFY(visited.startsWith("<link rel=stylesheet"));
    QCOMPARE(server.requestCount("/hide.css"), styleSheets ? 1 : 0);
    if (keep)
        source.keepReceived(ticket);
    else
        source.dropReceived(ticket);
    source.keepReceived(ticket); // a second word on the same ticket changes nothing

    const QStringList rows{server.url("/kept")};
    source.announce(rows);
    const tv::FetchedPage page = source.fetchPage(rows[0]);
    QCOMPARE(page.outcome, tv::FetchedPage::Outcome::Read);
    QCOMPARE(page.text, !keep         ? QStringLiteral("served")
                        : styleSheets ? QStringLiteral("kept")
                                      : QStringLiteral("kept\n\nmenu"));
    QCOMPARE(server.requestCount("/kept"), keep ? 0 : 1);
    QCOMPARE(server.requestCount("/hide.css"), styleSheets ? 1 : 0);
    QCOMPARE(visits, 1);
}

TV_TEST_MAIN(TestPipeline, QCoreApplication)
#include "test_pipeline.moc"
