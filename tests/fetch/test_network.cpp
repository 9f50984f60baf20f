// Real downloads from a server inside the test process: redirects, compression, failures and
// their reasons, time limits, charsets, the size cap, and fetching ahead.
#include "fetch/networkpagesource.h"
#include "support/httpserver.h"
#include "support/recorders.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTimer>

using tv::test::HttpFixture;
using Fixtures = QList<QPair<QString, HttpFixture>>;
Q_DECLARE_METATYPE(HttpFixture)

class TestNetwork : public QObject {
    Q_OBJECT
private slots:
    void fetch_data();
    void fetch();
    void readPageDetails_data();
    void readPageDetails();
    void refusedConnection();
    void connectionTimeout();
    void unsupportedSchemes_data();
    void unsupportedSchemes();
    void emptyRowIsNoPage();
    void browserLikeRequest();
    void sizeCap();
    void eventsFlowWhileWaiting();
    void cancelEndsTheWait();
    void fetchAheadStartsDownloads_data();
    void fetchAheadStartsDownloads();
    void fetchAheadKeepsOrderAndMessages();
    void fetchAheadOutOfOrder();
    void stalledPageFetchedAheadIsReportedWhenAskedFor();
};

namespace {

tv::FetchOptions quickOptions()
{
    tv::FetchOptions o;
    o.idleTimeout = std::chrono::milliseconds(400);
    o.totalTimeout = std::chrono::milliseconds(5000);
    return o;
}

QByteArray bigParagraphs(int count)
{
    QByteArray html = "<html><body>";
    for (int i = 0; i < count; ++i)
        html += "<p>paragraph " + QByteArray::number(i) + "</p>";
    return html + "</body></html>";
}

} // namespace

