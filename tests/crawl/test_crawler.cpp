// Crawls of sites served inside the test: a link graph with cycles, another host, fragments,
// nofollow, robots.txt, a redirect and files of other types; endless generated links against
// every limit; politeness (connections, delays); prefixes, redirects of the start page, stops.
#include "crawl/crawler.h"
#include "crawl/downloadfetcher.h"
#include "crawl/sourcepagereader.h"
#include "fetch/networkpagesource.h"
#include "recordingfetcher.h"
#include "support/httpserver.h"

#include <QSignalSpy>
#include <QtTest>

using tv::Crawler;
using tv::CrawlOptions;
using tv::test::HttpFixture;
using tv::test::HttpServer;
Q_DECLARE_METATYPE(CrawlOptions)

class TestCrawler : public QObject {
    Q_OBJECT
private slots:
    void siteGraph();
    void limits_data();
    void limits();
    void politeness_data();
    void politeness();
    void robots_data();
    void robots();
    void under_data();
    void under();
    void startMovesToAnotherHost();
    void redirectToAPageBeingRead();
    void stopKeepsWhatWasRead();
    void keepsBytesWhenAsked();
    void readsLinksInTheCountsParse_data();
    void readsLinksInTheCountsParse();
    void countTakesARedirectsPageFromTheReader();
    void startThatIsNoPage_data();
    void startThatIsNoPage();
};

namespace {

constexpr int kCrawlMs = 20000; // the bound on every wait for a crawl's end

struct Page {
    QString address;
    int depth;
    bool operator==(const Page& other) const = default;
};

QList<Page> pagesOf(const Crawler& crawler)
{
    QList<Page> pages;
    for (const auto& page : crawler.pages())
        pages.append({page.address, page.depth});
    return pages;
}

// Paths asked for more than once.
QStringList askedTwice(const HttpServer& server)
{
    QHash<QByteArray, int> counts;
    QStringList twice;
    for (const auto& request : server.requests()) {
        if (++counts[request.header("Host") + request.path] == 2)
            twice << QString::fromUtf8(request.path);
    }
    return twice;
}

HttpFixture links(const QList<QByteArray>& hrefs, const QByteArray& extra = {})
{
    QByteArray body = "<!DOCTYPE html><html><head><title>page</title>" + extra + "</head><body>";
    for (const QByteArray& href : hrefs)
        body += "<p><a href=\"" + href + "\">link</a></p>\n";
    return HttpFixture::html(body + "</body></html>");
}

// A chain without end: /trap/N links to /trap/N+1 (and to itself).
HttpFixture trapPage(const QByteArray& path, std::chrono::milliseconds delay)
{
    const int n = path.mid(6).toInt();
    HttpFixture page =
        links({"/trap/" + QByteArray::number(n + 1), "/trap/" + QByteArray::number(n)},
              "<meta name=description content=\"" + QByteArray(800, 'x') + "\">");
    page.delay = delay;
    return page;
}

// A calendar: every month links to the one before and the one after.
HttpFixture calendarPage(const QByteArray& path)
{
    const int month = path.mid(path.indexOf('=') + 1).toInt();
    return links({"/cal?month=" + QByteArray::number(month - 1),
                  "/cal?month=" + QByteArray::number(month + 1)});
}

bool runToEnd(Crawler& crawler, const QString& start)
{
    QSignalSpy finished(&crawler, &Crawler::finished);
    crawler.start(start);
    return finished.count() == 1 || finished.wait(kCrawlMs);
}

} // namespace

