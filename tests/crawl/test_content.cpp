// What a crawl reads out of what it downloads: the addresses of a sitemap file (urlset, index,
// gzip, plain list; damage and limits) and the links of an HTML page.
#include "crawl/pagelinks.h"
#include "crawl/sitemapcontent.h"
#include "fetch/encoding.h"
#include "fetch/renderedtext.h"
#include "support/httpserver.h"

#include <QtTest>

using tv::SitemapContent;
using Kind = SitemapContent::Kind;
Q_DECLARE_METATYPE(Kind)

class TestContent : public QObject {
    Q_OBJECT
private slots:
    void sitemap_data();
    void sitemap();
    void sitemapGzipCutShort();
    void sitemapEntityExpansionIsBounded();
    void links_data();
    void links();
    void linksBounded();
    void linksOfHostilePage();
    void linksOfSloppyPages_data();
    void linksOfSloppyPages();
    void linksFromTheTextsTree_data();
    void linksFromTheTextsTree();
};

namespace {

QByteArray urlset(const QList<QByteArray>& locs,
                  const QByteArray& xmlns = " xmlns=\"http://www.sitemaps.org/schemas/"
                                            "sitemap/0.9\"")
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<urlset" + xmlns + ">\n";
    for (const QByteArray& loc : locs)
        xml += "  <url><loc>" + loc + "</loc><lastmod>2024-01-01</lastmod></url>\n";
    return xml + "</urlset>\n";
}

QByteArray page(const QByteArray& body)
{
    return "<!DOCTYPE html><html><head><title>t</title></head><body>" + body + "</body></html>";
}

} // namespace

void TestContent::sitemap_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("maxEntries");
    QTest::addColumn<qint64>("maxBytes");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<QString>("problem"); // part of the problem; "" for none

    const int entries = 50000;
    const qint64 bytes = 50 * 1024 * 1024;
    const QByteArray two = urlset({"http://h/a", "http://h/b?x=1&amp;y=2"});
    const QStringList twoAddresses{"http://h/a", "http://h/b?x=1&y=2"};

    QTest::newRow("urlset") << two << entries << bytes << Kind::Pages << twoAddresses << "";
    QTest::newRow("urlset without namespace")
        << urlset({"http://h/a", "http://h/b?x=1&amp;y=2"}, "") << entries << bytes << Kind::Pages
        << twoAddresses << "";
    QTest::newRow("gzip") << tv::test::gzipCompress(two) << entries << bytes << Kind::Pages
                          << twoAddresses << "";
    QTest::newRow("gzip twice") << tv::test::gzipCompress(tv::test::gzipCompress(two)) << entries
                                << bytes << Kind::Pages << twoAddresses << "";
    QTest::newRow("index")
        << QByteArray("<sitemapindex xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">"
                      "<sitemap><loc> http://h/s1.xml.gz </loc></sitemap>"
                      "<sitemap><loc>http://h/s2.xml</loc><lastmod>2024</lastmod></sitemap>"
                      "</sitemapindex>")
        << entries << bytes << Kind::Index << QStringList{"http://h/s1.xml.gz", "http://h/s2.xml"}
        << "";
    QTest::newRow("fragments, duplicates, other schemes, relative")
        << urlset({"http://h/a#top", "http://h/a", "ftp://h/f", "javascript:x()", "/rel",
                   "HTTP://H:80/b"})
        << entries << bytes << Kind::Pages
        << QStringList{"http://h/a", "http://h/rel", "http://h/b"} << "";
    QTest::newRow("image extension ignored")
        << QByteArray("<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\" "
                      "xmlns:image=\"http://www.google.com/schemas/sitemap-image/1.1\">"
                      "<url><loc>http://h/p</loc><image:image><image:loc>http://h/i.png"
                      "</image:loc></image:image></url></urlset>")
        << entries << bytes << Kind::Pages << QStringList{"http://h/p"} << "";
    QTest::newRow("plain list")
        << QByteArray("\xEF\xBB\xBFhttp://h/1\r\n\r\nnot an address\nhttps://h/2\n") << entries
        << bytes << Kind::Pages << QStringList{"http://h/1", "https://h/2"} << "";
    QTest::newRow("a web page") << page("<p>hi</p>") << entries << bytes << Kind::NotASitemap
                                << QStringList{} << "not a sitemap";
    QTest::newRow("broken XML keeps what came before")
        << QByteArray("<urlset><url><loc>http://h/1</loc></url><url><loc>http://h/2</url>")
        << entries << bytes << Kind::Pages << QStringList{"http://h/1"} << "not well-formed XML";
    QTest::newRow("entry limit") << urlset({"http://h/1", "http://h/2", "http://h/3"}) << 2 << bytes
                                 << Kind::Pages << QStringList{"http://h/1", "http://h/2"}
                                 << "more than 2 addresses";
    QTest::newRow("byte limit") << urlset({"http://h/1", "http://h/2", "http://h/3"}) << entries
                                << qint64(two.indexOf("</url>") + 6) << Kind::Pages
                                << QStringList{"http://h/a"}.replaceInStrings("a", "1")
                                << "larger than";
    QTest::newRow("damaged gzip") << tv::test::gzipCompress(two).left(10) +
                                         QByteArray(20, char(0xff))
                                  << entries << bytes << Kind::NotASitemap << QStringList{}
                                  << "compressed data is damaged";

    QTest::newRow("empty") << QByteArray() << entries << bytes << Kind::NotASitemap << QStringList{}
                           << "empty";
}