void TestNetwork::fetch_data()
{
    QTest::addColumn<Fixtures>("fixtures");
    QTest::addColumn<QString>("path");           // asked for as http://127.0.0.1:PORT + path
    QTest::addColumn<QString>("expected");       // the text
    QTest::addColumn<QString>("reportContains"); // "" when no report is expected
    QTest::addColumn<QString>("reason");         // the failure in a few words

    auto page = [](const QByteArray& body, const QByteArray& type) {
        return HttpFixture::page(body, type);
    };
    HttpFixture gzip = HttpFixture::html("<p>squeezed <i>text</i></p>");
    gzip.encoding = HttpFixture::Encoding::Gzip;
    HttpFixture deflate = HttpFixture::html("<p>deflated</p>");
    deflate.encoding = HttpFixture::Encoding::Deflate;
    HttpFixture rawDeflate = HttpFixture::html("<p>raw deflated</p>");
    rawDeflate.encoding = HttpFixture::Encoding::RawDeflate;
    HttpFixture stalled = HttpFixture::html("<p>never complete</p>");
    stalled.stallAfter = 5;
    HttpFixture trickle = HttpFixture::html(QByteArray(200, 'x'));
    trickle.stallAfter = 0;
    trickle.trickle = std::chrono::milliseconds(100);
    HttpFixture reset = HttpFixture::html("<p>" + QByteArray(50000, 'y') + "</p>");
    reset.resetAfter = 1000;
    HttpFixture slow = HttpFixture::html("<p>late but fine</p>");
    slow.delay = std::chrono::milliseconds(150);

    QTest::newRow("plain page") << Fixtures{{"/p", HttpFixture::html("<p>Hello <b>World</b></p>")}}
                                << "/p"
                                << "Hello World"
                                << "" << QString();
    QTest::newRow("slow page") << Fixtures{{"/p", slow}} << "/p"
                               << "late but fine"
                               << "" << QString();
    QTest::newRow("redirect chain") << Fixtures{{"/r1", HttpFixture::redirect("/r2", 301)},
                                                {"/r2", HttpFixture::redirect("/r3", 307)},
                                                {"/r3", HttpFixture::redirect("/end", 308)},
                                                {"/end", HttpFixture::html("arrived")}}
                                    << "/r1"
                                    << "arrived"
                                    << "" << QString();
    QTest::newRow("redirect loop")
        << Fixtures{{"/a", HttpFixture::redirect("/b")}, {"/b", HttpFixture::redirect("/a")}}
        << "/a"
        << ""
        << "redirects more than 20 times" << QStringLiteral("too many redirects");
    QTest::newRow("gzip") << Fixtures{{"/z", gzip}} << "/z"
                          << "squeezed text"
                          << "" << QString();
    QTest::newRow("deflate") << Fixtures{{"/d", deflate}} << "/d"
                             << "deflated"
                             << "" << QString();
    QTest::newRow("raw deflate") << Fixtures{{"/d", rawDeflate}} << "/d"
                                 << "raw deflated"
                                 << "" << QString();
    QTest::newRow("404") << Fixtures{{"/x", HttpFixture::error(404, "<p>Not here</p>")}} << "/x"
                         << ""
                         << "the server answered 404 Not Found"
                         << QStringLiteral("not found (404)");
    QTest::newRow("500") << Fixtures{{"/x", HttpFixture::error(500)}} << "/x"
                         << ""
                         << "the server answered 500" << QStringLiteral("server error (500)");
    QTest::newRow("stalled") << Fixtures{{"/s", stalled}} << "/s"
                             << ""
                             << "no data came for 0.4 seconds" << QStringLiteral("timed out");
    QTest::newRow("too slow in all")
        << Fixtures{{"/t", trickle}} << "/t"
        << ""
        << "it took longer than 1 second" << QStringLiteral("timed out");
    QTest::newRow("connection reset mid-body")
        << Fixtures{{"/r", reset}} << "/r"
        << ""
        << "closed the connection" << QStringLiteral("connection closed");
    QTest::newRow("image") << Fixtures{{"/i", page("\x89PNG", "image/png")}} << "/i"
                           << ""
                           << "it is of type \"image/png\", not a web page"
                           << QStringLiteral("not a web page");
    QTest::newRow("text/plain as it is")
        << Fixtures{{"/t", page("a  <b>x</b>\nline", "text/plain; charset=utf-8")}} << "/t"
        << "a  <b>x</b>\nline"
        << "" << QString();
    QTest::newRow("xhtml") << Fixtures{{"/x", page("<p>x</p>", "application/xhtml+xml")}} << "/x"
                           << "x"
                           << "" << QString();
    QTest::newRow("utf-8 by header")
        << Fixtures{{"/u", page("<p>caf\xC3\xA9</p>", "text/html; charset=utf-8")}} << "/u"
        << QStringLiteral(u"caf\u00E9") << "" << QString();
    QTest::newRow("utf-8 with BOM, no charset")
        << Fixtures{{"/u", page("\xEF\xBB\xBF<!DOCTYPE html><title>t</title><p>na\xC3\xAFve</p>",
                                "text/html")}}
        << "/u" << QStringLiteral(u"na\u00EFve") << "" << QString();
    QTest::newRow("windows-1252 by header")
        << Fixtures{{"/w",
                     page("<p>\x93quoted\x94 caf\xE9</p>", "text/html; charset=windows-1252")}}
        << "/w" << QStringLiteral(u"\u201Cquoted\u201D caf\u00E9") << "" << QString();
    QTest::newRow("windows-1252 by meta")
        << Fixtures{{"/w", page("<meta charset=\"iso-8859-1\"><p>\x93quoted\x94</p>", "text/html")}}
        << "/w" << QStringLiteral(u"\u201Cquoted\u201D") << "" << QString();
    QTest::newRow("no fixture") << Fixtures{} << "/nothing"
                                << ""
                                << "404" << QStringLiteral("not found (404)");
}

void TestNetwork::fetch()
{
    QFETCH(Fixtures, fixtures);
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QFETCH(QString, reportContains);
    QFETCH(QString, reason);

    tv::test::HttpServer server;
    QVERIFY(server.isListening());
    for (const auto& f : fixtures)
        server.serve(f.first, f.second);
    tv::FetchOptions options = quickOptions();
    if (QByteArray(QTest::currentDataTag()) == "too slow in all")
        options.totalTimeout = std::chrono::milliseconds(1000);
    tv::NetworkPageSource source(options);
    tv::test::RecordingSink sink;

    const QString url = server.url(path);
    tv::FetchedPage page;
    QCOMPARE(fetchUrl(source, url, &page), expected);
    QCOMPARE(page.reason, reason);
    QCOMPARE(page.outcome,
             reason.isEmpty() ? tv::FetchedPage::Outcome::Read : tv::FetchedPage::Outcome::Failed);
    if (reportContains.isEmpty()) {
        QCOMPARE(sink.reports, QStringList());
    } else {
        QCOMPARE(sink.reports.size(), 1);
        const QString description = sink.descriptions().first();
        QVERIFY2(description.contains(reportContains), qPrintable(description));
        QVERIFY2(description.contains(url), qPrintable(description));
        QVERIFY(sink.reports.first().contains(
            QLatin1String("in Corvantis2021/08/31.Sorting.fetchUrl ")));
        QCOMPARE(sink.lines(), QList<int>{104});
    }
}

