// The rules a crawl decides by: one spelling per page address, the site and path prefix, and
// robots.txt groups, patterns and the longest-match rule.
#include "crawl/robotsrules.h"
#include "crawl/siteaddress.h"

#include <QtTest>

using tv::RobotsRules;

class TestRules : public QObject {
    Q_OBJECT
private slots:
    void normalised_data();
    void normalised();
    void startUrl_data();
    void startUrl();
    void sameSite();
    void under_data();
    void under();
    void typedPrefix_data();
    void typedPrefix();
    void robots_data();
    void robots();
    void robotsDelayAndSitemaps();
    void robotsBoundedInSize();
    void robotsPatternWorkStaysSmall();
};

void TestRules::normalised_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("expected"); // "" when the address is not followed

    QTest::newRow("case of scheme and host") << "HTTP://Example.COM/Path"
                                             << "http://example.com/Path";
    QTest::newRow("default port") << "http://example.com:80/a"
                                  << "http://example.com/a";
    QTest::newRow("default https port") << "https://example.com:443/"
                                        << "https://example.com/";
    QTest::newRow("other port kept") << "http://example.com:8080/"
                                     << "http://example.com:8080/";
    QTest::newRow("https port on http kept") << "http://example.com:443/"
                                             << "http://example.com:443/";
    QTest::newRow("fragment dropped") << "http://example.com/a.html#part"
                                      << "http://example.com/a.html";
    QTest::newRow("empty path") << "http://example.com"
                                << "http://example.com/";
    QTest::newRow("dot segments") << "http://example.com/a/./b/../c"
                                  << "http://example.com/a/c";
    QTest::newRow("dot segments at the end") << "http://example.com/a/b/.."
                                             << "http://example.com/a/";
    QTest::newRow("above the root") << "http://example.com/../../x"
                                    << "http://example.com/x";
    QTest::newRow("double slash kept") << "http://example.com/a//b"
                                       << "http://example.com/a//b";
    QTest::newRow("dots inside names") << "http://example.com/.well-known/a..b"
                                       << "http://example.com/.well-known/a..b";
    QTest::newRow("index.html kept") << "http://example.com/dir/index.html"
                                     << "http://example.com/dir/index.html";
    QTest::newRow("trailing slash kept") << "http://example.com/dir/"
                                         << "http://example.com/dir/";
    QTest::newRow("query kept in its order") << "http://example.com/a?b=2&a=1#x"
                                             << "http://example.com/a?b=2&a=1";
    QTest::newRow("space escaped") << "http://example.com/a b"
                                   << "http://example.com/a%20b";
    QTest::newRow("mailto") << "mailto:someone@example.com"
                            << "";
    QTest::newRow("javascript") << "javascript:alert(1)"
                                << "";
    QTest::newRow("file") << "file:///etc/passwd"
                          << "";
    QTest::newRow("ftp") << "ftp://example.com/"
                         << "";
    QTest::newRow("too long") << "http://example.com/" + QString(tv::kMaxAddressLength, u'a') << "";
}

void TestRules::normalised()
{
    QFETCH(QString, url);
    QFETCH(QString, expected);
    QCOMPARE(tv::normalisedAddress(QUrl(url)), expected);
}

void TestRules::startUrl_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected"); // "" for no web page

    QTest::newRow("bare host") << "example.com"
                               << "http://example.com";
    QTest::newRow("blanks and a path") << "  example.com/docs/ "
                                       << "http://example.com/docs/";
    QTest::newRow("host and port") << "127.0.0.1:8080/x"
                                   << "http://127.0.0.1:8080/x";
    QTest::newRow("name and port") << "localhost:8080"
                                   << "http://localhost:8080";
    QTest::newRow("https kept") << "https://example.org/a"
                                << "https://example.org/a";
    QTest::newRow("mailto") << "mailto:me@example.com"
                            << "";
    QTest::newRow("file") << "file:///etc/passwd"
                          << "";
    QTest::newRow("empty") << "   "
                           << "";
}

void TestRules::startUrl()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    const QUrl url = tv::crawlStartUrl(typed);
    QCOMPARE(url.isValid() ? url.toString() : QString(), expected);
}

