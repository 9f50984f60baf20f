// Reading a site's sitemaps from a server inside the test: found through robots.txt or
// /sitemap.xml, index files naming gzip sitemaps, each file read once, and the limits.
#include "crawl/downloadfetcher.h"
#include "crawl/sitemapreader.h"
#include "support/httpserver.h"

#include <QSignalSpy>
#include <QtTest>

using tv::SitemapOptions;
using tv::SitemapReader;
using tv::test::HttpFixture;
using tv::test::HttpServer;
using Fixtures = QList<QPair<QString, HttpFixture>>;
Q_DECLARE_METATYPE(SitemapOptions)

class TestSitemapReader : public QObject {
    Q_OBJECT
private slots:
    void indexNamingGzipSitemaps();
    void found_data();
    void found();
    void limits_data();
    void limits();
    void stop();
};

namespace {

constexpr int kReadMs = 20000;

// A urlset of the given paths, addresses on the server written as "SERVER/path".
HttpFixture urlset(const QStringList& paths)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
    for (const QString& path : paths)
        xml += "<url><loc>SERVER" + path.toUtf8() + "</loc></url>\n";
    return HttpFixture::page(xml + "</urlset>\n", "application/xml");
}

HttpFixture sitemapIndex(const QStringList& paths)
{
    QByteArray xml = "<sitemapindex xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
    for (const QString& path : paths)
        xml += "<sitemap><loc>SERVER" + path.toUtf8() + "</loc></sitemap>\n";
    return HttpFixture::page(xml + "</sitemapindex>\n", "application/xml");
}

void serveAll(HttpServer& server, Fixtures fixtures)
{
    const QByteArray base = server.url("").toUtf8();
    for (auto& [path, fixture] : fixtures) {
        fixture.body.replace("SERVER", base);
        server.serve(path, fixture);
    }
}

QStringList paths(const QStringList& addresses, const HttpServer& server)
{
    QStringList out;
    for (const QString& address : addresses)
        out << (address.startsWith(server.url("")) ? address.mid(server.url("").size()) : address);
    return out;
}

bool readToEnd(SitemapReader& reader, const QString& address)
{
    QSignalSpy finished(&reader, &SitemapReader::finished);
    reader.start(address);
    return finished.count() == 1 || finished.wait(kReadMs);
}

} // namespace

void TestSitemapReader::indexNamingGzipSitemaps()
{
    HttpServer server;
    HttpFixture gz = urlset({"/p1", "/p2", "/p3#part"});
    gz.body.replace("SERVER", server.url("").toUtf8());
    gz = HttpFixture::page(tv::test::gzipCompress(gz.body), "application/x-gzip");
    serveAll(server,
             {{"/robots.txt", HttpFixture::page("User-agent: *\nDisallow: /private\n"
                                                "Sitemap: SERVER/sitemap_index.xml\n"
                                                "Sitemap: SERVER/sitemap_index.xml\n",
                                                "text/plain")},
              {"/sitemap_index.xml", sitemapIndex({"/maps/pages.xml.gz", "/maps/more.xml",
                                                   "/sitemap_index.xml", "/maps/pages.xml.gz"})},
              {"/maps/pages.xml.gz", gz},
              {"/maps/more.xml", urlset({"/p2", "/p4", "/private/p5"})}});
    tv::DownloadFetcher fetcher;
    SitemapReader reader(fetcher);
    QSignalSpy progress(&reader, &SitemapReader::progress);
    QVERIFY(readToEnd(reader, server.siteAddress("")));

    QCOMPARE(paths(reader.addresses(), server),
             (QStringList{"/p1", "/p2", "/p3", "/p4", "/private/p5"}));
    QCOMPARE(reader.notices(), QStringList());
    QCOMPARE(reader.sitemapsRead(), 3);
    for (const char* path :
         {"/robots.txt", "/sitemap_index.xml", "/maps/pages.xml.gz", "/maps/more.xml"})
        QVERIFY2(server.requestCount(path) == 1, path);
    QCOMPARE(server.requests().size(), 4);
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().at(0).toInt(), 5);
}

void TestSitemapReader::found_data()
{
    QTest::addColumn<Fixtures>("fixtures");
    QTest::addColumn<QString>("address"); // on the server
    QTest::addColumn<QStringList>("pages");
    QTest::addColumn<QString>("notice"); // "" for none
    QTest::addColumn<bool>("robotsAsked");

    HttpFixture encoded = urlset({"/e1", "/e2"});
    encoded.encoding = HttpFixture::Encoding::Gzip;
    QTest::newRow("robots.txt names none: /sitemap.xml")
        << Fixtures{{"/robots.txt", HttpFixture::page("User-agent: *\nDisallow:\n", "text/plain")},
                    {"/sitemap.xml", urlset({"/a", "/b"})}}
        << "/" << QStringList{"/a", "/b"} << "" << true;
    QTest::newRow("no robots.txt: /sitemap.xml")
        << Fixtures{{"/sitemap.xml", urlset({"/a"})}} << "" << QStringList{"/a"} << "" << true;
    QTest::newRow("nothing found")
        << Fixtures{} << "/" << QStringList{}
        << "No sitemap was found: robots.txt names none, and SERVER/sitemap.xml could not be read "
           "(Could not load SERVER/sitemap.xml: the server answered 404 Not Found)."
        << true;
    QTest::newRow("a sitemap's own address")
        << Fixtures{{"/maps/site.xml", urlset({"/x", "/y"})}} << "/maps/site.xml"
        << QStringList{"/x", "/y"} << "" << false;
    QTest::newRow("sent with a gzip content encoding")
        << Fixtures{{"/s.xml", encoded}} << "/s.xml" << QStringList{"/e1", "/e2"} << "" << false;
    QTest::newRow("a web page instead")
        << Fixtures{{"/s.xml", HttpFixture::html("<html><body><p>Not here</p></body></html>")}}
        << "/s.xml" << QStringList{}
        << "SERVER/s.xml was not read as a sitemap: it is not a sitemap (its first element is "
           "<html>)"
        << false;
    QTest::newRow("one sitemap of two missing")
        << Fixtures{{"/i.xml", sitemapIndex({"/gone.xml", "/s.xml"})}, {"/s.xml", urlset({"/a"})}}
        << "/i.xml" << QStringList{"/a"}
        << "Could not load SERVER/gone.xml: the server answered 404 Not Found" << false;
}