void TestCrawler::siteGraph()
{
    HttpServer server;
    QVERIFY(server.isListening());
    const QByteArray other = "http://localhost:" + QByteArray::number(server.port());
    server.serve("/robots.txt",
                 HttpFixture::page("User-agent: *\nDisallow: /private/\n", "text/plain"));
    HttpFixture root = links({"/a.html", "b/", "/a.html#part", "/private/secret.html",
                              other + "/elsewhere", "/old", "/file.pdf", "/away",
                              "mailto:me@example.com", "file:///etc/passwd", "/notes.txt"});
    root.body.replace("</body>", "<a rel=\"nofollow\" href=\"/nofollow.html\">nf</a></body>");
    server.serve("/", root);
    HttpFixture a = links({"/", "/b/", "/a.html?x=1"});
    a.body.replace("</body>",
                   "<div style=\"display:none\"><a href=\"hidden.html\">hidden</a></div></body>");
    server.serve("/a.html", a);
    server.serve("/b/", links({"c.html", "../a.html", "index.html"}));
    server.serve("/b/c.html", links({"/"}));
    server.serve("/old", HttpFixture::redirect("/b/c.html", 301));
    server.serve("/away", HttpFixture::redirect(other + "/elsewhere"));
    server.serve("/file.pdf", HttpFixture::page("%PDF-1.4 not a page", "application/pdf"));
    server.serve("/notes.txt",
                 HttpFixture::page("see " + server.url("/never.html").toUtf8(), "text/plain"));
    server.serve("/a.html?x=1",
                 links({"/meta-nofollowed.html"}, "<meta name=\"robots\" content=\"nofollow\">"));
    server.serve("/hidden.html", links({}));
    server.serve("/b/index.html", links({"/b/"}));
    for (const char* never : {"/nofollow.html", "/private/secret.html", "/elsewhere",
                              "/meta-nofollowed.html", "/never.html"})
        server.serve(never, links({}));

    tv::DownloadFetcher fetcher;
    Crawler crawler(fetcher);
    QSignalSpy progress(&crawler, &Crawler::progress);
    QVERIFY(runToEnd(crawler, server.siteAddress("/")));

    const QString site = server.url("");
    const QList<Page> expected{
        {site + "/", 0},
        {site + "/a.html", 1},
        {site + "/b/", 1},
        {site + "/b/c.html", 1},
        {site + "/notes.txt", 1},
        {site + "/a.html?x=1", 2},
        {site + "/hidden.html", 2},
        {site + "/b/index.html", 2},
    };
    QCOMPARE(pagesOf(crawler), expected);
    QCOMPARE(crawler.site(), QStringLiteral("http://127.0.0.1:%1").arg(server.port()));
    QCOMPARE(crawler.notices(), QStringList());

    QStringList skipped;
    for (const auto& skip : crawler.skipped())
        skipped << skip.address.mid(site.size()) + ": " + skip.reason;
    QCOMPARE(skipped.size(), 3);
    QCOMPARE(skipped[0], QStringLiteral("/private/secret.html: robots.txt asks crawlers not to "
                                        "read it"));
    QVERIFY2(skipped[1].startsWith("/file.pdf: Could not load") &&
                 skipped[1].contains("application/pdf"),
             qPrintable(skipped[1]));
    QCOMPARE(skipped[2], "/away: it leads to " + other + "/elsewhere, on another site");

    QCOMPARE(askedTwice(server), QStringList());
    for (const char* never : {"/nofollow.html", "/private/secret.html", "/elsewhere",
                              "/meta-nofollowed.html", "/never.html"})
        QVERIFY2(server.requestCount(never) == 0, never);
    QCOMPARE(server.requestCount("/robots.txt"), 1);
    QCOMPARE(server.requestCount("/b/c.html"), 1); // through the redirect only

    // The robots.txt group for "tallyvane" applies to what the crawl says it is.
    QVERIFY(server.requests().first().header("User-Agent").contains("Tallyvane/"));

    // Each page's text is kept for the count, so that it needs no second download.
    QCOMPARE(crawler.pages()[3].text, QStringLiteral("link"));
    QCOMPARE(crawler.pages()[4].text, "see " + server.url("/never.html"));
    QCOMPARE(crawler.pages()[4].contentType, QByteArray("text/plain"));
    QVERIFY(crawler.pages()[4].body.isEmpty());

    QVERIFY(!progress.isEmpty());
    const auto last = progress.last().first().value<tv::CrawlProgress>();
    QCOMPARE(last.pagesFound, expected.size());
    QCOMPARE(last.queued, 0);
    QCOMPARE(last.inFlight, 0);
    int mostQueued = 0;
    for (const auto& signal : progress)
        mostQueued = std::max(mostQueued, signal.first().value<tv::CrawlProgress>().queued);
    QVERIFY(mostQueued >= 3);
}

