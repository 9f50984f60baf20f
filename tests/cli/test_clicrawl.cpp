// tallyvane-count filling its site list from whole sites, against sites served from this
// process: a crawl and a sitemap count exactly as the list of the pages they found, each page is
// downloaded once, robots.txt and the limits hold, and mistakes get clear errors.
#include "clirunner.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace tv::test;

namespace {

HttpFixture page(const QByteArray& words, const QList<QByteArray>& hrefs = {},
                 const QByteArray& head = {})
{
    QByteArray body = "<!DOCTYPE html><html><head><title>t</title>" + head + "</head><body><p>" +
                      words + "</p>\n";
    for (const QByteArray& href : hrefs)
        body += "<a href=\"" + href + "\">link</a>\n";
    return HttpFixture::html(body + "</body></html>");
}

// The sites in the order a per-site json count first names them.
QStringList sitesOf(const QByteArray& json)
{
    QStringList sites;
    for (const QJsonValue& row : QJsonDocument::fromJson(json).array()) {
        const QString site = row.toObject().value(QStringLiteral("site")).toString();
        if (!sites.contains(site))
            sites << site;
    }
    return sites;
}

// Paths asked for more than once among requests [from, end).
QStringList askedTwice(const HttpServer& server, qsizetype from)
{
    QHash<QByteArray, int> counts;
    QStringList twice;
    const QList<HttpRequest> requests = server.requests();
    for (qsizetype i = from; i < requests.size(); ++i)
        if (++counts[requests[i].path] == 2)
            twice << QString::fromUtf8(requests[i].path);
    return twice;
}

int requestsSince(const HttpServer& server, qsizetype from, const QString& path)
{
    const QList<HttpRequest> requests = server.requests();
    int count = 0;
    for (qsizetype i = from; i < requests.size(); ++i)
        count += requests[i].path == path.toUtf8();
    return count;
}

QStringList perSiteJson()
{
    return {QStringLiteral("--per-site"), QStringLiteral("--format=json")};
}

} // namespace

class TestCliCrawl : public QObject {
    Q_OBJECT

    HttpServer m_server;
    HttpServer m_otherHost{QHostAddress(QStringLiteral("127.0.0.2"))};

    QString url(const QString& path) const { return m_server.url(path); }
    QStringList urls(const QStringList& paths) const
    {
        QStringList all;
        for (const QString& path : paths)
            all << url(path);
        return all;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.isListening());
        QVERIFY(m_otherHost.isListening());
        const QByteArray elsewhere = m_otherHost.url(QStringLiteral("/elsewhere")).toUtf8();
        m_server.serve("/robots.txt",
                       HttpFixture::page("User-agent: *\nDisallow: /private/\nSitemap: " +
                                             url("/sitemap_index.xml").toUtf8() + "\n",
                                         "text/plain"));
        // A link graph with cycles, a fragment, nofollow, a page robots.txt refuses, another
        // host, a redirect within the site, plain text, a file of another type and a query.
        m_server.serve(
            "/",
            page("home alpha", {"/a.html", "/b/", "/a.html#top", "/nofollow.html\" rel=\"nofollow",
                                "/private/secret.html", elsewhere, "/old", "/notes.txt",
                                "/file.pdf", "mailto:me@example.com", "/a.html?x=1"}));
        m_server.serve("/a.html", page("apple alpha", {"/", "/b/"}));
        // Its style sheet hides a menu: a crawled page is read with its sheets as a listed one.
        m_server.serve("/b/", page("banana <span class=menu>hiddenword</span>",
                                   {"../a.html", "/b/index.html"},
                                   "<link rel=stylesheet href=/hide.css>"));
        m_server.serve("/hide.css", HttpFixture::page(".menu { display: none }", "text/css"));
        m_server.serve("/old", HttpFixture::redirect("/c.html"));
        m_server.serve("/c.html", page("cherry", {"/d.html"}));
        m_server.serve("/d.html", page("date"));
        m_server.serve("/a.html?x=1", page("query"));
        m_server.serve("/b/index.html", page("index"));
        m_server.serve("/notes.txt", HttpFixture::page("plain notes", "text/plain"));
        m_server.serve("/file.pdf", HttpFixture::page("%PDF-1.4", "application/pdf"));
        m_server.serve("/nofollow.html", page("never"));
        m_server.serve("/private/secret.html", page("secret"));
        m_server.serve("/broken", page("broken", {"/a.html", "/gone"}));

        // A sitemap index naming a gzip sitemap and a plain one that repeats a page.
        const auto urlset = [this](const QStringList& paths) {
            QByteArray xml = "<?xml version=\"1.0\"?>\n"
                             "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
            for (const QString& path : paths)
                xml += "<url><loc>" + url(path).toUtf8() + "</loc></url>\n";
            return xml + "</urlset>\n";
        };
        m_server.serve("/sitemap_index.xml",
                       HttpFixture::page("<sitemapindex xmlns=\"http://www.sitemaps.org/schemas/"
                                         "sitemap/0.9\">\n<sitemap><loc>" +
                                             url("/maps/pages.xml.gz").toUtf8() +
                                             "</loc></sitemap>\n<sitemap><loc>" +
                                             url("/maps/more.xml").toUtf8() +
                                             "</loc></sitemap>\n</sitemapindex>\n",
                                         "application/xml"));
        m_server.serve("/maps/pages.xml.gz",
                       HttpFixture::page(gzipCompress(urlset({"/a.html", "/c.html", "/d.html"})),
                                         "application/x-gzip"));
        m_server.serve("/maps/more.xml",
                       HttpFixture::page(urlset({"/b/", "/a.html"}), "application/xml"));

