// The sheet loader over a fetcher that answers from a table: one download per sheet for the
// whole run, @import chains and cycles, the bounds, and sheets that fail; and the text of a page
// read with what the loader gave it.
#include "fetch/renderedtext.h"
#include "style/sheetlinks.h"
#include "style/sheetloader.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QTimer>

using namespace tv::css;

namespace {

// Answers each address from a table, later, as a network would; counts what was asked.
class TableFetcher : public SheetFetcher {
public:
    QHash<QString, SheetDownload> answers;
    QStringList asked;

    void serve(const QString& url, const QByteArray& css, const QString& finalUrl = {})
    {
        SheetDownload d;
        d.finalUrl = QUrl(finalUrl.isEmpty() ? url : finalUrl);
        d.body = css;
        d.contentType = "text/css";
        answers.insert(url, d);
    }

    void fetchSheet(const QUrl& url, qint64 maxBytes,
                    std::function<void(const SheetDownload&)> done) override
    {
        const QString key = url.toString();
        asked << key;
        SheetDownload d = answers.value(key);
        if (!answers.contains(key))
            d.error = QStringLiteral("the server answered 404 Not Found");
        else if (d.body.size() > maxBytes)
            d = SheetDownload{{}, {}, {}, QStringLiteral("it is larger than the cap")};
        QTimer::singleShot(0, [d, done = std::move(done)] { done(d); });
    }
};

const QUrl kPage("http://site.test/page.html");

LoadedSheets load(SheetLoader& loader, const QByteArray& html)
{
    LoadedSheets result;
    bool finished = false;
    loader.load(findSheetLinks(html, kPage), [&](const LoadedSheets& s) {
        result = s;
        finished = true;
    });
    [&] { QTRY_VERIFY_WITH_TIMEOUT(finished, 5000); }();
    return result;
}

QString textOf(const QByteArray& html, const LoadedSheets& sheets)
{
    return tv::renderPage(html, kPage, sheets.sheets.get()).text;
}

} // namespace

class TestSheetLoader : public QObject {
    Q_OBJECT
private slots:
    void linkedSheetHidesAClass();
    void sheetSharedByTwoPagesIsFetchedOnce();
    void importChainAppliesInOrder();
    void importCycleEnds();
    void importsStopAtTheDepthBound();
    void importsResolveAgainstWhereTheSheetCameFrom();
    void failures_data();
    void failures();
    void pageByteBound();
    void sheetsPerPageBound();
    void cancelledLoadNeverAnswers();
    void keptSheetsStayWithinTheirMemory();
    void noteNamesEverySkippedSheet();
};

void TestSheetLoader::linkedSheetHidesAClass()
{
    TableFetcher fetcher;
    fetcher.serve("http://site.test/s.css", ".gone{display:none} .up{text-transform:uppercase}");
    SheetLoader loader(fetcher);
    const QByteArray html = "<link rel=stylesheet href=s.css><p class=gone>a</p><p class=up>b</p>";
    const LoadedSheets sheets = load(loader, html);
    QVERIFY(sheets.skipped.empty());
    QCOMPARE(textOf(html, sheets), QStringLiteral("B"));
    // Without the sheets, the page reads as before.
    QCOMPARE(tv::renderedText(html), QStringLiteral("a\n\nb"));
}

void TestSheetLoader::sheetSharedByTwoPagesIsFetchedOnce()
{
    TableFetcher fetcher;
    fetcher.serve("http://site.test/s.css", ".gone{display:none}");
    SheetLoader loader(fetcher);
    const QByteArray html = "<link rel=stylesheet href=s.css><p class=gone>a</p>b";
    // Both pages ask before the first download is in.
    LoadedSheets first, second;
    int finished = 0;
    loader.load(findSheetLinks(html, kPage), [&](const LoadedSheets& s) { first = s, ++finished; });
    loader.load(findSheetLinks(html, kPage),
                [&](const LoadedSheets& s) { second = s, ++finished; });
    QTRY_COMPARE_WITH_TIMEOUT(finished, 2, 5000);
    const LoadedSheets third = load(loader, html);
    QCOMPARE(fetcher.asked, QStringList{"http://site.test/s.css"});
    QCOMPARE(loader.downloads(), 1);
    QCOMPARE(loader.cacheHits(), 2);
    QCOMPARE(first.downloaded + second.downloaded + third.downloaded, 1);
    for (const LoadedSheets& s : {first, second, third})
        QCOMPARE(textOf(html, s), QStringLiteral("b"));
}