void TestCrawler::limits_data()
{
    QTest::addColumn<CrawlOptions>("options");
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("pageDelayMs");
    QTest::addColumn<int>("pages");        // -1: some, fewer than the chain would give
    QTest::addColumn<QString>("notice");   // the one notice
    QTest::addColumn<QString>("notAsked"); // a page beyond the limit

    CrawlOptions depth;
    depth.maxDepth = 3;
    QTest::newRow("depth") << depth << "/trap/0" << 0 << 4
                           << "Links more than 3 steps from the start page were not followed "
                              "(1 page)."
                           << "/trap/4";
    CrawlOptions pages;
    pages.maxPages = 10;
    pages.maxDepth = 1000;
    QTest::newRow("pages") << pages << "/trap/0" << 0 << 10
                           << "The crawl stopped at its limit of 10 pages; 1 more pages it had "
                              "found were not read."
                           << "/trap/10";
    CrawlOptions calendar = pages;
    calendar.maxPages = 15;
    QTest::newRow("calendar") << calendar << "/cal?month=0" << 0 << 15
                              << "The crawl stopped at its limit of 15 pages; 2 more pages it "
                                 "had found were not read."
                              << "/cal?month=9";
    CrawlOptions bytes;
    bytes.maxDepth = 1000;
    bytes.maxBytes = 3500; // each page is about 1,000 bytes
    QTest::newRow("bytes") << bytes << "/trap/0" << 0 << 3
                           << "The crawl stopped at its limit of 3 KB of pages."
                           << "/trap/5";
    CrawlOptions time;
    time.maxDepth = 1000;
    time.maxTime = std::chrono::milliseconds(600);
    QTest::newRow("time") << time << "/trap/0" << 100 << -1
                          << "The crawl stopped at its time limit of 0.6 seconds."
                          << "/trap/50";
}

void TestCrawler::limits()
{
    QFETCH(CrawlOptions, options);
    QFETCH(QString, start);
    QFETCH(int, pageDelayMs);
    QFETCH(int, pages);
    QFETCH(QString, notice);
    QFETCH(QString, notAsked);

    HttpServer server;
    const std::chrono::milliseconds delay(pageDelayMs);
    server.serveGenerated("/trap/",
                          [delay](const QByteArray& path) { return trapPage(path, delay); });
    server.serveGenerated("/cal?month=", &calendarPage);
    tv::DownloadFetcher fetcher;
    Crawler crawler(fetcher, options);
    QVERIFY(runToEnd(crawler, server.url(start)));

    if (pages >= 0) {
        QCOMPARE(int(crawler.pages().size()), pages);
    } else {
        QVERIFY(!crawler.pages().empty());
        QVERIFY(crawler.pages().size() < 50);
    }
    QCOMPARE(crawler.notices(), QStringList{notice});
    QCOMPARE(server.requestCount(notAsked), 0);
    QCOMPARE(askedTwice(server), QStringList());
    QVERIFY(!crawler.isRunning());
}

void TestCrawler::politeness_data()
{
    QTest::addColumn<CrawlOptions>("options");
    QTest::addColumn<QByteArray>("robots");
    QTest::addColumn<int>("gapMs");      // the least time between two requests
    QTest::addColumn<QString>("notice"); // "" for none

    QTest::newRow("two at a time") << CrawlOptions{} << QByteArray() << 0 << "";
    CrawlOptions delayed;
    delayed.delay = std::chrono::milliseconds(60);
    QTest::newRow("delay between requests") << delayed << QByteArray() << 60 << "";
    QTest::newRow("Crawl-delay")
        << CrawlOptions{}
        << QByteArray("User-agent: *\nCrawl-delay: 5\n\nUser-agent: tallyvane\nCrawl-delay: 0.06\n")
        << 60
        << "The robots.txt of http://127.0.0.1:PORT asks for 0.06 seconds between requests; "
           "the crawl keeps to it.";
}