void TestRules::sameSite()
{
    const QString site = tv::siteOf(QUrl("http://Example.com/a"));
    QCOMPARE(site, QStringLiteral("http://example.com:80"));
    QCOMPARE(tv::siteOf(QUrl("http://example.com:80/b?c")), site);
    QVERIFY(tv::siteOf(QUrl("https://example.com/a")) != site);
    QVERIFY(tv::siteOf(QUrl("http://example.com:8080/a")) != site);
    QVERIFY(tv::siteOf(QUrl("http://www.example.com/a")) != site);
    QCOMPARE(tv::robotsAddress(QUrl("https://example.com:8443/a/b?c#d")).toString(),
             QStringLiteral("https://example.com:8443/robots.txt"));
}

void TestRules::under_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("expected");

    QTest::newRow("no prefix") << "/anything"
                               << "" << true;
    QTest::newRow("the prefix itself") << "/docs"
                                       << "/docs" << true;
    QTest::newRow("its folder") << "/docs/"
                                << "/docs" << true;
    QTest::newRow("inside") << "/docs/a/b.html"
                            << "/docs" << true;
    QTest::newRow("a longer name") << "/docsearch"
                                   << "/docs" << false;
    QTest::newRow("above") << "/"
                           << "/docs" << false;
    QTest::newRow("folder prefix, inside") << "/docs/a"
                                           << "/docs/" << true;
    QTest::newRow("folder prefix, the bare name") << "/docs"
                                                  << "/docs/" << false;
}

void TestRules::under()
{
    QFETCH(QString, path);
    QFETCH(QString, prefix);
    QFETCH(bool, expected);
    QCOMPARE(tv::isUnder(path, prefix), expected);
}

void TestRules::typedPrefix_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected"); // "" when it names no path

    QTest::newRow("a path") << "/docs/"
                            << "/docs/";
    QTest::newRow("without its first slash") << " docs/a "
                                             << "/docs/a";
    QTest::newRow("an address on the site") << "https://example.com/docs/x%20y"
                                            << "/docs/x%20y";
    QTest::newRow("an address without a path") << "https://example.com"
                                               << "";
    QTest::newRow("not an address") << "http://"
                                    << "";
    QTest::newRow("blank") << "  "
                           << "";
}

void TestRules::typedPrefix()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QCOMPARE(tv::typedPathPrefix(typed), expected);
}

void TestRules::robots_data()
{
    QTest::addColumn<QByteArray>("robots");
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("allowed");

    const QByteArray longest = "User-agent: *\nDisallow: /a\nAllow: /a/b\n";
    QTest::newRow("longest match allows") << longest << "http://h/a/b/c" << true;
    QTest::newRow("longest match disallows") << longest << "http://h/a/c" << false;
    QTest::newRow("unmatched path") << longest << "http://h/z" << true;
    QTest::newRow("a tie goes to allow")
        << QByteArray("User-agent: *\nDisallow: /x\nAllow: /x\n") << "http://h/x/y" << true;
    const QByteArray pdf = "User-agent: *\nDisallow: /*.pdf$\n";
    QTest::newRow("$ anchors the end") << pdf << "http://h/files/a.pdf" << false;
    QTest::newRow("$ with a query after") << pdf << "http://h/a.pdf?x=1" << true;
    QTest::newRow("$ with more after") << pdf << "http://h/a.pdfx" << true;
    const QByteArray star = "User-agent: *\nDisallow: /*/private\n";
    QTest::newRow("* inside a pattern") << star << "http://h/a/b/private/x" << false;
    QTest::newRow("* needs its slashes") << star << "http://h/private" << true;
    QTest::newRow("query matched")
        << QByteArray("User-agent: *\nDisallow: /*?sort=\n") << "http://h/list?sort=a" << false;
    QTest::newRow("own group before *")
        << QByteArray("User-agent: *\nDisallow: /\n\nUser-agent: Tallyvane\nDisallow: /secret\n")
        << "http://h/page" << true;
    QTest::newRow("own group rules")
        << QByteArray("User-agent: *\nDisallow: /\n\nUser-agent: Tallyvane\nDisallow: /secret\n")
        << "http://h/secret/x" << false;
    QTest::newRow("own name with a version")
        << QByteArray("User-agent: tallyvane/1.0\nDisallow: /v\n") << "http://h/v" << false;
    QTest::newRow("a longer name is another crawler")
        << QByteArray("User-agent: tallyvanebot\nDisallow: /\n") << "http://h/v" << true;
    QTest::newRow("another crawler only")
        << QByteArray("User-agent: otherbot\nDisallow: /\n") << "http://h/page" << true;
    QTest::newRow("several agents open one group")
        << QByteArray("User-agent: a\nUser-agent: TALLYVANE\nDisallow: /b\n") << "http://h/b"
        << false;
    QTest::newRow("own groups combined")
        << QByteArray("User-agent: tallyvane\nDisallow: /one\n\nUser-agent: x\nDisallow: /\n\n"
                      "User-agent: tallyvane\nDisallow: /two\n")
        << "http://h/two" << false;
    QTest::newRow("a rule ends the agent list")
        << QByteArray("User-agent: tallyvane\nDisallow: /one\nUser-agent: x\nDisallow: /two\n")
        << "http://h/two" << true;
    QTest::newRow("empty disallow forbids nothing")
        << QByteArray("User-agent: *\nDisallow:\n") << "http://h/a" << true;
    QTest::newRow("keys in any case, comments, CR LF")
        << QByteArray("USER-AGENT: * # all\r\nDISALLOW: /x # not x\r\n") << "http://h/x" << false;
    QTest::newRow("rules before any agent are ignored")
        << QByteArray("Disallow: /\nUser-agent: *\nDisallow: /y\n") << "http://h/x" << true;
    QTest::newRow("escaped unreserved characters")
        << QByteArray("User-agent: *\nDisallow: /%7Euser\n") << "http://h/~user/a" << false;
    QTest::newRow("non-ASCII pattern") << QByteArray("User-agent: *\nDisallow: /caf\xC3\xA9\n")
                                       << QString::fromUtf8("http://h/café") << false;
    QTest::newRow("robots.txt itself")
        << QByteArray("User-agent: *\nDisallow: /\n") << "http://h/robots.txt" << true;
    QTest::newRow("byte-order mark")
        << QByteArray("\xEF\xBB\xBFUser-agent: *\nDisallow: /\n") << "http://h/a" << false;
}