void TestSheetLoader::importChainAppliesInOrder()
{
    TableFetcher fetcher;
    // c.css, imported first, is overruled by the sheets that import it.
    fetcher.serve("http://site.test/a.css", "@import 'b.css'; .x{text-transform:uppercase}");
    fetcher.serve("http://site.test/b.css", "@import url(c.css); .y{display:none}");
    fetcher.serve("http://site.test/c.css", ".x{text-transform:lowercase} .z{display:none}");
    SheetLoader loader(fetcher);
    const QByteArray html = "<link rel=stylesheet href=a.css><p class=x>Ab</p><p class=y>y</p>"
                            "<p class=z>z</p>";
    const LoadedSheets sheets = load(loader, html);
    QCOMPARE(sheets.requested, 3);
    QCOMPARE(textOf(html, sheets), QStringLiteral("AB"));
}

void TestSheetLoader::importCycleEnds()
{
    TableFetcher fetcher;
    fetcher.serve("http://site.test/a.css", "@import 'b.css'; .a{display:none}");
    fetcher.serve("http://site.test/b.css", "@import 'a.css'; .b{display:none}");
    SheetLoader loader(fetcher);
    const QByteArray html = "<link rel=stylesheet href=a.css><p class=a>a</p><p class=b>b</p>c";
    const LoadedSheets sheets = load(loader, html);
    QCOMPARE(fetcher.asked.size(), 2);
    QCOMPARE(textOf(html, sheets), QStringLiteral("c"));
}

void TestSheetLoader::importsStopAtTheDepthBound()
{
    TableFetcher fetcher;
    const int sheets = kMaxImportDepth + 3;
    for (int i = 0; i < sheets; ++i)
        fetcher.serve(QStringLiteral("http://site.test/%1.css").arg(i),
                      "@import '" + QByteArray::number(i + 1) + ".css'; .s" +
                          QByteArray::number(i) + "{display:none}");
    SheetLoader loader(fetcher);
    QByteArray html = "<link rel=stylesheet href=0.css>";
    for (int i = 0; i < sheets; ++i)
        html += "<p class=s" + QByteArray::number(i) + ">" + QByteArray::number(i) + "</p>";
    const LoadedSheets loaded = load(loader, html);
    // The linked sheet and kMaxImportDepth levels of imports below it.
    QCOMPARE(fetcher.asked.size(), kMaxImportDepth + 1);
    QCOMPARE(textOf(html, loaded),
             QStringLiteral("%1\n\n%2").arg(kMaxImportDepth + 1).arg(kMaxImportDepth + 2));
}

void TestSheetLoader::importsResolveAgainstWhereTheSheetCameFrom()
{
    TableFetcher fetcher;
    fetcher.serve("http://site.test/old/a.css", "@import 'b.css';", "http://cdn.test/new/a.css");
    fetcher.serve("http://cdn.test/new/b.css", ".b{display:none}");
    SheetLoader loader(fetcher);
    const QByteArray html = "<link rel=stylesheet href=old/a.css><p class=b>b</p>c";
    const LoadedSheets sheets = load(loader, html);
    QCOMPARE(fetcher.asked.last(), QStringLiteral("http://cdn.test/new/b.css"));
    QCOMPARE(textOf(html, sheets), QStringLiteral("c"));
}

void TestSheetLoader::failures_data()
{
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<bool>("served");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not found") << QByteArray("text/css") << 10 << false << "404 Not Found";
    QTest::newRow("an error page")
        << QByteArray("text/html") << 10 << true << "of type \"text/html\", not a style sheet";
    QTest::newRow("over the size cap")
        << QByteArray("text/css") << int(SheetLimits{}.maxSheetBytes + 1) << true
        << "larger than the cap";
}

void TestSheetLoader::failures()
{
    QFETCH(QByteArray, contentType);
    QFETCH(int, bytes);
    QFETCH(bool, served);
    QFETCH(QString, reason);
    TableFetcher fetcher;
    fetcher.serve("http://site.test/ok.css", ".a{display:none}");
    if (served) {
        fetcher.serve("http://site.test/bad.css", ".b{display:none}" + QByteArray(bytes, ' '));
        fetcher.answers["http://site.test/bad.css"].contentType = contentType;
    }
    SheetLoader loader(fetcher);
    const QByteArray html = "<link rel=stylesheet href=bad.css><link rel=stylesheet href=ok.css>"
                            "<p class=a>a</p><p class=b>b</p>";
    const LoadedSheets sheets = load(loader, html);
    QCOMPARE(sheets.skipped.size(), std::size_t(1));
    QCOMPARE(sheets.skipped[0].url, QStringLiteral("http://site.test/bad.css"));
    QVERIFY2(sheets.skipped[0].reason.contains(reason), qPrintable(sheets.skipped[0].reason));
    // The page is read with the sheets that came.
    QCOMPARE(textOf(html, sheets), QStringLiteral("b"));
    // A failed sheet is not asked for again in the same run.
    load(loader, html);
    QCOMPARE(fetcher.asked.count("http://site.test/bad.css"), 1);
}