void TestCrawler::politeness()
{
    QFETCH(CrawlOptions, options);
    QFETCH(QByteArray, robots);
    QFETCH(int, gapMs);
    QFETCH(QString, notice);

    HttpServer server;
    if (!robots.isEmpty())
        server.serve("/robots.txt", HttpFixture::page(robots, "text/plain"));
    QList<QByteArray> hrefs;
    for (int i = 1; i <= 12; ++i)
        hrefs << "/p/" + QByteArray::number(i);
    server.serve("/p/0", links(hrefs));
    server.serveGenerated("/p/", [](const QByteArray&) {
        HttpFixture page = links({"/p/0"});
        page.delay = std::chrono::milliseconds(30);
        return page;
    });
    tv::DownloadFetcher downloads;
    tv::test::RecordingFetcher fetcher(downloads);
    Crawler crawler(fetcher, options);
    QVERIFY(runToEnd(crawler, server.url("/p/0")));

    QCOMPARE(int(crawler.pages().size()), 13);
    QCOMPARE(fetcher.starts().size(), 14); // and robots.txt
    if (gapMs == 0)
        QCOMPARE(fetcher.peakInFlight(), 2); // never more, and both used
    for (qsizetype i = 1; i < fetcher.starts().size(); ++i) {
        const qint64 gap = fetcher.starts()[i].atMs - fetcher.starts()[i - 1].atMs;
        // 1 ms for the two clocks' different roundings.
        QVERIFY2(gap >= gapMs - 1, qPrintable(QStringLiteral("request %1 came %2 ms after the one "
                                                             "before")
                                                  .arg(i)
                                                  .arg(gap)));
    }
    notice.replace("PORT", QString::number(server.port()));
    QCOMPARE(crawler.notices(), notice.isEmpty() ? QStringList() : QStringList{notice});
}

void TestCrawler::robots_data()
{
    QTest::addColumn<HttpFixture>("robots");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QString>("notice"); // part of the one notice; "" for none

    QTest::newRow("none") << HttpFixture::error(404) << 3 << "";
    QTest::newRow("forbidden to read: no rules") << HttpFixture::error(403) << 3 << "";
    QTest::newRow("server error: the site is not crawled")
        << HttpFixture::error(503) << 0 << "could not be read, so the site was not crawled";
    QTest::newRow("the start page disallowed")
        << HttpFixture::page("User-agent: tallyvane\nDisallow: /start\n", "text/plain") << 0
        << "asks crawlers not to read the start page";
    QTest::newRow("a page disallowed, robots.txt moved")
        << HttpFixture::redirect("/real-robots.txt") << 2 << "";
    QTest::newRow("any type") << HttpFixture::page("User-agent: *\nDisallow: /two", "text/x-robots")
                              << 2 << "";
}

Q_DECLARE_METATYPE(HttpFixture)

void TestCrawler::robots()
{
    QFETCH(HttpFixture, robots);
    QFETCH(int, pages);
    QFETCH(QString, notice);

    HttpServer server;
    server.serve("/robots.txt", robots);
    server.serve("/real-robots.txt",
                 HttpFixture::page("User-agent: *\nDisallow: /two\n", "text/plain"));
    server.serve("/start", links({"/one", "/two"}));
    server.serve("/one", links({}));
    server.serve("/two", links({}));
    tv::DownloadFetcher fetcher;
    Crawler crawler(fetcher);
    QVERIFY(runToEnd(crawler, server.url("/start")));

    QCOMPARE(int(crawler.pages().size()), pages);
    if (pages == 0)
        QCOMPARE(server.requestCount("/start"), 0);
    if (pages == 2)
        QCOMPARE(server.requestCount("/two"), 0);
    if (notice.isEmpty()) {
        QCOMPARE(crawler.notices(), QStringList());
    } else {
        QCOMPARE(crawler.notices().size(), 1);
        QVERIFY2(crawler.notices().first().contains(notice), qPrintable(crawler.notices().first()));
    }
}