void TestRules::robots()
{
    QFETCH(QByteArray, robots);
    QFETCH(QString, url);
    QFETCH(bool, allowed);
    QCOMPARE(RobotsRules::parse(robots, "tallyvane").allows(QUrl(url)), allowed);
}

void TestRules::robotsDelayAndSitemaps()
{
    const QByteArray text = "Sitemap: http://h/one.xml\n"
                            "User-agent: *\nCrawl-delay: 9\n\n"
                            "User-agent: tallyvane\nCrawl-delay: 0.5\nCrawl-delay: 2\n"
                            "Sitemap: http://h/two.xml.gz\nSitemap: http://h/one.xml\n"
                            "Sitemap: relative.xml\n";
    const RobotsRules own = RobotsRules::parse(text, "tallyvane");
    QCOMPARE(own.crawlDelay().value_or(-1), 2.0);
    QCOMPARE(own.sitemaps(), (QStringList{"http://h/one.xml", "http://h/two.xml.gz"}));
    QCOMPARE(RobotsRules::parse(text, "other").crawlDelay().value_or(-1), 9.0);
    QVERIFY(!RobotsRules::parse("User-agent: *\nDisallow: /x\n", "tallyvane").crawlDelay());

    QVERIFY(RobotsRules::allowEverything().allows(QUrl("http://h/a")));
    QVERIFY(!RobotsRules::disallowEverything().allows(QUrl("http://h/a")));
}

void TestRules::robotsBoundedInSize()
{
    // Rules past the first 500 KiB are not read.
    QByteArray text = "User-agent: *\nDisallow: /early\n";
    while (text.size() < tv::kMaxRobotsBytes)
        text += "# filler filler filler filler filler filler filler filler filler filler\n";
    text += "Disallow: /late\n";
    const RobotsRules rules = RobotsRules::parse(text, "tallyvane");
    QVERIFY(!rules.allows(QUrl("http://h/early")));
    QVERIFY(rules.allows(QUrl("http://h/late")));
}

void TestRules::robotsPatternWorkStaysSmall()
{
    // Patterns full of "*" against a long path: a matcher that tries every split would take
    // ages (the test's time bound catches it); backtracking to the last "*" only stays small.
    QByteArray text = "User-agent: *\n";
    for (int i = 0; i < 100; ++i)
        text += "Disallow: /" + QByteArray(50, '*').replace("**", "*a") + "b$\n";
    const RobotsRules rules = RobotsRules::parse(text, "tallyvane");
    QVERIFY(rules.allows(QUrl("http://h/" + QString(4000, u'a'))));
    QVERIFY(!rules.allows(QUrl("http://h/" + QString(4000, u'a') + "b")));
}

QTEST_GUILESS_MAIN(TestRules)
#include "test_rules.moc"
