// The run's pipeline on a loopback network of 40 servers (127.0.0.1 to 127.0.0.40):
// - tallyvane-count over 300 pages with a seeded mix of delays and failures, against the same
//   list fetched by 32 plain concurrent downloads that do nothing else (the network's limit);
// - its peak memory over 1,200 such pages against 300;
// - with no latency, the text engine end to end against a bare std::unordered_map count of the
//   same words read from one file (split, cleaned, counted, ordered and written out);
// - the largest gap between event batches in a window-like run in this process with 32 pages
//   in flight, against the same over an idle second.
// The page bodies are the corpus pages when there are any, else made-up pages.
#include "childrun.h"
#include "count/textmethod.h"
#include "countbench.h"
#include "fetch/networkpagesource.h"
#include "fetch/pagetext.h"
#include "serverfarm.h"
#include "support/benchdoubles.h"
#include "support/benchsupport.h"
#include "support/gapmeter.h"

#include <QApplication>
#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

using namespace tv::bench;

namespace {

constexpr int kHosts = 40;
constexpr int kParallel = 32;

QList<QByteArray> pageBodies()
{
    QList<QByteArray> bodies;
    const QDir pages(corpusFolder() + QStringLiteral("/pages"));
    for (const QString& name :
         pages.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
        QFile file(pages.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            bodies << file.readAll();
    }
    if (!bodies.isEmpty()) {
        out() << "pages from the corpus (" << bodies.size() << ")" << Qt::endl;
        return bodies;
    }
    // About 60 KB each, words of a natural spread.
    std::mt19937 random(7);
    std::geometric_distribution<int> rank(0.002);
    for (int page = 0; page < 50; ++page) {
        QByteArray html = "<html><body>";
        while (html.size() < 60000) {
            html += "<p>";
            for (int w = 0; w < 12; ++w)
                html += "word" + QByteArray::number(rank(random)) + ' ';
            html += "</p>\n";
        }
        bodies << html + "</body></html>";
    }
    out() << "made-up pages (no corpus)" << Qt::endl;
    return bodies;
}

// The pages fetched `parallel` at a time and thrown away: what the network allows.
double plainDownloads(const QStringList& urls, int parallel)
{
    QNetworkAccessManager network;
    return secondsOf([&] {
        int next = 0;
        int running = 0;
        QEventLoop loop;
        std::function<void()> startMore = [&] {
            while (running < parallel && next < urls.size()) {
                QNetworkRequest request(QUrl(urls.at(next++)));
                request.setTransferTimeout(30000);
                QNetworkReply* reply = network.get(request);
                ++running;
                QObject::connect(reply, &QNetworkReply::readyRead, reply,
                                 [reply] { reply->readAll(); });
                QObject::connect(reply, &QNetworkReply::finished, reply, [&, reply] {
                    reply->readAll();
                    reply->deleteLater();
                    --running;
                    startMore();
                    if (running == 0)
                        loop.quit();
                });
            }
        };
        startMore();
        if (running > 0)
            loop.exec();
    });
}

QString writeList(const QTemporaryDir& dir, const QString& name, const QStringList& urls)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write((urls.join(u'\n') + u'\n').toUtf8());
    return path;
}

// The best of `rounds` runs of tallyvane-count; empty when one failed.
ChildRun bestCliRun(const QStringList& arguments, int rounds, int expectedExit,
                    const QString& outputFile)
{
    ChildRun best;
    for (int i = 0; i < rounds; ++i) {
        const ChildRun run = runMeasured(cliProgram(), arguments, outputFile);
        if (!run.finished || run.exitCode != expectedExit) {
            out() << "run failed: exit " << run.exitCode << " " << arguments.join(u' ') << Qt::endl;
            return {};
        }
        if (!best.finished || run.seconds < best.seconds)
            best = run;
    }
    return best;
}

// The same words counted the plain way: read, split at blanks and line ends, ASCII punctuation
// dropped and ASCII letters lowered, counted, ordered least frequent first and written out. Run
// as a process of its own (this benchmark with --bare-count FILE), as the program is.
int bareCount(const char* wordsFile)
{
    {
        std::ifstream in(wordsFile, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        std::unordered_map<std::string, int> counts;
        std::string word;
        auto finish = [&] {
            if (!word.empty())
                ++counts[word];
            word.clear();
        };
        for (const char c : text) {
            if (c == ' ' || c == '\n' || c == '\r' || c == '\t')
                finish();
            else if (c >= 'A' && c <= 'Z')
                word += char(c - 'A' + 'a');
            else if (!(c > 0 && std::ispunct(static_cast<unsigned char>(c))))
                word += c;
        }
        finish();
        std::vector<std::pair<std::string, int>> rows(counts.begin(), counts.end());
        std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
            return a.second != b.second ? a.second < b.second : a.first < b.first;
        });
        std::string output;
        for (const auto& row : rows)
            output += row.first + '\t' + std::to_string(row.second) + '\n';
        std::fwrite(output.data(), 1, output.size(), stdout);
    }
    return 0;
}