void TestCrawler::under_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("pages");

    QTest::newRow("start inside") << "/docs/" << QStringList{"/docs/", "/docs/a", "/docs/sub/b"};
    QTest::newRow("start above: read for its links, not kept")
        << "/" << QStringList{"/docs/", "/docs/a", "/docs/sub/b"};
}

void TestCrawler::under()
{
    QFETCH(QString, start);
    QFETCH(QStringList, pages);

    HttpServer server;
    server.serve("/", links({"/docs/", "/docsearch", "/other"}));
    server.serve("/docs/", links({"a", "/docsearch", "/", "sub/b", "/docs"}));
    server.serve("/docs/a", links({}));
    server.serve("/docs/sub/b", links({}));
    server.serve("/docs", HttpFixture::redirect("/docs/"));
    server.serve("/docsearch", links({}));
    server.serve("/other", links({}));
    tv::DownloadFetcher fetcher;
    CrawlOptions options;
    options.under = "docs"; // as a user might type it
    Crawler crawler(fetcher, options);
    QVERIFY(runToEnd(crawler, server.url(start)));

    QStringList found;
    for (const auto& page : crawler.pages())
        found << QUrl(page.address).path();
    QCOMPARE(found, pages);
    QCOMPARE(server.requestCount("/docsearch"), 0);
    QCOMPARE(server.requestCount("/other"), 0);
    QCOMPARE(askedTwice(server), QStringList());
}

void TestCrawler::startMovesToAnotherHost()
{
    // The site is the one the start page ends on: its robots.txt and its links count.
    HttpServer server;
    server.serve("/go", HttpFixture::redirect(server.url("/home").toUtf8()));
    server.serve("/home", links({"a.html", server.url("/b.html").toUtf8(),
                                 "http://localhost:" + QByteArray::number(server.port()) + "/c"}));
    server.serve("/a.html", links({}));
    server.serve("/b.html", links({}));
    server.serve("/c", links({}));
    server.serve("/robots.txt", HttpFixture::page("User-agent: *\nDisallow: /b\n", "text/plain"));
    tv::DownloadFetcher fetcher;
    Crawler crawler(fetcher);
    QVERIFY(runToEnd(crawler, QStringLiteral("localhost:%1/go").arg(server.port())));

    QCOMPARE(crawler.site(), QStringLiteral("http://127.0.0.1:%1").arg(server.port()));
    QStringList found;
    for (const auto& page : crawler.pages())
        found << page.address;
    QCOMPARE(found, (QStringList{server.url("/home"), server.url("/a.html")}));
    QStringList robotsHosts;
    for (const auto& request : server.requests()) {
        if (request.path == "/robots.txt")
            robotsHosts << QString::fromUtf8(request.header("Host")).section(u':', 0, 0);
    }
    QCOMPARE(robotsHosts, (QStringList{"localhost", "127.0.0.1"}));
    QCOMPARE(server.requestCount("/b.html"), 0);
    QCOMPARE(server.requestCount("/c"), 0);
}

