// Pages read with the style sheets they link, fetched from a server inside the test process:
// links and @import chains resolved against the page's final address, sheets that fail or are
// too large left out with a report, each sheet fetched once for the run, and fetching off.
#include "fetch/networkpagesource.h"
#include "support/httpserver.h"
#include "support/recorders.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QTimer>

using tv::test::HttpFixture;
using Fixtures = QList<QPair<QString, HttpFixture>>;
Q_DECLARE_METATYPE(HttpFixture)

class TestSheetsNetwork : public QObject {
    Q_OBJECT
private slots:
    void linkedSheets_data();
    void linkedSheets();
    void sheetSharedByTwoPagesIsFetchedOnce();
    void fetchingCanBeTurnedOff();
    void aNewRunFetchesSheetsAfresh();
    void aRunAfterACancelledOneGetsItsSheets();
    void reportsHideThePassword();
};

namespace {

tv::FetchOptions quickOptions()
{
    tv::FetchOptions o;
    o.idleTimeout = std::chrono::milliseconds(400);
    o.totalTimeout = std::chrono::milliseconds(5000);
    return o;
}

HttpFixture css(const QByteArray& body)
{
    return HttpFixture::page(body, "text/css");
}

} // namespace

void TestSheetsNetwork::linkedSheets_data()
{
    QTest::addColumn<Fixtures>("fixtures");
    QTest::addColumn<QString>("path");     // the page asked for
    QTest::addColumn<QString>("expected"); // its text
    QTest::addColumn<QString>("report");   // "" when nothing is reported

    QTest::newRow("a class hidden by a linked sheet")
        << Fixtures{{"/p", HttpFixture::html("<link rel=stylesheet href=s.css>"
                                             "<p class=gone>hidden</p><p>shown</p>")},
                    {"/s.css", css(".gone{display:none}")}}
        << "/p"
        << "shown"
        << "";
    QTest::newRow("an @import chain, imported rules first")
        << Fixtures{{"/p", HttpFixture::html("<link rel=stylesheet href=/css/a.css>"
                                             "<p class=x>Mixed</p><p class=y>y</p>")},
                    {"/css/a.css", css("@import 'b.css'; .x{text-transform:uppercase}")},
                    {"/css/b.css", css("@import url(/css/c.css); .y{display:none}")},
                    {"/css/c.css", css(".x{text-transform:lowercase}")}}
        << "/p"
        << "MIXED"
        << "";
    QTest::newRow("an @import cycle")
        << Fixtures{{"/p", HttpFixture::html("<link rel=stylesheet href=a.css>"
                                             "<p class=a>a</p><p class=b>b</p><p>c</p>")},
                    {"/a.css", css("@import 'b.css'; .a{display:none}")},
                    {"/b.css", css("@import 'a.css'; .b{display:none}")}}
        << "/p"
        << "c"
        << "";
    QTest::newRow("a print sheet and blocks for other widths")
        << Fixtures{{"/p", HttpFixture::html("<link rel=stylesheet href=print.css media=print>"
                                             "<link rel=stylesheet href=s.css>"
                                             "<p class=a>a</p><p class=b>b</p><p class=c>c</p>")},
                    {"/print.css", css(".a{display:none}")},
                    {"/s.css", css("@media (min-width: 1200px){.b{display:none}}"
                                   "@media (max-width: 600px){.c{display:none}}")}}
        << "/p"
        << "a\n\nc"
        << "";
    QTest::newRow("a sheet that fails")
        << Fixtures{{"/p", HttpFixture::html("<link rel=stylesheet href=missing.css>"
                                             "<link rel=stylesheet href=s.css>"
                                             "<p class=a>a</p><p class=b>b</p>")},
                    {"/s.css", css(".b{display:none}")}}
        << "/p"
        << "a"
        << "was counted without its style sheet %1/missing.css (the server answered 404 Not "
           "Found)";
    QTest::newRow("a sheet over the size cap")
        << Fixtures{{"/p", HttpFixture::html("<link rel=stylesheet href=big.css><p class=a>a</p>")},
                    {"/big.css", css(".a{display:none}" + QByteArray(2 * 1024 * 1024, ' '))}}
        << "/p"
        << "a"
        << "%1/big.css (it is larger than 2 MiB)";
    QTest::newRow("a sheet that redirects to a file")
        << Fixtures{{"/p", HttpFixture::html("<link rel=stylesheet href=s.css><p class=a>a</p>")},
                    {"/s.css", HttpFixture::redirect("file:///etc/passwd")}}
        << "/p"
        << "a"
        << "(it redirects to file:///etc/passwd, which is not a web address)";
    QTest::newRow("an error page instead of a sheet")
        << Fixtures{{"/p", HttpFixture::html("<link rel=stylesheet href=s.css><p class=a>a</p>")},
                    {"/s.css", HttpFixture::html("<p>soft 404</p>")}}
        << "/p"
        << "a"
        << "not a style sheet";
    QTest::newRow("floats, absolute boxes, flex and grid items between words")
        << Fixtures{{"/p", HttpFixture::html("<link rel=stylesheet href=s.css>"
                                             "<p>a<span class=f>b</span>c<span class=abs>d</span>"
                                             "e<span class=flex><i>f</i><i>g</i></span>h"
                                             "<span class=grid><i>i</i><i>j</i></span>k</p>")},
                    {"/s.css", css(".f{float:left} .abs{position:absolute} .flex{display:flex}"
                                   ".grid{display:grid}")}}
        << "/p"
        << "a\nb\nc\nd\ne\nf\ng\nh\ni\nj\nk"
        << "";
    QTest::newRow("uppercase in Turkish")
        << Fixtures{{"/p", HttpFixture::html("<link rel=stylesheet href=s.css>"
                                             "<p lang=tr class=u>iyi</p><p class=u>iyi</p>")},
                    {"/s.css", css(".u{text-transform:uppercase}")}}
        << "/p" << QStringLiteral(u"\u0130Y\u0130\n\nIYI") << "";
    QTest::newRow("links resolved against the page's address after redirects")
        << Fixtures{{"/old", HttpFixture::redirect("/dir/page.html")},
                    {"/dir/page.html",
                     HttpFixture::html("<link rel=stylesheet href=s.css><p class=a>a</p>b")},
                    {"/dir/s.css", css(".a{display:none}")}}
        << "/old"
        << "b"
        << "";
    QTest::newRow("links resolved against the base element")
        << Fixtures{{"/p", HttpFixture::html("<base href=/assets/><link rel=stylesheet href=s.css>"
                                             "<p class=a>a</p>b")},
                    {"/assets/s.css", css(".a{display:none}")}}
        << "/p"
        << "b"
        << "";
}