void TestNetwork::refusedConnection()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    tv::NetworkPageSource source(quickOptions());
    tv::test::RecordingSink sink;
    // A site row without a scheme: completed to http://...:port/
    QCOMPARE(fetchUrl(source, QStringLiteral(" 127.0.0.1:%1 ").arg(port)), QString());
    QCOMPARE(sink.reports.size(), 1);
    QVERIFY(sink.descriptions().first().contains(QStringLiteral("http://127.0.0.1:%1/").arg(port)));
    QVERIFY(sink.descriptions().first().contains(QLatin1String("refused")));
    tv::FetchedPage page = source.fetchPage(QStringLiteral("127.0.0.1:%1").arg(port));
    QCOMPARE(page.reason, QStringLiteral("refused"));
    QCOMPARE(page.httpStatus, 0);
}

void TestNetwork::readPageDetails_data()
{
    QTest::addColumn<HttpFixture>("fixture");
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<qint64>("bytes"); // as downloaded, after decompression

    HttpFixture gzip = HttpFixture::html("<p>" + QByteArray(3000, 'z') + "</p>");
    gzip.encoding = HttpFixture::Encoding::Gzip;
    QTest::newRow("utf-8 by header")
        << HttpFixture::html("<p>caf\xC3\xA9</p>") << QByteArray("UTF-8") << qint64(12);
    QTest::newRow("windows-1252 by meta")
        << HttpFixture::page("<meta charset=latin1><p>caf\xE9</p>", "text/html")
        << QByteArray("windows-1252") << qint64(32);
    QTest::newRow("plain text without charset, not UTF-8")
        << HttpFixture::page("caf\xE9", "text/plain") << QByteArray("windows-1252") << qint64(4);
    QTest::newRow("gzip counts the bytes unpacked") << gzip << QByteArray("UTF-8") << qint64(3007);
}

void TestNetwork::readPageDetails()
{
    QFETCH(HttpFixture, fixture);
    QFETCH(QByteArray, encoding);
    QFETCH(qint64, bytes);
    tv::test::HttpServer server;
    server.serve(QStringLiteral("/p"), fixture);
    tv::NetworkPageSource source(quickOptions());
    const tv::FetchedPage page = source.fetchPage(server.url(QStringLiteral("/p")));
    QCOMPARE(page.outcome, tv::FetchedPage::Outcome::Read);
    QCOMPARE(page.httpStatus, 200);
    QCOMPARE(page.encoding, encoding);
    QCOMPARE(page.bytes, bytes);
    QCOMPARE(page.reason, QString());
}

void TestNetwork::connectionTimeout()
{
    tv::test::UnansweredPort port;
    QVERIFY(port.isReady());
    tv::FetchOptions options = quickOptions();
    options.connectTimeout = std::chrono::milliseconds(300);
    options.idleTimeout = std::chrono::milliseconds(20000);
    tv::NetworkPageSource source(options);
    tv::test::RecordingSink sink;
    QElapsedTimer clock;
    clock.start();
    tv::FetchedPage page;
    QCOMPARE(fetchUrl(source, port.url(QStringLiteral("/")), &page), QString());
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(page.reason, QStringLiteral("timed out"));
    QCOMPARE(sink.reports.size(), 1);
    QVERIFY2(sink.descriptions().first().contains(
                 QLatin1String("did not accept a connection within 0.3 seconds")),
             qPrintable(sink.descriptions().first()));
}

void TestNetwork::unsupportedSchemes_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("named"); // in the report
    QTest::newRow("ftp") << " ftp://example.org/file "
                         << "ftp://example.org/file: ftp addresses are not supported";
    QTest::newRow("file") << "file:///etc/passwd"
                          << "file:///etc/passwd: file addresses are not supported";
    // Shown as a login would be: its name part masked.
    QTest::newRow("mailto") << "mailto:someone@example.org"
                            << "mailto:***@example.org: mailto addresses are not supported";
}

void TestNetwork::unsupportedSchemes()
{
    QFETCH(QString, row);
    QFETCH(QString, named);
    tv::NetworkPageSource source(quickOptions());
    tv::test::RecordingSink sink;
    source.announce({row});
    tv::FetchedPage page;
    QCOMPARE(fetchUrl(source, row, &page), QString());
    QCOMPARE(page.outcome, tv::FetchedPage::Outcome::Failed);
    QCOMPARE(page.reason, QStringLiteral("not supported"));
    QCOMPARE(sink.reports.size(), 1);
    QVERIFY2(sink.descriptions().first().contains(named), qPrintable(sink.descriptions().first()));
    QCOMPARE(source.downloadsStarted(), 0);
}