void TestSitemapReader::found()
{
    QFETCH(Fixtures, fixtures);
    QFETCH(QString, address);
    QFETCH(QStringList, pages);
    QFETCH(QString, notice);
    QFETCH(bool, robotsAsked);

    HttpServer server;
    serveAll(server, fixtures);
    tv::DownloadFetcher fetcher;
    SitemapReader reader(fetcher);
    QVERIFY(readToEnd(reader, server.url(address)));
    QCOMPARE(paths(reader.addresses(), server), pages);
    notice.replace("SERVER", server.url(""));
    QCOMPARE(reader.notices(), notice.isEmpty() ? QStringList() : QStringList{notice});
    QCOMPARE(server.requestCount("/robots.txt"), robotsAsked ? 1 : 0);
}

void TestSitemapReader::limits_data()
{
    QTest::addColumn<SitemapOptions>("options");
    QTest::addColumn<Fixtures>("fixtures");
    QTest::addColumn<QStringList>("pages");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("notAsked");

    SitemapOptions deep;
    deep.maxDepth = 2;
    QTest::newRow("index files nested too deep")
        << deep
        << Fixtures{{"/i0.xml", sitemapIndex({"/i1.xml", "/s0.xml"})},
                    {"/i1.xml", sitemapIndex({"/i2.xml"})},
                    {"/i2.xml", sitemapIndex({"/i3.xml"})},
                    {"/i3.xml", urlset({"/deep"})},
                    {"/s0.xml", urlset({"/shallow"})}}
        << QStringList{"/shallow"}
        << "Sitemap index files nested more than 2 deep were not followed (SERVER/i2.xml)."
        << "/i3.xml";
    SitemapOptions few;
    few.maxAddresses = 3;
    QTest::newRow("addresses")
        << few
        << Fixtures{{"/i0.xml", sitemapIndex({"/s1.xml", "/s2.xml"})},
                    {"/s1.xml", urlset({"/1", "/2"})},
                    {"/s2.xml", urlset({"/2", "/3", "/4"})}}
        << QStringList{"/1", "/2", "/3"}
        << "The sitemaps list more than 3 pages; only the first 3 were taken."
        << "";
    SitemapOptions files;
    files.maxSitemaps = 3;
    QTest::newRow("files") << files
                           << Fixtures{{"/i0.xml",
                                        sitemapIndex({"/s1.xml", "/s2.xml", "/s3.xml", "/s4.xml"})},
                                       {"/s1.xml", urlset({"/1"})},
                                       {"/s2.xml", urlset({"/2"})},
                                       {"/s3.xml", urlset({"/3"})},
                                       {"/s4.xml", urlset({"/4"})}}
                           << QStringList{"/1", "/2"}
                           << "Only the first 3 sitemaps were read; 2 more were not."
                           << "/s3.xml";
}

void TestSitemapReader::limits()
{
    QFETCH(SitemapOptions, options);
    QFETCH(Fixtures, fixtures);
    QFETCH(QStringList, pages);
    QFETCH(QString, notice);
    QFETCH(QString, notAsked);

    HttpServer server;
    serveAll(server, fixtures);
    tv::DownloadFetcher fetcher;
    SitemapReader reader(fetcher, options);
    QVERIFY(readToEnd(reader, server.url("/i0.xml")));
    QCOMPARE(paths(reader.addresses(), server), pages);
    QCOMPARE(reader.notices(), QStringList{notice.replace("SERVER", server.url(""))});
    if (!notAsked.isEmpty())
        QCOMPARE(server.requestCount(notAsked), 0);
}

void TestSitemapReader::stop()
{
    HttpServer server;
    HttpFixture slow = urlset({"/a"});
    slow.delay = std::chrono::milliseconds(5000);
    server.serve("/slow.xml", slow);
    tv::DownloadFetcher fetcher;
    SitemapReader reader(fetcher);
    QSignalSpy finished(&reader, &SitemapReader::finished);
    reader.start(server.url("/slow.xml"));
    QTRY_COMPARE_WITH_TIMEOUT(server.requestCount("/slow.xml"), 1, kReadMs);
    reader.stop();
    QCOMPARE(finished.count(), 1);
    QVERIFY(!reader.isRunning());
    QCOMPARE(fetcher.active(), 0);
    QVERIFY(reader.addresses().isEmpty());
    QCOMPARE(reader.notices(), QStringList{"Reading the sitemaps was stopped before its end."});
}

QTEST_GUILESS_MAIN(TestSitemapReader)
#include "test_sitemapreader.moc"