void TestSheetLoader::pageByteBound()
{
    TableFetcher fetcher;
    fetcher.serve("http://site.test/a.css", ".a{display:none}" + QByteArray(600, ' '));
    fetcher.serve("http://site.test/b.css", ".b{display:none}" + QByteArray(600, ' '));
    SheetLimits limits;
    limits.maxPageBytes = 1000;
    SheetLoader loader(fetcher, limits);
    const QByteArray html = "<link rel=stylesheet href=a.css><link rel=stylesheet href=b.css>"
                            "<p class=a>a</p><p class=b>b</p>";
    const LoadedSheets sheets = load(loader, html);
    QCOMPARE(sheets.skipped.size(), std::size_t(1));
    QCOMPARE(sheets.skipped[0].url, QStringLiteral("http://site.test/b.css"));
    QCOMPARE(sheets.skipped[0].reason,
             QStringLiteral("the page's style sheets would come to more than 0.000954 MiB"));
    QCOMPARE(textOf(html, sheets), QStringLiteral("b"));
}

void TestSheetLoader::sheetsPerPageBound()
{
    TableFetcher fetcher;
    QByteArray html;
    for (int i = 0; i < 5; ++i) {
        fetcher.serve(QStringLiteral("http://site.test/%1.css").arg(i), ".x{display:none}");
        html += "<link rel=stylesheet href=" + QByteArray::number(i) + ".css>";
    }
    SheetLimits limits;
    limits.maxSheetsPerPage = 3;
    SheetLoader loader(fetcher, limits);
    const LoadedSheets sheets = load(loader, html);
    QCOMPARE(fetcher.asked.size(), 3);
    QCOMPARE(skippedSheetsNote("http://site.test/", sheets.skipped),
             QStringLiteral("http://site.test/ was counted without its style sheet "
                            "http://site.test/3.css (the page asks for more than 3 style sheets; "
                            "those after the first 3 were left out)"));
}

void TestSheetLoader::cancelledLoadNeverAnswers()
{
    TableFetcher fetcher;
    fetcher.serve("http://site.test/s.css", ".x{display:none}");
    SheetLoader loader(fetcher);
    bool answered = false;
    const SheetLoader::Ticket ticket = loader.load({QUrl("http://site.test/s.css")},
                                                   [&](const LoadedSheets&) { answered = true; });
    loader.cancel(ticket);
    // A later load of the same sheet is answered, so the download did end.
    load(loader, "<link rel=stylesheet href=s.css>");
    QVERIFY(!answered);
}

void TestSheetLoader::keptSheetsStayWithinTheirMemory()
{
    TableFetcher fetcher;
    fetcher.serve("http://site.test/a.css", ".a{display:none}");
    fetcher.serve("http://site.test/b.css", ".b{display:none}");
    SheetLimits limits;
    limits.maxKeptBytes = 1; // every sheet is more than that: none is kept past its page
    SheetLoader loader(fetcher, limits);
    load(loader, "<link rel=stylesheet href=a.css>");
    load(loader, "<link rel=stylesheet href=b.css>");
    load(loader, "<link rel=stylesheet href=a.css>");
    QCOMPARE(fetcher.asked.count("http://site.test/a.css"), 2);
}

void TestSheetLoader::noteNamesEverySkippedSheet()
{
    QCOMPARE(skippedSheetsNote("http://p.test/", {}), QString());
    QCOMPARE(
        skippedSheetsNote("http://p.test/", {{"http://p.test/a.css", "the server answered 404"},
                                             {"http://p.test/b.css", "it is larger than 2 MiB"}}),
        QStringLiteral("http://p.test/ was counted without 2 of its style sheets: "
                       "http://p.test/a.css (the server answered 404), http://p.test/b.css "
                       "(it is larger than 2 MiB)"));
}

TV_TEST_MAIN(TestSheetLoader, QCoreApplication)
#include "test_sheetloader.moc"