void TestCrawler::redirectToAPageBeingRead()
{
    // /r answers late with a redirect to /t, which is being read by then: /t is read once and
    // keeps the place of /r, the earlier link, as if the pages had been read one by one.
    HttpServer server;
    server.serve("/", links({"/r", "/m", "/t"}));
    HttpFixture late = HttpFixture::redirect("/t");
    late.delay = std::chrono::milliseconds(1000);
    server.serve("/r", late);
    server.serve("/m", links({}));
    HttpFixture target = links({});
    target.delay = std::chrono::milliseconds(100);
    server.serve("/t", target);
    tv::DownloadFetcher fetcher;
    Crawler crawler(fetcher);
    QVERIFY(runToEnd(crawler, server.url("/")));

    QStringList found;
    for (const auto& page : crawler.pages())
        found << QUrl(page.address).path();
    QCOMPARE(found, (QStringList{"/", "/t", "/m"}));
    QCOMPARE(server.requestCount("/t"), 1);
    QVERIFY(crawler.skipped().isEmpty());
}

void TestCrawler::stopKeepsWhatWasRead()
{
    HttpServer server;
    server.serve("/", links({"/slow/1", "/slow/2", "/slow/3", "/slow/4"}));
    server.serveGenerated("/slow/", [](const QByteArray&) {
        HttpFixture page = links({});
        page.delay = std::chrono::milliseconds(300);
        return page;
    });
    tv::DownloadFetcher fetcher;
    Crawler crawler(fetcher);
    QSignalSpy finished(&crawler, &Crawler::finished);
    crawler.start(server.url("/"));
    QTRY_VERIFY_WITH_TIMEOUT(crawler.progressNow().pagesFound == 1 && fetcher.active() == 2,
                             kCrawlMs);
    crawler.stop();

    QCOMPARE(finished.count(), 1);
    QVERIFY(!crawler.isRunning());
    QCOMPARE(fetcher.active(), 0); // the downloads in flight were ended
    QCOMPARE(int(crawler.pages().size()), 1);
    QCOMPARE(crawler.notices(), QStringList{"The crawl was stopped before its end."});
    crawler.stop();
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 1);
}

void TestCrawler::keepsBytesWhenAsked()
{
    HttpServer server;
    server.serve("/", links({"/a"}));
    server.serve("/a", HttpFixture::page("plain words", "text/plain; charset=utf-8"));
    tv::DownloadFetcher fetcher;
    CrawlOptions options;
    options.keepText = false;
    Crawler crawler(fetcher, options);
    QVERIFY(runToEnd(crawler, server.url("/")));
    QCOMPARE(int(crawler.pages().size()), 2);
    QVERIFY(crawler.pages()[0].body.contains("<a href=\"/a\">"));
    QCOMPARE(crawler.pages()[1].body, QByteArray("plain words"));
    QCOMPARE(crawler.pages()[1].contentType, QByteArray("text/plain; charset=utf-8"));
    QVERIFY(crawler.pages()[1].text.isEmpty());
}

void TestCrawler::readsLinksInTheCountsParse_data()
{
    QTest::addColumn<QString>("under");
    QTest::addColumn<QStringList>("pages");
    QTest::addColumn<int>("ownParses");   // pages the reader parsed for their links alone
    QTest::addColumn<int>("rootFetches"); // downloads of the start page by a count that names it
    QTest::newRow("whole site") << QString()
                                << QStringList{"/", "/a", "/odd", "/docs/d", "/notes.txt", "/b"}
                                << 1 << 0;
    // The start page is read for its links only: the crawl parses it itself, and a count that
    // names it downloads it.
    QTest::newRow("start outside the prefix") << "/docs" << QStringList{"/docs/d"} << 0 << 1;
}