void TestContent::sitemap()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, maxEntries);
    QFETCH(qint64, maxBytes);
    QFETCH(Kind, kind);
    QFETCH(QStringList, addresses);
    QFETCH(QString, problem);
    tv::SitemapLimits limits;
    limits.maxEntries = maxEntries;
    limits.maxBytes = maxBytes;
    const SitemapContent content = tv::readSitemap(bytes, QUrl("http://h/sitemap.xml"), limits);
    QCOMPARE(content.kind, kind);
    QCOMPARE(content.addresses, addresses);
    if (problem.isEmpty())
        QCOMPARE(content.problem, QString());
    else
        QVERIFY2(content.problem.contains(problem), qPrintable(content.problem));
}

void TestContent::sitemapGzipCutShort()
{
    QList<QByteArray> locs;
    QStringList all;
    for (int i = 0; i < 2000; ++i) {
        locs << "http://h/page" + QByteArray::number(i);
        all << QStringLiteral("http://h/page%1").arg(i);
    }
    const QByteArray gz = tv::test::gzipCompress(urlset(locs));
    const SitemapContent content =
        tv::readSitemap(gz.left(gz.size() / 2), QUrl("http://h/sitemap.xml.gz"));
    QCOMPARE(content.kind, Kind::Pages);
    QCOMPARE(content.problem, QStringLiteral("its compressed data is cut short"));
    QVERIFY(content.addresses.size() > 10);
    QVERIFY(content.addresses.size() < all.size());
    QCOMPARE(content.addresses, all.first(content.addresses.size()));
}