void TestSheetsNetwork::linkedSheets()
{
    QFETCH(Fixtures, fixtures);
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QFETCH(QString, report);

    tv::test::HttpServer server;
    QVERIFY(server.isListening());
    for (const auto& f : fixtures)
        server.serve(f.first, f.second);
    tv::NetworkPageSource source(quickOptions());
    tv::test::RecordingSink sink;
    QCOMPARE(fetchUrl(source, server.url(path)), expected);
    if (report.isEmpty()) {
        QCOMPARE(sink.reports, QStringList());
    } else {
        QCOMPARE(sink.reports.size(), 1);
        const QString wanted = report.contains(u"%1") ? report.arg(server.url(QString())) : report;
        QVERIFY2(sink.descriptions().first().contains(wanted),
                 qPrintable(sink.descriptions().first()));
        // A warning: the page still counts.
        QCOMPARE(sink.lines(), QList<int>{106});
    }
}

void TestSheetsNetwork::sheetSharedByTwoPagesIsFetchedOnce()
{
    tv::test::HttpServer server;
    server.serve("/a", HttpFixture::html("<link rel=stylesheet href=/s.css><p class=x>x</p>a"));
    server.serve("/b", HttpFixture::html("<link rel=stylesheet href=/s.css><p class=x>x</p>b"));
    server.serve("/s.css", css(".x{display:none}"));
    tv::NetworkPageSource source(quickOptions());
    tv::test::RecordingSink sink;
    const QStringList rows{server.url("/a"), server.url("/b")};
    source.announce(rows);
    QCOMPARE(fetchUrl(source, rows[0]), QStringLiteral("a"));
    QCOMPARE(fetchUrl(source, rows[1]), QStringLiteral("b"));
    QCOMPARE(server.requestCount("/s.css"), 1);
    QCOMPARE(source.sheetDownloads(), 1);
    QCOMPARE(source.sheetCacheHits(), 1);
    QVERIFY(sink.reports.isEmpty());
}