void TestNetwork::emptyRowIsNoPage()
{
    tv::test::HttpServer server;
    server.serve(QStringLiteral("/a"), HttpFixture::html("<p>words</p>"));
    tv::NetworkPageSource source(quickOptions());
    tv::test::RecordingSink sink;
    const QStringList rows = {QString(), server.siteAddress(QStringLiteral("/a")),
                              QStringLiteral("   ")};
    source.announce(rows);
    QCOMPARE(fetchUrl(source, rows[0]), QString());
    QCOMPARE(fetchUrl(source, rows[1]), QStringLiteral("words"));
    QCOMPARE(fetchUrl(source, rows[2]), QString());
    QVERIFY(sink.reports.isEmpty());
    QCOMPARE(source.downloadsStarted(), 1);
}

void TestNetwork::browserLikeRequest()
{
    tv::test::HttpServer server;
    server.serve(QStringLiteral("/row"), HttpFixture::html("<p>typed row</p>"));
    tv::NetworkPageSource source(quickOptions());
    tv::test::RecordingSink sink;
    QCOMPARE(fetchUrl(source, server.siteAddress(QStringLiteral("/row"))),
             QStringLiteral("typed row"));
    QCOMPARE(server.requests().size(), 1);
    const tv::test::HttpRequest request = server.requests().first();
    QCOMPARE(request.method, QByteArray("GET"));
    QVERIFY(request.header("User-Agent").startsWith("Mozilla/5.0"));
    QVERIFY(request.header("Accept-Encoding").contains("gzip"));
    QVERIFY(request.header("Accept-Encoding").contains("deflate"));
    QVERIFY(request.header("Accept").contains("text/html"));
}

void TestNetwork::sizeCap()
{
    tv::test::HttpServer server;
    HttpFixture big = HttpFixture::html(bigParagraphs(2000));
    big.encoding = HttpFixture::Encoding::Gzip; // the cap counts the decompressed bytes
    server.serve(QStringLiteral("/big"), big);
    tv::FetchOptions options = quickOptions();
    options.maxBytes = 4096;
    tv::NetworkPageSource source(options);
    tv::test::RecordingSink sink;
    const QString text = fetchUrl(source, server.url(QStringLiteral("/big")));
    // The first part still counts, the rest is cut off and the cut is reported.
    QVERIFY(text.startsWith(QLatin1String("paragraph 0\n\nparagraph 1\n\n")));
    QVERIFY(!text.contains(QLatin1String("paragraph 1999")));
    QVERIFY(text.size() < 4096);
    QCOMPARE(sink.reports.size(), 1);
    QCOMPARE(sink.lines(), QList<int>{106});
    QVERIFY(sink.descriptions().first().contains(QLatin1String("larger than 4096 bytes")));
}

void TestNetwork::eventsFlowWhileWaiting()
{
    tv::test::HttpServer server;
    HttpFixture slow = HttpFixture::html("<p>slow</p>");
    slow.delay = std::chrono::milliseconds(300);
    server.serve(QStringLiteral("/slow"), slow);
    tv::NetworkPageSource source(quickOptions());
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
    timer.start(20);
    QCOMPARE(fetchUrl(source, server.url(QStringLiteral("/slow"))), QStringLiteral("slow"));
    QVERIFY2(ticks >= 3, qPrintable(QString::number(ticks)));
}

void TestNetwork::cancelEndsTheWait()
{
    tv::test::HttpServer server;
    HttpFixture stalled = HttpFixture::html("<p>never</p>");
    stalled.stallAfter = 0;
    server.serve(QStringLiteral("/s"), stalled);
    tv::FetchOptions options = quickOptions();
    options.idleTimeout = std::chrono::milliseconds(60000);
    tv::NetworkPageSource source(options);
    tv::test::RecordingSink sink;
    QTimer::singleShot(100, &source, [&] { source.cancel(); });
    QCOMPARE(fetchUrl(source, server.url(QStringLiteral("/s"))), QString());
    QCOMPARE(sink.reports, QStringList());
}

void TestNetwork::fetchAheadStartsDownloads_data()
{
    QTest::addColumn<int>("parallel");
    QTest::addColumn<int>("perHost");
    QTest::addColumn<int>("started"); // at once, all 12 pages being on one host
    QTest::newRow("as many as the run allows") << 4 << 6 << 4;
    QTest::newRow("no more than the host allows") << 32 << 6 << 6;
    QTest::newRow("each page only when asked for") << 0 << 6 << 0;
}

