// A generated site of 2,000 pages served on loopback from a thread of its own: the crawl of the
// whole site from its home page (pages per second, peak memory), against the same 2,000
// addresses fetched as a list by the counting run's page source, in the same run, both with the
// list's own per-host limit and with the crawl's 2 connections per host. Both end with each
// page's text; the crawl that keeps bytes instead, with the text made afterwards (on two
// threads, as the page source converts), is shown as well, and so is what tallyvane-count does
// with --crawl: the crawl keeping bytes and handing each page to the count's page source, which
// makes its text while the crawl goes on (no second download) and reads each page's links from
// that same parse; beside it, the earlier hand-over that parsed each page twice (once in the
// crawl for its links), as the baseline.
#include "crawl/crawler.h"
#include "crawl/downloadfetcher.h"
#include "crawl/pagelinks.h"
#include "crawl/sourcepagereader.h"
#include "fetch/encoding.h"
#include "fetch/networkpagesource.h"
#include "fetch/pagetext.h"
#include "fetch/renderedtext.h"
#include "support/benchsupport.h"
#include "support/httpserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <sys/resource.h>

using namespace tv::bench;

namespace {

constexpr int kPages = 2000;
constexpr int kFanOut = 8; // every page is within 4 links of the home page
constexpr int kRuns = 5;   // the best of a few runs, as the machine is shared

QByteArray pagePath(int n)
{
    return "/page/" + QByteArray::number(n) + ".html";
}

// About 5 KB: a navigation bar, a few paragraphs, the page's children and a few cross links.
QByteArray pageBody(int n, QRandomGenerator& random)
{
    QByteArray html =
        "<!DOCTYPE html><html><head><meta charset=utf-8><title>Page " + QByteArray::number(n) +
        "</title></head><body><nav><a href=/page/0.html>Home</a> <a href=" +
        pagePath(std::max(0, n - 1)) + ">Back</a> <a href=" + pagePath((n + 1) % kPages) +
        ">Next</a></nav><main><h1>Page " + QByteArray::number(n) + "</h1>";
    for (int p = 0; p < 8; ++p) {
        html += "<p>";
        for (int w = 0; w < 80; ++w)
            html += "word" + QByteArray::number(random.bounded(500)) + ' ';
        html += "</p>\n";
    }
    html += "<ul>";
    for (int c = 1; c <= kFanOut; ++c) {
        const int child = n * kFanOut + c;
        if (child < kPages)
            html += "<li><a href=\"" + pagePath(child) + "\">child</a>";
    }
    for (int x = 0; x < 3; ++x)
        html += "<li><a href=\"" + pagePath(random.bounded(kPages)) + "#s\">see also</a>";
    return html + "</ul></main></body></html>";
}

// The server lives in a thread of its own, so that serving does not take turns with the client.
class ServerThread {
public:
    ServerThread()
    {
        m_thread.start();
        m_context.moveToThread(&m_thread);
        QMetaObject::invokeMethod(
            &m_context,
            [this] {
                m_server = new tv::test::HttpServer;
                m_server->setLowDelay(true);
                QRandomGenerator random(19);
                for (int n = 0; n < kPages; ++n)
                    m_server->serve(QString::fromLatin1(pagePath(n)),
                                    tv::test::HttpFixture::html(pageBody(n, random)));
                m_base = m_server->url("");
            },
            Qt::BlockingQueuedConnection);
    }
    ~ServerThread()
    {
        QMetaObject::invokeMethod(
            &m_context, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    QString url(const QByteArray& path) const { return m_base + QString::fromLatin1(path); }

private:
    QThread m_thread;
    QObject m_context;
    tv::test::HttpServer* m_server = nullptr;
    QString m_base;
};

// Processor time of the whole process (server thread included), in seconds: unlike the wall
// time, it hardly moves when other work shares the machine.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct CrawlRun {
    double seconds = 0;
    double cpu = 0;
    std::vector<tv::CrawledPage> pages;
};

CrawlRun crawlOnce(const QString& start, bool keepText, int connections)
{
    tv::DownloadFetcher fetcher;
    tv::CrawlOptions options;
    options.maxPages = kPages;
    options.maxDepth = 10;
    options.keepText = keepText;
    options.connectionsPerHost = connections;
    tv::Crawler crawler(fetcher, options);
    QEventLoop loop;
    QObject::connect(&crawler, &tv::Crawler::finished, &loop, &QEventLoop::quit);
    CrawlRun run;
    const double cpuBefore = cpuSeconds();
    run.seconds = secondsOf([&] {
        crawler.start(start);
        if (crawler.isRunning())
            loop.exec();
    });
    run.cpu = cpuSeconds() - cpuBefore;
    run.pages = crawler.takePages();
    return run;
}

double textOf(const std::vector<tv::CrawledPage>& pages)
{
    QThreadPool pool;
    pool.setMaxThreadCount(2);
    std::atomic<qint64> characters{0};
    const double seconds = secondsOf([&] {
        for (const auto& page : pages)
            pool.start([&page, &characters] {
                characters += tv::pageText(page.body, page.contentType).size();
            });
        pool.waitForDone();
    });
    return characters > 0 ? seconds : -1;
}

double listOnce(const QStringList& addresses, int& read, double& cpu, int perHost)
{
    tv::FetchOptions options;
    options.maxPerHost = perHost;
    tv::NetworkPageSource source(options);
    read = 0;
    const double cpuBefore = cpuSeconds();
    const double seconds = secondsOf([&] {
        source.announce(addresses);
        for (const QString& address : addresses)
            read += source.fetchPage(address).outcome == tv::FetchedPage::Outcome::Read ? 1 : 0;
    });
    cpu = cpuSeconds() - cpuBefore;
    return seconds;
}

// What tallyvane-count does with --crawl (`oneParse`): the crawl keeps bytes and has the count's
// page source read each page as it comes, which makes its text meanwhile and finds the links in
// the same parse; then the count reads them. Without `oneParse`, the earlier way: the crawl
// parses each page for its links and hands the page over once kept.
double crawlThenCountOnce(const QString& start, int& read, double& cpu, bool oneParse)
{
    tv::DownloadFetcher fetcher;
    tv::CrawlOptions options;
    options.maxPages = kPages;
    options.maxDepth = 10;
    options.keepText = false;
    tv::NetworkPageSource source;
    tv::SourcePageReader reader(source);
    tv::Crawler crawler(fetcher, options);
    if (oneParse)
        crawler.setPageReader(&reader);
    std::size_t handed = 0;
    const auto handOver = [&] {
        if (oneParse)
            return;
        for (const auto& pages = crawler.pages(); handed < pages.size(); ++handed) {
            const tv::CrawledPage& page = pages[handed];
            source.addReceived(page.address,
                               {page.address, page.body, page.contentType, 200, page.truncated},
                               true);
        }
    };
    QObject::connect(&crawler, &tv::Crawler::progress, [&] { handOver(); });
    QEventLoop loop;
    QObject::connect(&crawler, &tv::Crawler::finished, &loop, &QEventLoop::quit);
    read = 0;
    const double cpuBefore = cpuSeconds();
    const double seconds = secondsOf([&] {
        crawler.start(start);
        if (crawler.isRunning())
            loop.exec();
        handOver();
        QStringList addresses;
        for (const auto& page : crawler.pages())
            addresses << page.address;
        source.announce(addresses);
        for (const QString& address : addresses)
            read += source.fetchPage(address).outcome == tv::FetchedPage::Outcome::Read ? 1 : 0;
    });
    cpu = cpuSeconds() - cpuBefore;
    return source.downloadsStarted() == 0 ? seconds : -1;
}

} // namespace

// The best of a few crawls.
CrawlRun bestCrawl(const QString& start, bool keepText, int connections = 2)
{
    CrawlRun best;
    double leastCpu = 1e300;
    for (int i = 0; i < kRuns; ++i) {
        CrawlRun run = crawlOnce(start, keepText, connections);
        leastCpu = std::min(leastCpu, run.cpu);
        if (i == 0 || run.seconds < best.seconds)
            best = std::move(run);
    }
    best.cpu = leastCpu;
    return best;
}

// Of the corpus's real pages, how many have their links read from the tree their text is read
// from (the others take a parse of their own, as every crawled page did before).
struct TreeReadable {
    int pages = 0;
    int fromTree = 0;
};

TreeReadable corpusLinksFromTheTextsTree()
{
    TreeReadable result;
    const QDir pagesDir(corpusFolder() + QStringLiteral("/pages"));
    for (const QString& name : pagesDir.entryList({QStringLiteral("*.html")}, QDir::Files)) {
        QFile file(pagesDir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray utf8 = tv::decodeToUtf8(file.readAll(), "text/html");
        const QUrl url(QStringLiteral("http://corpus.example/") + name);
        bool fromTree = false;
        try {
            tv::renderPage(utf8, url, nullptr,
                           [&](const GumboInternalOutput& tree, const QByteArray& parsed) {
                               fromTree = tv::linksFromTree(tree, parsed, url).has_value();
                           });
        } catch (const std::exception&) {
        }
        ++result.pages;
        result.fromTree += fromTree ? 1 : 0;
    }
    return result;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ServerThread server;
    const double setupMb = peakMegabytes();

    // The runs compared with each other take turns, round by round, so that other work on the
    // shared machine weighs on each of them alike; the best of each counts.
    const QString start = server.url(pagePath(0));
    double crawlPeakMb = 0;
    CrawlRun crawl;
    double crawlCpu = 1e300;
    QStringList addresses;
    qint64 kept = 0;
    double crawlThenCountSeconds = 1e300;
    double crawlThenCountCpu = 1e300;
    int crawlThenCountRead = 0;
    double twoParsesSeconds = 1e300;
    int twoParsesRead = 0;
    // The list as a count fetches it (at most 6 from one host), and at the crawl's limit of 2.
    double listSeconds = 1e300;
    double listCpu = 1e300;
    double list2Seconds = 1e300;
    int listRead = 0;
    int list2Read = 0;
    for (int i = 0; i < kRuns; ++i) {
        CrawlRun run = crawlOnce(start, true, 2);
        if (i == 0) {
            crawlPeakMb = peakMegabytes();
            for (const auto& page : run.pages) {
                kept += page.text.size() * qint64(sizeof(QChar));
                addresses << page.address;
            }
        }
        crawlCpu = std::min(crawlCpu, run.cpu);
        if (i == 0 || run.seconds < crawl.seconds)
            crawl = std::move(run);
        double cpu = 0;
        crawlThenCountSeconds = std::min(crawlThenCountSeconds,
                                         crawlThenCountOnce(start, crawlThenCountRead, cpu, true));
        crawlThenCountCpu = std::min(crawlThenCountCpu, cpu);
        twoParsesSeconds =
            std::min(twoParsesSeconds, crawlThenCountOnce(start, twoParsesRead, cpu, false));
        listSeconds = std::min(listSeconds,
                               listOnce(addresses, listRead, cpu, tv::FetchOptions{}.maxPerHost));
        listCpu = std::min(listCpu, cpu);
        list2Seconds = std::min(list2Seconds, listOnce(addresses, list2Read, cpu, 2));
    }
    crawl.cpu = crawlCpu;

    const CrawlRun bytes = bestCrawl(start, false);
    // As many requests at a time as the page source keeps ahead: what the politeness cap costs.
    const CrawlRun wide = bestCrawl(start, true, tv::FetchOptions{}.parallel);
    double textSeconds = 1e300;
    for (int i = 0; i < kRuns; ++i)
        textSeconds = std::min(textSeconds, textOf(bytes.pages));

    const double pages = double(crawl.pages.size());
    figure("crawl_pages_found", pages, "pages", 0);
    figure("crawl_seconds", crawl.seconds, "s");
    figure("crawl_pages_per_second", pages / crawl.seconds, "pages/s", 0);
    figure("crawl_kept_text", double(kept) / (1024.0 * 1024.0), "MB", 1);
    figure("crawl_peak_memory", crawlPeakMb, "MB", 1);
    figure("crawl_peak_memory_before_crawling", setupMb, "MB", 1);
    figure("crawl_bytes_then_text_seconds", bytes.seconds + textSeconds, "s");
    figure("crawl_8_at_a_time_seconds", wide.seconds, "s");
    figure("list_pages_read", listRead, "pages", 0);
    figure("list_seconds", listSeconds, "s");
    figure("list_pages_per_second", double(listRead) / listSeconds, "pages/s", 0);
    figure("crawl_cpu_seconds", crawl.cpu, "s");
    figure("list_cpu_seconds", listCpu, "s");
    figure("list_2_per_host_seconds", list2Seconds, "s");
    figure("crawl_then_count_seconds", crawlThenCountSeconds, "s");
    figure("crawl_then_count_cpu_seconds", crawlThenCountCpu, "s");
    figure("crawl_then_count_two_parses_seconds", twoParsesSeconds, "s");
    figure("crawl_to_list_time", crawl.seconds / listSeconds, "x", 2);
    figure("crawl_to_list_cpu", crawl.cpu / listCpu, "x", 2);
    figure("crawl_8_at_a_time_to_list_time", wide.seconds / listSeconds, "x", 2);
    figure("crawl_bytes_then_text_to_list_time", (bytes.seconds + textSeconds) / listSeconds, "x",
           2);
    figure("crawl_to_list_2_per_host_time", crawl.seconds / list2Seconds, "x", 2);
    figure("crawl_then_count_to_list_time", crawlThenCountSeconds / listSeconds, "x", 2);
    figure("crawl_then_count_to_list_2_per_host_time", crawlThenCountSeconds / list2Seconds, "x",
           2);
    figure("crawl_then_count_to_list_cpu", crawlThenCountCpu / listCpu, "x", 2);
    figure("crawl_then_count_two_parses_to_list_time", twoParsesSeconds / listSeconds, "x", 2);
    figure("crawl_then_count_to_two_parses_time", crawlThenCountSeconds / twoParsesSeconds, "x", 2);
    const TreeReadable corpus = corpusLinksFromTheTextsTree();
    if (corpus.pages > 0) {
        figure("corpus_pages", corpus.pages, "pages", 0);
        figure("corpus_pages_links_from_the_texts_parse", corpus.fromTree, "pages", 0);
    } else {
        out() << "no corpus pages in " << corpusFolder() << ": their link reading is not shown\n";
    }
    return crawl.pages.size() == std::size_t(kPages) && listRead == kPages && list2Read == kPages &&
                   crawlThenCountRead == kPages && crawlThenCountSeconds > 0 &&
                   twoParsesRead == kPages && twoParsesSeconds > 0
               ? 0
               : 1;
}