// A crawl for a count has the count's page source read its pages, and takes their links from
// the parse that makes their text; the count then downloads none of the pages kept.
void TestCrawler::readsLinksInTheCountsParse()
{
    QFETCH(QString, under);
    QFETCH(QStringList, pages);
    QFETCH(int, ownParses);
    QFETCH(int, rootFetches);
    HttpServer server;
    server.serve("/", links({"/a", "/odd", "/docs/d", "/notes.txt"}));
    server.serve("/a", links({"/", "/a#top"}));
    // An "<a" that is no tag: this page's links take a parse of their own.
    server.serve("/odd", HttpFixture::html("<script>document.write('<a href=/w>')</script>"
                                           "<p>odd <a href=/b>b</a>"));
    server.serve("/b", links({}));
    server.serve("/docs/d", links({"/docs/d"}));
    server.serve("/notes.txt", HttpFixture::page("plain words", "text/plain"));
    tv::DownloadFetcher fetcher;
    tv::NetworkPageSource source;
    tv::SourcePageReader reader(source);
    CrawlOptions options;
    options.keepText = false;
    options.under = under;
    Crawler crawler(fetcher, options);
    crawler.setPageReader(&reader);
    QVERIFY(runToEnd(crawler, server.url("/")));

    QStringList found;
    QStringList rows{server.url("/")};
    for (const auto& page : crawler.pages()) {
        found << QUrl(page.address).path();
        rows << page.address;
    }
    QCOMPARE(found, pages);
    QCOMPARE(reader.ownParses(), ownParses);
    QCOMPARE(server.requestCount("/w"), 0);
    QCOMPARE(askedTwice(server), QStringList());

    source.announce(rows);
    for (const QString& row : std::as_const(rows))
        QCOMPARE(source.fetchPage(row).outcome, tv::FetchedPage::Outcome::Read);
    QCOMPARE(source.downloadsStarted(), rootFetches);
    QCOMPARE(server.requestCount("/"), 1 + rootFetches);
}

void TestCrawler::countTakesARedirectsPageFromTheReader()
{
    // As in redirectToAPageBeingRead, /t keeps the place of /r; read through the count's page
    // source, its links still count and the count still downloads nothing.
    HttpServer server;
    server.serve("/", links({"/r", "/m", "/t"}));
    HttpFixture late = HttpFixture::redirect("/t");
    late.delay = std::chrono::milliseconds(1000);
    server.serve("/r", late);
    server.serve("/m", links({}));
    HttpFixture target = links({"/u"});
    target.delay = std::chrono::milliseconds(100);
    server.serve("/t", target);
    server.serve("/u", links({}));
    tv::DownloadFetcher fetcher;
    tv::NetworkPageSource source;
    tv::SourcePageReader reader(source);
    CrawlOptions options;
    options.keepText = false;
    Crawler crawler(fetcher, options);
    crawler.setPageReader(&reader);
    QVERIFY(runToEnd(crawler, server.url("/")));

    QStringList found;
    QStringList rows;
    for (const auto& page : crawler.pages()) {
        found << QUrl(page.address).path();
        rows << page.address;
    }
    QCOMPARE(found, (QStringList{"/", "/t", "/m", "/u"}));
    QCOMPARE(reader.ownParses(), 0);
    source.announce(rows);
    for (const QString& row : std::as_const(rows))
        QCOMPARE(source.fetchPage(row).outcome, tv::FetchedPage::Outcome::Read);
    QCOMPARE(source.downloadsStarted(), 0);
    QCOMPARE(askedTwice(server), QStringList());
}

void TestCrawler::startThatIsNoPage_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("notice");

    QTest::newRow("another scheme") << "mailto:me@example.com"
                                    << "mailto:me@example.com is not the address of a web page: "
                                       "nothing was crawled.";
    QTest::newRow("a missing page") << "SERVER/missing"
                                    << "The start page could not be read: Could not load "
                                       "SERVER/missing: the server answered 404 Not Found";
}

void TestCrawler::startThatIsNoPage()
{
    QFETCH(QString, start);
    QFETCH(QString, notice);
    HttpServer server;
    start.replace("SERVER", server.url(""));
    notice.replace("SERVER", server.url(""));
    tv::DownloadFetcher fetcher;
    Crawler crawler(fetcher);
    QVERIFY(runToEnd(crawler, start));
    QVERIFY(crawler.pages().empty());
    QCOMPARE(crawler.notices(), QStringList{notice});
}

QTEST_GUILESS_MAIN(TestCrawler)
#include "test_crawler.moc"