void TestNetwork::fetchAheadStartsDownloads()
{
    QFETCH(int, parallel);
    QFETCH(int, perHost);
    QFETCH(int, started);
    tv::test::HttpServer server;
    QStringList addresses;
    for (int i = 0; i < 12; ++i) {
        const QString path = QStringLiteral("/p%1").arg(i);
        // Late enough that the first downloads are all still running when counted.
        HttpFixture page = HttpFixture::html("<p>page " + QByteArray::number(i) + "</p>");
        page.delay = std::chrono::milliseconds(250);
        server.serve(path, page);
        addresses << server.url(path);
    }
    tv::FetchOptions options = quickOptions();
    options.parallel = parallel;
    options.maxPerHost = perHost;
    tv::NetworkPageSource source(options);
    source.announce(addresses);
    QCOMPARE(source.downloadsStarted(), started);
    QTRY_COMPARE(server.requests().size(), started);
    for (int i = 0; i < 12; ++i)
        QCOMPARE(fetchUrl(source, addresses[i]), QStringLiteral("page %1").arg(i));
    QCOMPARE(source.downloadsStarted(), 12);
    for (int i = 0; i < 12; ++i)
        QCOMPARE(server.requestCount(QStringLiteral("/p%1").arg(i)), 1);
}

void TestNetwork::fetchAheadKeepsOrderAndMessages()
{
    tv::test::HttpServer server;
    server.serve(QStringLiteral("/ok1"), HttpFixture::html("one"));
    server.serve(QStringLiteral("/bad"), HttpFixture::error(404));
    server.serve(QStringLiteral("/ok2"), HttpFixture::html("two"));
    tv::NetworkPageSource source(quickOptions());
    tv::test::RecordingSink sink;
    const QStringList addresses{server.url(QStringLiteral("/ok1")),
                                server.url(QStringLiteral("/bad")),
                                server.url(QStringLiteral("/ok2"))};
    source.announce(addresses);
    QTRY_COMPARE(server.requests().size(), 3);
    // Every page is in by now; the failure is still reported only when its page is asked for.
    QCOMPARE(fetchUrl(source, addresses[0]), QStringLiteral("one"));
    QCOMPARE(sink.reports.size(), 0);
    QCOMPARE(fetchUrl(source, addresses[1]), QString());
    QCOMPARE(sink.reports.size(), 1);
    QVERIFY(sink.descriptions().first().contains(addresses[1]));
    QCOMPARE(fetchUrl(source, addresses[2]), QStringLiteral("two"));
    QCOMPARE(sink.reports.size(), 1);
}

void TestNetwork::fetchAheadOutOfOrder()
{
    tv::test::HttpServer server;
    server.serve(QStringLiteral("/a"), HttpFixture::html("A"));
    server.serve(QStringLiteral("/b"), HttpFixture::html("B"));
    server.serve(QStringLiteral("/c"), HttpFixture::html("C"));
    tv::NetworkPageSource source(quickOptions());
    source.announce({server.url(QStringLiteral("/a")), server.url(QStringLiteral("/b"))});
    QCOMPARE(fetchUrl(source, server.url(QStringLiteral("/b"))), QStringLiteral("B"));
    QCOMPARE(fetchUrl(source, server.url(QStringLiteral("/c"))), QStringLiteral("C"));
    QCOMPARE(fetchUrl(source, server.url(QStringLiteral("/a"))), QStringLiteral("A"));
    // A page asked for twice is downloaded twice: nothing is cached between calls.
    QCOMPARE(fetchUrl(source, server.url(QStringLiteral("/a"))), QStringLiteral("A"));
    QCOMPARE(server.requestCount(QStringLiteral("/a")), 2);
    QCOMPARE(server.requestCount(QStringLiteral("/b")), 1);
}

void TestNetwork::stalledPageFetchedAheadIsReportedWhenAskedFor()
{
    tv::test::HttpServer server;
    HttpFixture stalled = HttpFixture::html("<p>x</p>");
    stalled.stallAfter = 0;
    server.serve(QStringLiteral("/first"), HttpFixture::html("first"));
    server.serve(QStringLiteral("/stall"), stalled);
    tv::NetworkPageSource source(quickOptions());
    tv::test::RecordingSink sink;
    source.announce({server.url(QStringLiteral("/first")), server.url(QStringLiteral("/stall"))});
    QCOMPARE(fetchUrl(source, server.url(QStringLiteral("/first"))), QStringLiteral("first"));
    QCOMPARE(fetchUrl(source, server.url(QStringLiteral("/stall"))), QString());
    QCOMPARE(sink.reports.size(), 1);
    QVERIFY(sink.descriptions().first().contains(QLatin1String("no data came")));
}

TV_TEST_MAIN(TestNetwork, QCoreApplication)
#include "test_network.moc"