void TestSheetsNetwork::fetchingCanBeTurnedOff()
{
    tv::test::HttpServer server;
    server.serve("/p", HttpFixture::html("<link rel=stylesheet href=s.css><p class=x>x</p>y"));
    server.serve("/s.css", css(".x{display:none}"));
    tv::FetchOptions options = quickOptions();
    options.styleSheets = false;
    tv::NetworkPageSource source(options);
    tv::test::RecordingSink sink;
    QCOMPARE(fetchUrl(source, server.url("/p")), QStringLiteral("x\n\ny"));
    QCOMPARE(server.requestCount("/s.css"), 0);
    QVERIFY(sink.reports.isEmpty());
}

void TestSheetsNetwork::aNewRunFetchesSheetsAfresh()
{
    tv::test::HttpServer server;
    server.serve("/p", HttpFixture::html("<link rel=stylesheet href=s.css><p class=x>x</p>y"));
    server.serve("/s.css", css(".x{display:none}"));
    tv::NetworkPageSource source(quickOptions());
    tv::test::RecordingSink sink;
    QCOMPARE(fetchUrl(source, server.url("/p")), QStringLiteral("y"));
    // The sheet changes between runs.
    server.serve("/s.css", css(".x{text-transform:uppercase}"));
    QCOMPARE(fetchUrl(source, server.url("/p")), QStringLiteral("y"));
    source.beginRun(true);
    QCOMPARE(fetchUrl(source, server.url("/p")), QStringLiteral("X\n\ny"));
    QCOMPARE(server.requestCount("/s.css"), 2);
    source.beginRun(false);
    QCOMPARE(fetchUrl(source, server.url("/p")), QStringLiteral("x\n\ny"));
    QCOMPARE(server.requestCount("/s.css"), 2);
    QVERIFY(sink.reports.isEmpty());
}

// Cancelling ends the sheet downloads under way; the next run must not wait for them.
void TestSheetsNetwork::aRunAfterACancelledOneGetsItsSheets()
{
    tv::test::HttpServer server;
    server.serve("/p", HttpFixture::html("<link rel=stylesheet href=s.css><p class=x>x</p>y"));
    HttpFixture slowSheet = css(".x{display:none}");
    slowSheet.delay = std::chrono::milliseconds(300);
    server.serve("/s.css", slowSheet);
    tv::NetworkPageSource source(quickOptions());
    tv::test::RecordingSink sink;
    source.announce({server.url("/p")});
    QTRY_COMPARE_WITH_TIMEOUT(server.requestCount("/s.css"), 1, 5000);
    source.cancel();
    source.announce({server.url("/p")});
    // Were the page to wait for the cancelled download, this ends the wait, and the text is "".
    QTimer::singleShot(5000, &source, [&source] { source.cancel(); });
    QCOMPARE(fetchUrl(source, server.url("/p")), QStringLiteral("y"));
    QVERIFY(sink.reports.isEmpty());
}

// A sheet's address resolved against a page typed with a password carries it too.
void TestSheetsNetwork::reportsHideThePassword()
{
    tv::test::HttpServer server;
    server.serve("/p", HttpFixture::html("<link rel=stylesheet href=missing.css><p>a</p>"));
    tv::NetworkPageSource source(quickOptions());
    tv::test::RecordingSink sink;
    const QString url = server.url("/p").replace("http://", "http://user:secret@");
    QCOMPARE(fetchUrl(source, url), QStringLiteral("a"));
    QCOMPARE(sink.reports.size(), 1);
    const QString report = sink.descriptions().first();
    QVERIFY2(!report.contains("secret"), qPrintable(report));
    QVERIFY2(report.contains("user:***@127.0.0.1"), qPrintable(report));
    QVERIFY2(report.contains("missing.css"), qPrintable(report));
}

TV_TEST_MAIN(TestSheetsNetwork, QCoreApplication)
#include "test_sheetsnetwork.moc"