void TestContent::sitemapEntityExpansionIsBounded()
{
    // A billion laughs: nested entities that would expand to gigabytes.
    QByteArray xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE urlset [\n<!ENTITY e0 \"lol\">\n";
    for (int i = 1; i < 10; ++i)
        xml += "<!ENTITY e" + QByteArray::number(i) + " \"" +
               QByteArray("&e" + QByteArray::number(i - 1) + ";").repeated(10) + "\">\n";
    xml += "]>\n<urlset><url><loc>http://h/&e9;</loc></url></urlset>\n";
    const SitemapContent content = tv::readSitemap(xml, QUrl("http://h/sitemap.xml"));
    QVERIFY(content.addresses.isEmpty());
    QVERIFY2(!content.problem.isEmpty(), "the expansion must end the reading");
}

void TestContent::links_data()
{
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<QString>("pageUrl");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("nofollowPage");
    QTest::addColumn<int>("nofollowLinks");

    const QString pageUrl = "http://h/dir/page.html";
    QTest::newRow("relative, absolute, fragment")
        << page("<a href=a.html>a</a> <a href='/b/'>b</a> <a href=#top>top</a>"
                "<a href='a.html#sec'>again</a> <a href='//other.example/x'>x</a>"
                "<a href='https://h/s'>s</a> <a>no href</a>")
        << pageUrl
        << QStringList{"http://h/dir/a.html", "http://h/b/", "http://h/dir/page.html",
                       "http://other.example/x", "https://h/s"}
        << false << 0;
    QTest::newRow("base href, even after the links")
        << QByteArray("<html><body><a href=x.html>x</a><base href='/docs/'><base href='/no/'>"
                      "</body></html>")
        << pageUrl << QStringList{"http://h/docs/x.html"} << false << 0;
    QTest::newRow("a base that is no web address")
        << page("<base href='javascript:void(0)'><a href=x.html>x</a>") << pageUrl
        << QStringList{"http://h/dir/x.html"} << false << 0;
    QTest::newRow("rel=nofollow")
        << page("<a href=/1 rel=nofollow>1</a><a href=/2 rel='external NoFollow'>2</a>"
                "<a href=/3 rel=noopener>3</a>")
        << pageUrl << QStringList{"http://h/3"} << false << 2;
    QTest::newRow("meta robots nofollow")
        << QByteArray("<html><head><meta name=ROBOTS content='noindex, NOFOLLOW'></head>"
                      "<body><a href=/1>1</a></body></html>")
        << pageUrl << QStringList{} << true << 0;
    QTest::newRow("meta robots none")
        << QByteArray("<head><meta name=robots content=none></head><a href=/1>1</a>") << pageUrl
        << QStringList{} << true << 0;
    QTest::newRow("meta for this crawler")
        << QByteArray("<head><meta name=tallyvane content=nofollow></head><a href=/1>1</a>")
        << pageUrl << QStringList{} << true << 0;
    QTest::newRow("meta for another crawler")
        << QByteArray("<head><meta name=otherbot content=nofollow></head><a href=/1>1</a>")
        << pageUrl << QStringList{"http://h/1"} << false << 0;
    QTest::newRow("meta noindex only")
        << QByteArray("<head><meta name=robots content=noindex></head><a href=/1>1</a>") << pageUrl
        << QStringList{"http://h/1"} << false << 0;
    QTest::newRow("hidden elements are followed")
        << page("<div hidden><a href=/h1>1</a></div><div style='display:none'><a href=/h2>2</a>"
                "</div><noscript><a href=/h3>3</a></noscript><template><a href=/h4>4</a>"
                "</template><svg><a href=/h5><text>5</text></a></svg>")
        << pageUrl
        << QStringList{"http://h/h1", "http://h/h2", "http://h/h3", "http://h/h4", "http://h/h5"}
        << false << 0;
    QTest::newRow("other schemes")
        << page("<a href='mailto:a@h'>m</a><a href='javascript:go()'>j</a><a href='tel:1'>t</a>"
                "<a href='file:///etc/passwd'>f</a><a href='data:text/html,x'>d</a>"
                "<a href='ftp://h/f'>f</a><a href='http://[bad'>b</a>")
        << pageUrl << QStringList{} << false << 0;
    QTest::newRow("white space in addresses")
        << page("<a href='  /sp ace\n\t.html  '>s</a>") << pageUrl
        << QStringList{"http://h/sp%20ace.html"} << false << 0;
    QTest::newRow("relative to the final address")
        << page("<a href=../up.html>u</a><a href='?q=1'>q</a>") << "http://h/a/b/c?old=1"
        << QStringList{"http://h/a/up.html", "http://h/a/b/c?q=1"} << false << 0;
    QTest::newRow("windows-1252 page")
        << QByteArray("<meta charset=windows-1252><a href='/caf\xE9.html'>c</a>") << pageUrl
        << QStringList{"http://h/caf%C3%A9.html"} << false << 0;
}

void TestContent::links()
{
    QFETCH(QByteArray, html);
    QFETCH(QString, pageUrl);
    QFETCH(QStringList, expected);
    QFETCH(bool, nofollowPage);
    QFETCH(int, nofollowLinks);
    const tv::PageLinks links = tv::pageLinks(html, "text/html", QUrl(pageUrl));
    QCOMPARE(links.addresses, expected);
    QCOMPARE(links.nofollowPage, nofollowPage);
    QCOMPARE(links.nofollowLinks, nofollowLinks);
    QVERIFY(!links.cut);
}

void TestContent::linksBounded()
{
    QByteArray body;
    for (int i = 0; i < 30; ++i)
        body += "<a href=/p" + QByteArray::number(i) + ">x</a><a href=/p0>again</a>";
    const tv::PageLinks links =
        tv::pageLinks(page(body), "text/html", QUrl("http://h/"), "tallyvane", 20);
    QCOMPARE(links.addresses.size(), 20);
    QCOMPARE(links.addresses.last(), QStringLiteral("http://h/p19"));
    QVERIFY(links.cut);
}

void TestContent::linksOfHostilePage()
{
    // Thousands of unclosed nested elements: the parse is kept quick (the test's time bound
    // tells) and the links inside are still found.
    QByteArray body = "<a href=/first>f</a>";
    for (int i = 0; i < 50000; ++i)
        body += "<div><b>";
    body += "<a href=/deep>d</a>";
    const tv::PageLinks links = tv::pageLinks(page(body), "text/html", QUrl("http://h/"));
    QCOMPARE(links.addresses, (QStringList{"http://h/first", "http://h/deep"}));
}

void TestContent::linksOfSloppyPages_data()
{
    QTest::addColumn<QByteArray>("item"); // repeated 100 times, with N for the item's number

    // Browsers close an open <a> at the next one, and keep at most three equal <font> elements
    // open: neither page hides a link.
    QTest::newRow("unclosed links") << QByteArray("<p><a href=/uN>item");
    QTest::newRow("unclosed font") << QByteArray("<font size=2><a href=/uN>item</a>");
    QTest::newRow("unclosed divs") << QByteArray("<div><A HREF='/uN'>item</A>");
}

void TestContent::linksOfSloppyPages()
{
    QFETCH(QByteArray, item);
    QByteArray body;
    QStringList expected;
    for (int i = 0; i < 100; ++i) {
        body += QByteArray(item).replace("N", QByteArray::number(i));
        expected << QStringLiteral("http://h/u%1").arg(i);
    }
    QCOMPARE(tv::pageLinks(page(body), "text/html", QUrl("http://h/")).addresses, expected);
}

void TestContent::linksFromTheTextsTree_data()
{
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<bool>("fromTree"); // whether the text's tree can give the links

    QTest::newRow("ordinary page")
        << page("<nav><a href=/>Home</a> <a href=next.html>Next</a></nav><main><h1>T</h1>"
                "<p>Some <b>words</b> and <a href='/x#s'>a <i>link</i></a>.</p><ul>"
                "<li><a href=/c1>c1</a><li><a href=/c2 rel=nofollow>c2</a></ul></main>")
        << true;
    QTest::newRow("base and meta robots")
        << QByteArray("<head><base href='/docs/'><meta name=robots content=noindex></head>"
                      "<a href=x.html>x</a><a href=/y>y</a>")
        << true;
    QTest::newRow("nofollow page")
        << QByteArray("<head><meta name=tallyvane content=nofollow></head><a href=/1>1</a>")
        << true;
    QTest::newRow("hidden links")
        << page("<div hidden><a href=/h1>1</a></div><template><a href=/h2>2</a></template>"
                "<noscript><a href=/h3>3</a></noscript>")
        << true;
    QTest::newRow("link around blocks")
        << page("<a href=/b><div>block</div><p>para</p></a>") << true;
    QTest::newRow("link closed by the next") << page("<a href=/1>one<a href=/2>two</a>") << true;
    QTest::newRow("link in svg")
        << page("<svg><a href=/s><text>s</text></a></svg><a href=/after>after</a>") << false;
    QTest::newRow("link split by a paragraph")
        << page("<a href=/1 rel=nofollow><p>one</a>two</p><a href=/2>x</a>") << false;
    QTest::newRow("link reopened in a new block")
        << page("<p><a href=/1>one<div>two</div>three</p>") << false;
    // Moved in front of the table, as the rewritten tag is.
    QTest::newRow("link in a table")
        << page("<table><tr><a href=/t>t</a><td><a href=/d>d</a></td></tr></table>") << true;
    QTest::newRow("link in a select")
        << page("<select><a href=/s>s</a></select><a href=/r>r</a>") << false;
    QTest::newRow("link start tag in a script")
        << page("<script>document.write('<a href=/w>')</script><a href=/r>r</a>") << false;
    QTest::newRow("link start tag in a comment and an attribute")
        << page("<!-- <a href=/c> --><p title='<a href=/t>'><a href=/r>r</a>") << false;
    QTest::newRow("marked image in the page")
        << page("<img DATA-tallyvane-LINK href=/m><a href=/r>r</a>") << false;
    QTest::newRow("control characters")
        << page("<a href='/c\x01'>one\x02two</a><a href=/r>r</a>") << false;
    QByteArray unclosed;
    for (int i = 0; i < 100; ++i)
        unclosed += "<li><a href=/u" + QByteArray::number(i) + ">item";
    QTest::newRow("100 unclosed links") << page(unclosed) << false;
    QTest::newRow("deep nesting") << page("<a href=/first>f</a>" +
                                          QByteArray("<div><b>").repeated(700) +
                                          "<a href=/deep>d</a>")
                                  << false;
}

// The links read from the tree the text is read from are those of the page's own parse, or none
// are read there.
void TestContent::linksFromTheTextsTree()
{
    QFETCH(QByteArray, html);
    QFETCH(bool, fromTree);
    const QUrl url("http://h/dir/page.html");
    const QByteArray utf8 = tv::decodeToUtf8(html, "text/html");
    std::optional<tv::PageLinks> read;
    bool visited = false;
    const QString text = tv::renderPage(utf8, url, nullptr,
                                        [&](const GumboInternalOutput& tree, const QByteArray& b) {
                                            visited = true;
                                            read = tv::linksFromTree(tree, b, url);
                                        })
                             .text;
    QCOMPARE(text, tv::renderedText(utf8));
    QCOMPARE(read.has_value(), fromTree);
    if (!fromTree)
        return;
    QVERIFY(visited);
    const tv::PageLinks links = tv::pageLinks(html, "text/html", url);
    QVERIFY(!links.addresses.isEmpty() || links.nofollowPage);
    QCOMPARE(read->addresses, links.addresses);
    QCOMPARE(read->nofollowPage, links.nofollowPage);
    QCOMPARE(read->nofollowLinks, links.nofollowLinks);
    QCOMPARE(read->cut, links.cut);
}

QTEST_GUILESS_MAIN(TestContent)
#include "test_content.moc"