        // A chain without end: /trap/N links to /trap/N+1.
        m_server.serveGenerated("/trap/", [](const QByteArray& path) {
            const int n = path.mid(6).toInt();
            return page("trap" + QByteArray::number(n), {"/trap/" + QByteArray::number(n + 1)});
        });
    }

    // The count of a crawl or a sitemap is the count of the list of pages it found, in that
    // order, and each page is downloaded once.
    void countsAsItsList_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("list");

        const QStringList graph{"/",          "/a.html",     "/b/",           "/c.html",
                                "/notes.txt", "/a.html?x=1", "/b/index.html", "/d.html"};
        const QStringList crawl{QStringLiteral("--crawl"), url("/")};
        QTest::newRow("crawl, one count, db") << crawl << urls(graph);
        QTest::newRow("crawl, per site, text, json")
            << crawl + QStringList{"--engine=text", "--per-site", "--format=json"} << urls(graph);
        QTest::newRow("crawl without style sheets, per site")
            << crawl + QStringList{"--no-style-sheets", "--per-site"} << urls(graph);
        QTest::newRow("typed start, no scheme")
            << QStringList{"--per-site", "--crawl", m_server.siteAddress("/c.html")}
            << urls({"/c.html", "/d.html"});
        QTest::newRow("a listed page before the crawl, in command-line order")
            << QStringList{"--per-site", url("/d.html"), "--crawl", url("/c.html")}
            << urls({"/d.html", "/c.html", "/d.html"});
        QTest::newRow("sitemap found through robots.txt")
            << QStringList{"--per-site", "--sitemap", m_server.siteAddress("")}
            << urls({"/a.html", "/c.html", "/d.html", "/b/"});
        QTest::newRow("sitemap index")
            << QStringList{"--per-site", "--sitemap", url("/sitemap_index.xml")}
            << urls({"/a.html", "/c.html", "/d.html", "/b/"});
        QTest::newRow("gzip sitemap, then a crawl")
            << QStringList{"--per-site", "--sitemap", url("/maps/pages.xml.gz"), "--crawl",
                           url("/b/index.html")}
            << urls({"/a.html", "/c.html", "/d.html", "/b/index.html"});
    }
    void countsAsItsList()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, list);

        const qsizetype before = m_server.requests().size();
        const CliOutcome found = runCli(arguments);
        QVERIFY(found.finished);
        QCOMPARE(askedTwice(m_server, before), QStringList());
        QCOMPARE(m_otherHost.requests().size(), 0);
        for (const char* never : {"/nofollow.html", "/private/secret.html"})
            QVERIFY2(m_server.requestCount(QString::fromLatin1(never)) == 0, never);

        QStringList listed = arguments;
        for (qsizetype i = 0; i < listed.size();) {
            if (listed[i] == u"--crawl" || listed[i] == u"--sitemap" || !listed[i].startsWith(u'-'))
                listed.remove(i, listed[i].startsWith(u'-') ? 2 : 1);
            else
                ++i;
        }
        const CliOutcome asList = runCli(listed + QStringList{"--"} + list);
        QVERIFY(asList.finished);
        QCOMPARE(asList.exitCode, 0);
        QVERIFY(!asList.out.isEmpty());
        QCOMPARE(found.out, asList.out);
        QCOMPARE(found.exitCode, 0);
        // Style sheets read for a crawled page hide what they hide in a listed one.
        if (list.contains(url("/b/")))
            QCOMPARE(found.out.contains("hiddenword"), arguments.contains("--no-style-sheets"));
    }

    // The limits end a crawl where they say, with a notice, and what lies beyond is not asked
    // for; robots.txt keeps the crawl out of what it refuses.
    void limits_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<QString>("notAsked");

        QTest::newRow("page limit")
            << QStringList{"--crawl", url("/trap/0"), "--max-pages", "5"}
            << urls({"/trap/0", "/trap/1", "/trap/2", "/trap/3", "/trap/4"}) << "limit of 5 pages"
            << "/trap/5";
        QTest::newRow("depth") << QStringList{"--crawl", url("/trap/10"), "--depth=2"}
                               << urls({"/trap/10", "/trap/11", "/trap/12"}) << "more than 2 steps"
                               << "/trap/13";
        QTest::newRow("endless chain at the default limits")
            << QStringList{"--crawl", url("/trap/100")}
            << urls({"/trap/100", "/trap/101", "/trap/102", "/trap/103", "/trap/104", "/trap/105"})
            << "more than 5 steps"
            << "/trap/106";
        QTest::newRow("under a prefix") << QStringList{"--crawl", url("/"), "--under", "/b/"}
                                        << urls({"/b/", "/b/index.html"}) << ""
                                        << "/d.html";
        QTest::newRow("under a prefix given as an address")
            << QStringList{"--crawl", url("/"), "--under", url("/b")}
            << urls({"/b/", "/b/index.html"}) << ""
            << "/c.html";
    }
    void limits()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, pages);
        QFETCH(QString, notice);
        QFETCH(QString, notAsked);

        const qsizetype before = m_server.requests().size();
        const CliOutcome r = runCli(arguments + perSiteJson());
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(sitesOf(r.out), pages);
        QVERIFY2(r.err.contains(notice.toUtf8()), r.err.constData());
        QCOMPARE(requestsSince(m_server, before, notAsked), 0);
        QCOMPARE(askedTwice(m_server, before), QStringList());
    }

    // At most two requests at a time, and the delay asked for between them.
    void politeness()
    {
        HttpServer server;
        QVERIFY(server.isListening());
        QList<QByteArray> children;
        for (int n = 1; n <= 6; ++n)
            children << "/slow/" + QByteArray::number(n);
        HttpFixture start = page("start", children);
        start.delay = std::chrono::milliseconds(100);
        server.serve("/slow/0", start);
        for (int n = 1; n <= 6; ++n) {
            HttpFixture child = page("child");
            child.delay = std::chrono::milliseconds(100);
            server.serve("/slow/" + QString::number(n), child);
        }

        CliOutcome r = runCli({"--crawl", server.url("/slow/0")});
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("child"));
        QCOMPARE(server.peakAnswering(), 2);

        // robots.txt and seven pages: seven pauses at least.
        QElapsedTimer clock;
        clock.start();
        r = runCli({"--crawl", server.url("/slow/0"), "--delay", "250"});
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(clock.elapsed() >= 7 * 250, qPrintable(QString::number(clock.elapsed())));
    }

    // What could not be read is told, and the exit status says so as for listed pages.
    void failures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("once"); // a path asked for once, and not again by the count

        QTest::newRow("start page missing") << QStringList{"--crawl", url("/missing")} << 3
                                            << "Could not load " + url("/missing") << "/missing";
        QTest::newRow("a broken link") << QStringList{"--crawl", url("/broken")} << 1
                                       << "Could not load " + url("/gone") << "/gone";
        QTest::newRow("start page missing, a listed page read")
            << QStringList{"--crawl", url("/missing2"), url("/d.html")} << 1
            << "Could not load " + url("/missing2") << "/missing2";
        QTest::newRow("robots.txt refuses the start page")
            << QStringList{"--crawl", url("/private/secret.html")} << 3
            << "asks crawlers not to read the start page"
            << "";
        QTest::newRow("no sitemap") << QStringList{"--sitemap", url("/nomap.xml")} << 3
                                    << url("/nomap.xml") << "/nomap.xml";
        QTest::newRow("not a web address") << QStringList{"--crawl", "ftp://example.com/"} << 3
                                           << "is not the address of a web page"
                                           << "";
    }
    void failures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(QString, once);

        const qsizetype before = m_server.requests().size();
        const CliOutcome r = runCli(arguments);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
        if (!once.isEmpty())
            QCOMPARE(requestsSince(m_server, before, once), 1);
        if (exitCode == 1)
            QVERIFY(!r.out.isEmpty());
    }

    // Mistakes on the command line: a clear message and the usage status, nothing fetched.
    void badInput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");

        const QString start = url("/");
        QTest::newRow("depth not a number")
            << QStringList{"--crawl", start, "--depth", "deep"} << "--depth takes a whole number";
        QTest::newRow("depth below zero")
            << QStringList{"--crawl", start, "--depth=-1"} << "--depth takes a whole number";
        QTest::newRow("no pages") << QStringList{"--crawl", start, "--max-pages", "0"}
                                  << "--max-pages takes a whole number from 1";
        QTest::newRow("delay too long") << QStringList{"--crawl", start, "--delay", "9999999"}
                                        << "--delay takes a whole number";
        QTest::newRow("empty prefix")
            << QStringList{"--crawl", start, "--under", ""} << "--under takes a path";
        QTest::newRow("crawl without an address") << QStringList{"--crawl"} << "--crawl needs";
        QTest::newRow("empty sitemap address")
            << QStringList{"--sitemap", " "} << "--sitemap needs a web address";
        QTest::newRow("a limit without a crawl")
            << QStringList{start, "--max-pages", "3"} << "--max-pages goes with --crawl";
        QTest::newRow("a crawl into a server")
            << QStringList{"--database", "postgresql://nobody@127.0.0.1:1/words",
                           "--run",      "r",
                           "--crawl",    start}
            << "not into a server";
    }
    void badInput()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);

        const qsizetype before = m_server.requests().size();
        const CliOutcome r = runCli(arguments);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
        QVERIFY(r.out.isEmpty());
        QCOMPARE(m_server.requests().size(), before);
    }
};

TV_TEST_MAIN(TestCliCrawl, QCoreApplication)
#include "test_clicrawl.moc"
