// Over the page corpus: how fast pages become text compared with gumbo's bare parse, the
// slowest page per byte, peak memory, and how far each page's words are from the browser's.
// Options: --dump FOLDER writes each page's text there for comparison by eye.
#include "fetch/pagetext.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QTextStream>
#include <algorithm>
#include <gumbo.h>
#include <sys/resource.h>
#include <vector>

namespace {

struct Page {
    QString name;
    QByteArray bytes;
    double convertSeconds = 0;
    double parseSeconds = 0;
    double wordDiff = -1;
};

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

void figure(const QString& name, double value, const char* unit)
{
    out() << name << ' ' << QString::number(value, 'f', 3) << ' ' << unit << Qt::endl;
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// The least time of a few runs, enough to smooth out noise on small pages.
template <class F> double bestSeconds(F&& run)
{
    double best = 1e9;
    QElapsedTimer total;
    total.start();
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        best = std::min(best, double(t.nsecsElapsed()) / 1e9);
        if (i >= 2 && total.elapsed() > 300)
            break;
    }
    return best;
}

// The word rule: split at LF, CR, TAB and space; drop the ASCII punctuation; lower-case.
QHash<QString, qint64> wordCounts(const QString& text)
{
    QHash<QString, qint64> counts;
    QString word;
    auto finish = [&] {
        if (!word.isEmpty())
            ++counts[word.toLower()];
        word.clear();
    };
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\n' || u == '\r' || u == '\t' || u == ' ') {
            finish();
            continue;
        }
        if (u < 128 && std::ispunct(int(u)))
            continue;
        word.append(c);
    }
    finish();
    return counts;
}

// The share of word occurrences that differ: unmatched occurrences over the union multiset.
double wordDifference(const QString& ours, const QString& reference)
{
    const auto a = wordCounts(ours);
    const auto b = wordCounts(reference);
    qint64 differ = 0;
    qint64 all = 0;
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        const qint64 other = b.value(it.key());
        differ += std::abs(it.value() - other);
        all += std::max(it.value(), other);
    }
    for (auto it = b.cbegin(); it != b.cend(); ++it) {
        if (!a.contains(it.key())) {
            differ += it.value();
            all += it.value();
        }
    }
    return all == 0 ? 0.0 : double(differ) / double(all);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    if (v.empty())
        return 0;
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

QByteArray repeated(const QByteArray& piece, int times)
{
    QByteArray out;
    out.reserve(piece.size() * times);
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

// Pages built to hurt a parser; each should take well under 3 seconds.
void hostilePages()
{
    QByteArray reopen = "<p>";
    for (int i = 0; i < 40; ++i)
        reopen += "<b id=" + QByteArray::number(i) + ">";
    reopen += "</p>" + repeated("<p>x</p>", 50000);
    const QList<QPair<QString, QByteArray>> pages{
        {"nested100k", repeated("<div>", 100000) + "x" + repeated("</div>", 100000)},
        {"unclosed_div50k", repeated("<div>x", 50000)},
        {"unclosed_b50k", repeated("<b>x", 50000)},
        {"single_line5mb", "<p>" + repeated("word ", 1000000) + "</p>"},
        {"nul_bytes", "<p>a" + QByteArray(5000000, '\0') + "b</p>"},
        {"formatting_reopen", reopen},
    };
    for (const auto& page : pages) {
        QElapsedTimer t;
        t.start();
        try {
            tv::pageText(page.second, "text/html");
        } catch (...) {
        }
        figure(QStringLiteral("fetch_hostile_") + page.first, double(t.nsecsElapsed()) / 1e9, "s");
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

    QString corpus = qEnvironmentVariable("TV_CORPUS");
    if (corpus.isEmpty())
        corpus = QStringLiteral(TV_SOURCE_DIR "/../shared/corpus");
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
        page.convertSeconds = bestSeconds([&] { tv::pageText(page.bytes, "text/html"); });
        page.parseSeconds = bestSeconds([&] {
            GumboOutput* output = gumbo_parse_with_options(
                &kGumboDefaultOptions, page.bytes.constData(), std::size_t(page.bytes.size()));
            gumbo_destroy_output(&kGumboDefaultOptions, output);
        });
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