// A results-less stand-in for the window: progress in a bar that repaints.
class BarView : public BenchCount {
public:
    BarView(tv::ResultsModel& results, QProgressBar& bar) : BenchCount(results), m_bar(bar) {}
    void setProgressValue(double value) override { m_bar.setValue(int(value)); }
    void setProgressText(const QString& text) override { m_bar.setFormat(text); }

private:
    QProgressBar& m_bar;
};

// Pages of the size most web pages have (the corpus pages are manuals, several times larger):
// their first 64 KB. Here the network, not the processor, should decide the time.
QList<QByteArray> webSized(const QList<QByteArray>& bodies)
{
    QList<QByteArray> cut;
    for (const QByteArray& body : bodies)
        cut << body.left(64 * 1024);
    return cut;
}

void throughput(ServerFarm& farm, const QList<QByteArray>& corpusBodies, const QTemporaryDir& dir)
{
    const QList<QByteArray> bodies = webSized(corpusBodies);
    qint64 bytes = 0;
    for (const QByteArray& body : bodies)
        bytes += body.size();
    figure(QStringLiteral("pipeline_mix_mean_page_size"), double(bytes) / bodies.size() / 1024.0,
           "KiB");
    const PageMix mix = servePageMix(farm, 300, bodies);
    figure(QStringLiteral("pipeline_mix_pages"), mix.urls.size(), "pages");
    figure(QStringLiteral("pipeline_mix_slow_pages"), mix.slow, "pages");
    figure(QStringLiteral("pipeline_mix_failing_pages"), mix.failing, "pages");
    figure(QStringLiteral("pipeline_mix_stalled_pages"), mix.stalled, "pages");
    const QString list = writeList(dir, QStringLiteral("mix300.txt"), mix.urls);
    const double plain =
        std::min(plainDownloads(mix.urls, kParallel), plainDownloads(mix.urls, kParallel));
    figure(QStringLiteral("pipeline_plain_downloads_wall"), plain, "s");
    // The longer list begins with the same 300 pages.
    const PageMix longer = servePageMix(farm, 1200, bodies);
    const QString longList = writeList(dir, QStringLiteral("mix1200.txt"), longer.urls);
    for (const QString& engine : {QStringLiteral("text"), QStringLiteral("db")}) {
        const QStringList args{QStringLiteral("--engine"),
                               engine,
                               QStringLiteral("--quiet"),
                               QStringLiteral("--format"),
                               QStringLiteral("tsv"),
                               QStringLiteral("--list"),
                               list};
        // Some pages fail: status 1.
        const ChildRun run = bestCliRun(args, 2, 1, QString());
        if (!run.finished)
            continue;
        const QString prefix = QStringLiteral("pipeline_cli_") + engine;
        figure(prefix + QStringLiteral("_wall"), run.seconds, "s");
        figure(prefix + QStringLiteral("_wall_vs_plain_downloads"), run.seconds / plain, "x");
        figure(prefix + QStringLiteral("_cpu"), run.cpuSeconds, "s");
        figure(prefix + QStringLiteral("_peak_300_pages"), run.peakMegabytes, "MB");

        QStringList longArgs = args;
        longArgs.last() = longList;
        const ChildRun longRun = bestCliRun(longArgs, 1, 1, QString());
        if (!longRun.finished)
            continue;
        figure(prefix + QStringLiteral("_peak_1200_pages"), longRun.peakMegabytes, "MB");
        figure(prefix + QStringLiteral("_peak_1200_vs_300"),
               longRun.peakMegabytes / run.peakMegabytes, "x");
        figure(prefix + QStringLiteral("_wall_1200_pages"), longRun.seconds, "s");
    }
}

// One run of the text engine over pages served at once, against the bare count of the same
// words; `kind` names the figures.
void noLatencyRun(ServerFarm& farm, const QString& kind, const QList<QByteArray>& bodies,
                  const QByteArray& type, const ChildRun& bare, const QTemporaryDir& dir)
{
    const QStringList urls = serveAtOnce(farm, kind, bodies, type);
    const QString list = writeList(dir, kind + QStringLiteral(".txt"), urls);
    const QString output = dir.filePath(kind + QStringLiteral(".tsv"));
    const ChildRun run = bestCliRun({QStringLiteral("--engine"), QStringLiteral("text"),
                                     QStringLiteral("--quiet"), QStringLiteral("--format"),
                                     QStringLiteral("tsv"), QStringLiteral("--list"), list},
                                    3, 0, output);
    const QString prefix = QStringLiteral("pipeline_no_latency_") + kind;
    figure(prefix + QStringLiteral("_plain_downloads_wall"),
           std::min(plainDownloads(urls, kParallel), plainDownloads(urls, kParallel)), "s");
    if (!run.finished)
        return;
    QFile counts(output);
    const qint64 rows = counts.open(QIODevice::ReadOnly) ? counts.readAll().count('\n') - 1 : 0;
    figure(prefix + QStringLiteral("_cli_text_wall"), run.seconds, "s");
    figure(prefix + QStringLiteral("_cli_text_cpu"), run.cpuSeconds, "s");
    figure(prefix + QStringLiteral("_cli_text_rows"), double(rows), "words");
    figure(prefix + QStringLiteral("_cli_text_vs_unordered_map"), run.seconds / bare.seconds, "x");
    figure(prefix + QStringLiteral("_cli_text_cpu_vs_unordered_map"),
           run.cpuSeconds / bare.cpuSeconds, "x");
}

