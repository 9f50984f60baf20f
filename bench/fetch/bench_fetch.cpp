// Over the page corpus: how fast pages become text compared with gumbo's bare parse, the
// slowest page per byte, peak memory, and how far each page's words are from the browser's.
// Options: --dump FOLDER writes each page's text there for comparison by eye.
#include "fetch/pagetext.h"
#include "support/benchsupport.h"
#include "support/hostilepages.h"
#include "support/plainwords.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <algorithm>
#include <gumbo.h>
#include <vector>

using namespace tv::bench;

namespace {

// Each page's time is the least of a few runs, enough to smooth out noise on small pages.
constexpr int kRounds = 20;
constexpr qint64 kBudgetMs = 300;

struct Page {
    QString name;
    QByteArray bytes;
    double convertSeconds = 0;
    double parseSeconds = 0;
    double wordDiff = -1;
};

// Pages built to hurt a parser; each should take well under 3 seconds.
void hostilePages()
{
    using namespace tv::test;
    const QList<QPair<QString, QByteArray>> pages{
        {"nested100k", nestedDivs(100000)},
        {"unclosed_div50k", repeated("<div>x", 50000)},
        {"unclosed_b50k", repeated("<b>x", 50000)},
        {"single_line5mb", singleLine(1000000)},
        {"nul_bytes", "<p>a" + QByteArray(5000000, '\0') + "b</p>"},
        {"formatting_reopen", formattingReopen(40, 50000)},
        {"nested_media40k", nestedMediaBlocks(40000)},
        {"same_rule100k", sameRuleRepeated(100000, 30000)},
        {"rules_sharing_a_key60k", rulesSharingAKey(60000, 30000)},
        {"many_style_elements200k", manyStyleElements(200000, 1000)},
    };
    for (const auto& page : pages) {
        const double seconds = secondsOf([&] {
            try {
                tv::pageText(page.second, "text/html");
            } catch (...) {
            }
        });
        figure(QStringLiteral("fetch_hostile_") + page.first, seconds, "s");
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype dumpAt = args.indexOf(QStringLiteral("--dump"));
    const QString dumpFolder =
        dumpAt > 0 && dumpAt + 1 < args.size() ? args[dumpAt + 1] : QString();

    const QString corpus = corpusFolder();
    const QDir pagesDir(corpus + QStringLiteral("/pages"));
    if (!pagesDir.exists()) {
        out() << "fetch_corpus skipped (no " << pagesDir.path() << ")" << Qt::endl;
        hostilePages();
        return 0;
    }

    std::vector<Page> pages;
    for (const QString& name :
         pagesDir.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
        QFile f(pagesDir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            pages.push_back({name, f.readAll()});
    }
    // Peak memory counts from here, with the corpus itself loaded.
    const double baseMemory = peakMegabytes();

    qint64 totalBytes = 0;
    double convertTotal = 0;
    double parseTotal = 0;
    for (Page& page : pages) {
        totalBytes += page.bytes.size();
        // Served as the browser saw them: text/html without a charset.
        page.convertSeconds = bestSeconds(
            kRounds, [&] { tv::pageText(page.bytes, "text/html"); }, {}, kBudgetMs);
        page.parseSeconds = bestSeconds(
            kRounds,
            [&] {
                GumboOutput* output = gumbo_parse_with_options(
                    &kGumboDefaultOptions, page.bytes.constData(), std::size_t(page.bytes.size()));
                gumbo_destroy_output(&kGumboDefaultOptions, output);
            },
            {}, kBudgetMs);
        convertTotal += page.convertSeconds;
        parseTotal += page.parseSeconds;

        const QString text = tv::pageText(page.bytes, "text/html");
        if (!dumpFolder.isEmpty()) {
            QDir().mkpath(dumpFolder);
            QFile dump(dumpFolder + u'/' + page.name + QStringLiteral(".txt"));
            if (dump.open(QIODevice::WriteOnly))
                dump.write(text.toUtf8());
        }
        QFile reference(corpus + QStringLiteral("/reference/") + page.name +
                        QStringLiteral(".innertext.txt"));
        if (reference.open(QIODevice::ReadOnly))
            page.wordDiff = wordDifference(text, QString::fromUtf8(reference.readAll()));
    }

    const double megabytes = double(totalBytes) / 1e6;
    figure(QStringLiteral("fetch_pages"), double(pages.size()), "pages");
    figure(QStringLiteral("fetch_corpus_size"), megabytes, "MB");
    figure(QStringLiteral("fetch_text_speed"), megabytes / convertTotal, "MB/s");
    figure(QStringLiteral("fetch_gumbo_parse_speed"), megabytes / parseTotal, "MB/s");
    figure(QStringLiteral("fetch_text_vs_parse_time"), convertTotal / parseTotal, "x");

    std::vector<double> perByte;
    const Page* slowest = nullptr;
    for (const Page& page : pages) {
        perByte.push_back(page.convertSeconds / double(page.bytes.size()));
        if (!slowest || perByte.back() > slowest->convertSeconds / double(slowest->bytes.size()))
            slowest = &page;
    }
    const double medianPerByte = median(perByte);
    if (slowest) {
        figure(QStringLiteral("fetch_slowest_page_vs_median_per_byte"),
               slowest->convertSeconds / double(slowest->bytes.size()) / medianPerByte, "x");
        out() << "fetch_slowest_page " << slowest->name << Qt::endl;
    }
    figure(QStringLiteral("fetch_peak_memory"), peakMegabytes(), "MB");
    figure(QStringLiteral("fetch_peak_memory_over_corpus_loaded"), peakMegabytes() - baseMemory,
           "MB");

    std::vector<double> diffs;
    for (const Page& page : pages) {
        if (page.wordDiff < 0)
            continue;
        diffs.push_back(page.wordDiff * 100);
        figure(QStringLiteral("fetch_word_diff_") + page.name, page.wordDiff * 100, "%");
    }
    if (!diffs.empty()) {
        figure(QStringLiteral("fetch_word_diff_median"), median(diffs), "%");
        figure(QStringLiteral("fetch_word_diff_max"), *std::max_element(diffs.begin(), diffs.end()),
               "%");
    }
    // Last, so that their memory does not count in the corpus figures.
    hostilePages();
    return 0;
}
