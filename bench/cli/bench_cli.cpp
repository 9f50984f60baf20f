// tallyvane-count over the page corpus served from this process with 50 ms of latency per
// answer: the wall time of one run over every page, against the same run fetching the pages
// one at a time (--prefetch 0), per engine; for scale, plain one-by-one downloads and the run
// with no latency at all.
#include "clirunner.h"
#include "support/benchsupport.h"
#include "support/httpserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <chrono>

using namespace tv::bench;

namespace {

constexpr std::chrono::milliseconds kLatency{50};
constexpr int kRuns = 3; // the best of a few runs, as the machine is shared
constexpr int kRunLimitMs = 300000;

struct Run {
    bool ok = false;
    double seconds = 0;
    QByteArray output;
};

// One run of the program; the event loop keeps the server answering meanwhile.
Run runOnce(const QStringList& arguments)
{
    tv::test::CliRun cli;
    cli.arguments = arguments;
    cli.errorFile = QProcess::nullDevice();
    cli.timeoutMs = kRunLimitMs;
    tv::test::CliOutcome outcome;
    Run run;
    run.seconds = secondsOf([&] { outcome = tv::test::runCli(cli); });
    run.ok = outcome.finished && outcome.exitCode == 0;
    run.output = outcome.out;
    return run;
}

Run bestRun(const QStringList& arguments)
{
    Run best;
    for (int i = 0; i < kRuns; ++i) {
        Run run = runOnce(arguments);
        if (!run.ok)
            return run;
        if (!best.ok || run.seconds < best.seconds)
            best = std::move(run);
    }
    return best;
}

// The pages downloaded one after the other, nothing else done with them.
double sequentialDownloads(const QStringList& urls)
{
    QNetworkAccessManager network;
    return secondsOf([&] {
        for (const QString& url : urls) {
            QNetworkReply* reply = network.get(QNetworkRequest(QUrl(url)));
            QEventLoop loop;
            QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
            QTimer::singleShot(kRunLimitMs, &loop, &QEventLoop::quit);
            if (!reply->isFinished())
                loop.exec();
            reply->readAll();
            reply->deleteLater();
        }
    });
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QDir pagesDir(corpusFolder() + QStringLiteral("/pages"));
    const QStringList names =
        pagesDir.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    if (names.isEmpty()) {
        out() << "cli_corpus skipped (no pages in " << pagesDir.path() << ")" << Qt::endl;
        return 0;
    }

    tv::test::HttpServer server;
    if (!server.isListening()) {
        out() << "cli_corpus failed (no server)" << Qt::endl;
        return 1;
    }
    QStringList urls;
    QStringList urlsAtOnce;
    qint64 bytes = 0;
    for (const QString& name : names) {
        QFile file(pagesDir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        // Served as the browser saw the files: text/html without a charset.
        tv::test::HttpFixture page = tv::test::HttpFixture::page(file.readAll(), "text/html");
        page.delay = kLatency;
        bytes += page.body.size();
        const QString path = QStringLiteral("/corpus/") + name;
        server.serve(path, page);
        urls << server.url(path);
        // The same page at once: what the run costs with the waiting taken away.
        page.delay = std::chrono::milliseconds(0);
        server.serve(QStringLiteral("/at-once/") + name, page);
        urlsAtOnce << server.url(QStringLiteral("/at-once/") + name);
    }
    figure(QStringLiteral("cli_corpus_pages"), double(urls.size()), "pages");
    figure(QStringLiteral("cli_corpus_size"), double(bytes) / 1e6, "MB");
    figure(QStringLiteral("cli_latency_per_response"), double(kLatency.count()), "ms");

    const double downloads = sequentialDownloads(urls);
    figure(QStringLiteral("cli_downloads_one_at_a_time_wall"), downloads, "s");

    for (const QString& engine : {QStringLiteral("db"), QStringLiteral("text")}) {
        const QStringList common{QStringLiteral("--engine"), engine, QStringLiteral("--quiet"),
                                 QStringLiteral("--format"), QStringLiteral("tsv")};
        const Run whole = bestRun(common + urls);
        const Run oneByOne =
            bestRun(common + QStringList{QStringLiteral("--prefetch"), QStringLiteral("0")} + urls);
        const Run atOnce = bestRun(common + urlsAtOnce);
        if (!whole.ok || !oneByOne.ok || !atOnce.ok || whole.output != oneByOne.output ||
            whole.output.isEmpty()) {
            out() << "cli_corpus_" << engine << " failed (a run failed or the runs disagree)"
                  << Qt::endl;
            return 1;
        }
        const QString prefix = QStringLiteral("cli_corpus_") + engine;
        figure(prefix + QStringLiteral("_wall"), whole.seconds, "s");
        figure(prefix + QStringLiteral("_one_at_a_time_wall"), oneByOne.seconds, "s");
        figure(prefix + QStringLiteral("_speedup_vs_one_at_a_time"),
               oneByOne.seconds / whole.seconds, "x");
        figure(prefix + QStringLiteral("_speedup_vs_plain_downloads"), downloads / whole.seconds,
               "x");
        // The floor set by the processor (parsing, counting), and what latency adds above it.
        figure(prefix + QStringLiteral("_wall_without_latency"), atOnce.seconds, "s");
        figure(prefix + QStringLiteral("_latency_not_hidden"), whole.seconds - atOnce.seconds, "s");
        figure(prefix + QStringLiteral("_result_rows"), double(whole.output.count('\n') - 1),
               "rows");
    }
    return 0;
}