// The pages' words served as they are (text pages), and as the HTML they came from.
void noLatency(ServerFarm& farm, const QList<QByteArray>& bodies, const QTemporaryDir& dir)
{
    QList<QByteArray> texts;
    for (const QByteArray& body : bodies)
        texts << tv::pageText(body, "text/html").toUtf8();
    const QString wordsFile = dir.filePath(QStringLiteral("words.txt"));
    {
        QFile words(wordsFile);
        if (!words.open(QIODevice::WriteOnly))
            return;
        for (const QByteArray& text : texts)
            words.write(text + '\n');
    }
    const QString bareOutput = dir.filePath(QStringLiteral("bare.tsv"));
    ChildRun bare;
    for (int i = 0; i < 3; ++i) {
        const ChildRun run = runMeasured(QCoreApplication::applicationFilePath(),
                                         {QStringLiteral("--bare-count"), wordsFile}, bareOutput);
        if (run.finished && (!bare.finished || run.seconds < bare.seconds))
            bare = run;
    }
    if (!bare.finished)
        return;
    QFile rows(bareOutput);
    figure(QStringLiteral("pipeline_no_latency_unordered_map_wall"), bare.seconds, "s");
    figure(QStringLiteral("pipeline_no_latency_unordered_map_cpu"), bare.cpuSeconds, "s");
    figure(QStringLiteral("pipeline_no_latency_unordered_map_words"),
           rows.open(QIODevice::ReadOnly) ? double(rows.readAll().count('\n')) : 0, "words");
    noLatencyRun(farm, QStringLiteral("text_pages"), texts, "text/plain; charset=utf-8", bare, dir);
    noLatencyRun(farm, QStringLiteral("html_pages"), bodies, "text/html", bare, dir);
}

void responsiveness(ServerFarm& farm, const QList<QByteArray>& bodies)
{
    const PageMix mix = servePageMix(farm, 300, webSized(bodies), 99);
    tv::ResultsModel results;
    addResultColumns(results);
    QProgressBar bar;
    bar.setTextVisible(true);
    bar.show();
    BarView view(results, bar);
    tv::CountRequest request;
    request.sites = mix.urls;
    CountingSink sink;
    tv::NetworkPageSource pages;
    pages.setWaitWatcher(
        {[&](const tv::PageWait& wait) {
             bar.setFormat(
                 QStringLiteral("Downloading site %1 of %2").arg(wait.position).arg(wait.count));
         },
         {}});
    GapMeter meter;
    const double idle = meter.measure([] {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 1000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    });
    int mostInFlight = 0;
    QTimer inFlight;
    QObject::connect(&inFlight, &QTimer::timeout,
                     [&] { mostInFlight = std::max(mostInFlight, pages.downloadsRunning()); });
    inFlight.start(20);
    const double run = meter.measure([&] { tv::countWithTextMethod(request, pages, view); });
    figure(QStringLiteral("pipeline_gap_idle_largest"), idle, "ms");
    figure(QStringLiteral("pipeline_gap_run_largest"), run, "ms");
    figure(QStringLiteral("pipeline_gap_run_most_in_flight"), mostInFlight, "downloads");
    figure(QStringLiteral("pipeline_gap_run_reports"), sink.reports, "reports");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--measure")
        return measureChild(argc - 2, argv + 2);
    if (argc > 2 && QByteArray(argv[1]) == "--bare-count")
        return bareCount(argv[2]);
    QApplication app(argc, argv);
    const QList<QByteArray> bodies = pageBodies();
    ServerFarm farm(kHosts);
    if (!farm.isListening()) {
        out() << "pipeline skipped (the loopback servers could not listen)" << Qt::endl;
        return 1;
    }
    QTemporaryDir dir;
    // One part alone when named: throughput, no-latency or gaps.
    const QString part = app.arguments().value(1);
    if (part.isEmpty() || part == u"throughput")
        throughput(farm, bodies, dir);
    if (part.isEmpty() || part == u"no-latency")
        noLatency(farm, bodies, dir);
    if (part.isEmpty() || part == u"gaps")
        responsiveness(farm, bodies);
    return 0;
}
