// Linked style sheets against the browser. Over corpus-css (real pages with the sheets they link,
// read from its folder through the sheet loader as if fetched): how far each page's words are
// from Chromium's, with and without the sheets; how many sheets a page asks for and how many the
// run's cache answers. Speed: pages to text with their sheets (already loaded), without them, and
// gumbo's bare parse, in the same run, over corpus-css and over the page corpus with one site's
// sheets linked from every page. Options: --dump FOLDER writes each corpus-css page's text there.
#include "fetch/renderedtext.h"
#include "style/pagestyle.h"
#include "style/sheetlinks.h"
#include "style/sheetloader.h"
#include "support/benchsupport.h"
#include "support/plainwords.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <gumbo.h>

using namespace tv::bench;

namespace {

constexpr int kRounds = 10;
constexpr qint64 kBudgetMs = 300;
const QString kHost = QStringLiteral("http://corpus.test");

// Sheets served from a folder, as a server of that folder would.
class FolderFetcher : public tv::css::SheetFetcher {
public:
    explicit FolderFetcher(QString root) : m_root(std::move(root)) {}
    void fetchSheet(const QUrl& url, qint64 maxBytes,
                    std::function<void(const tv::css::SheetDownload&)> done) override
    {
        tv::css::SheetDownload d;
        d.finalUrl = url;
        d.contentType = "text/css";
        QFile file(m_root + url.path());
        if (!file.open(QIODevice::ReadOnly))
            d.error = QStringLiteral("the server answered 404 Not Found");
        else if ((d.body = file.read(maxBytes + 1)).size() > maxBytes)
            d.error = QStringLiteral("it is larger than the cap");
        QTimer::singleShot(0, [d, done = std::move(done)] { done(d); });
    }

private:
    QString m_root;
};

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QHash<QString, qint64> referenceCounts(const QString& path)
{
    QHash<QString, qint64> counts;
    for (const QByteArray& line : readFile(path).split('\n')) {
        const qsizetype tab = line.lastIndexOf('\t');
        if (tab > 0)
            counts[QString::fromUtf8(line.left(tab))] += line.mid(tab + 1).toLongLong();
    }
    return counts;
}

tv::css::LoadedSheets loadSheets(tv::css::SheetLoader& loader, const QList<QUrl>& links)
{
    tv::css::LoadedSheets result;
    QEventLoop loop;
    loader.load(links, [&](const tv::css::LoadedSheets& s) {
        result = s;
        loop.quit();
    });
    loop.exec();
    return result;
}

struct Page {
    QString name; // reference name: path with '/' as '_'
    QUrl url;
    QByteArray html;
    tv::css::LoadedSheets sheets;
};

// Seconds per run of renderPage over all pages, and of gumbo's parse, each the least of a few.
struct Speeds {
    double withSheets = 0;
    double without = 0;
    double parse = 0;
    qint64 bytes = 0;
};

Speeds measure(const std::vector<Page>& pages)
{
    Speeds s;
    for (const Page& p : pages) {
        s.bytes += p.html.size();
        s.withSheets += bestSeconds(
            kRounds, [&] { tv::renderPage(p.html, p.url, p.sheets.sheets.get()); }, {}, kBudgetMs);
        s.without += bestSeconds(
            kRounds, [&] { tv::renderPage(p.html, p.url); }, {}, kBudgetMs);
        s.parse += bestSeconds(
            kRounds,
            [&] {
                GumboOutput* out = gumbo_parse_with_options(
                    &kGumboDefaultOptions, p.html.constData(), std::size_t(p.html.size()));
                gumbo_destroy_output(&kGumboDefaultOptions, out);
            },
            {}, kBudgetMs);
    }
    return s;
}

void report(const QString& prefix, const Speeds& s)
{
    const double mb = double(s.bytes) / 1e6;
    figure(prefix + QStringLiteral("_text_speed_with_sheets"), mb / s.withSheets, "MB/s");
    figure(prefix + QStringLiteral("_text_speed_without_sheets"), mb / s.without, "MB/s");
    figure(prefix + QStringLiteral("_gumbo_parse_speed"), mb / s.parse, "MB/s");
}

// The page with link elements put at the start of its head (so that its doctype stays first).
QByteArray withLinks(QByteArray html, const QByteArray& links)
{
    const qsizetype head = html.toLower().indexOf("<head");
    const qsizetype end = head < 0 ? -1 : html.indexOf('>', head);
    return end < 0 ? links + html : html.insert(end + 1, links);
}

// The most matching work a page took, against the fixed budget.
std::int64_t styleWork(const Page& p)
{
    GumboOutput* out = gumbo_parse_with_options(&kGumboDefaultOptions, p.html.constData(),
                                                std::size_t(p.html.size()));
    const tv::css::PageStyle style(*out, p.url, p.sheets.sheets.get());
    gumbo_destroy_output(&kGumboDefaultOptions, out);
    return style.work();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype dumpAt = args.indexOf(QStringLiteral("--dump"));
    const QString dumpFolder =
        dumpAt > 0 && dumpAt + 1 < args.size() ? args[dumpAt + 1] : QString();
    QString cssCorpus = qEnvironmentVariable("TV_CORPUS_CSS");
    if (cssCorpus.isEmpty())
        cssCorpus = corpusFolder() + QStringLiteral("/../corpus-css");
    const QString site = cssCorpus + QStringLiteral("/site");
    if (!QDir(site).exists()) {
        out() << "style skipped (no " << site << ")" << Qt::endl;
        return 0;
    }

    FolderFetcher fetcher(site);
    tv::css::SheetLoader loader(fetcher);
    std::vector<Page> pages;
    const QList<QByteArray> manifest =
        readFile(cssCorpus + QStringLiteral("/manifest.tsv")).split('\n');
    for (qsizetype i = 1; i < manifest.size(); ++i) {
        const QByteArray path = manifest[i].split('\t').value(0);
        if (path.isEmpty())
            continue;
        Page p;
        p.name = QString::fromUtf8(path).replace(u'/', u'_');
        p.url = QUrl(kHost + u'/' + QString::fromUtf8(path));
        p.html = readFile(site + u'/' + QString::fromUtf8(path));
        p.sheets = loadSheets(loader, tv::css::findSheetLinks(p.html, p.url));
        pages.push_back(std::move(p));
    }

    std::vector<double> diffs, without, perPage;
    std::int64_t mostWork = 0;
    int over = 0;
    for (const Page& p : pages) {
        const auto reference = referenceCounts(cssCorpus + QStringLiteral("/reference/") + p.name +
                                               QStringLiteral(".counts.tsv"));
        const tv::RenderedPage rendered = tv::renderPage(p.html, p.url, p.sheets.sheets.get());
        const double d =
            100 * wordDifference(plainWordCounts<QHash<QString, qint64>>(rendered.text), reference);
        const double bare =
            100 * wordDifference(plainWordCounts<QHash<QString, qint64>>(tv::renderedText(p.html)),
                                 reference);
        figure(QStringLiteral("style_word_diff_") + p.name, d, "%");
        diffs.push_back(d);
        without.push_back(bare);
        over += d > 1.0 ? 1 : 0;
        perPage.push_back(p.sheets.requested);
        mostWork = std::max(mostWork, styleWork(p));
        const QString skipped = tv::css::skippedSheetsNote(p.url.toString(), p.sheets.skipped);
        for (const QString& note : rendered.notes + QStringList{skipped})
            if (!note.isEmpty())
                out() << "style_note " << note << Qt::endl;
        if (!dumpFolder.isEmpty()) {
            QDir().mkpath(dumpFolder);
            QFile dump(dumpFolder + u'/' + p.name + QStringLiteral(".txt"));
            if (dump.open(QIODevice::WriteOnly))
                dump.write(rendered.text.toUtf8());
        }
    }
    figure(QStringLiteral("style_pages"), double(pages.size()), "pages");
    figure(QStringLiteral("style_word_diff_median"), median(diffs), "%");
    figure(QStringLiteral("style_word_diff_max"), *std::max_element(diffs.begin(), diffs.end()),
           "%");
    figure(QStringLiteral("style_pages_over_1pct"), over, "pages");
    figure(QStringLiteral("style_word_diff_without_sheets_median"), median(without), "%");
    figure(QStringLiteral("style_word_diff_without_sheets_max"),
           *std::max_element(without.begin(), without.end()), "%");
    figure(QStringLiteral("style_sheets_per_page"), median(perPage), "sheets");
    figure(QStringLiteral("style_sheet_downloads"), loader.downloads(), "sheets");
    figure(QStringLiteral("style_sheet_cache_hits"), loader.cacheHits(), "requests");
    figure(QStringLiteral("style_most_matching_work"), double(mostWork), "steps");
    figure(QStringLiteral("style_matching_budget"), double(tv::css::PageStyle::kWorkBudget),
           "steps");

    report(QStringLiteral("style_corpus_css"), measure(pages));

    // The page corpus, each page linking the sheets of the first corpus-css page.
    const QDir corpusPages(corpusFolder() + QStringLiteral("/pages"));
    if (corpusPages.exists() && !pages.empty()) {
        QByteArray links;
        for (const QUrl& url : tv::css::findSheetLinks(pages.front().html, pages.front().url))
            links += "<link rel=stylesheet href=\"" + url.toEncoded() + "\">";
        std::vector<Page> corpus;
        for (const QString& name : corpusPages.entryList({QStringLiteral("*.html")}, QDir::Files)) {
            Page p;
            p.name = name;
            p.url = QUrl(kHost + QStringLiteral("/corpus/") + name);
            p.html = withLinks(readFile(corpusPages.filePath(name)), links);
            p.sheets = pages.front().sheets;
            corpus.push_back(std::move(p));
        }
        std::int64_t corpusWork = 0;
        for (const Page& p : corpus)
            corpusWork = std::max(corpusWork, styleWork(p));
        figure(QStringLiteral("style_corpus_most_matching_work"), double(corpusWork), "steps");
        report(QStringLiteral("style_corpus"), measure(corpus));
    }
    return 0;
}
