// Keeping the counted texts, over the page corpus:
//  - a run of the text method over the corpus pages (each page's text walk, then its count) with
//    and without the run keeping each page's text, in the same process, rounds taken in turn;
//    downloads are left out, so the share keeping adds is the most it can be: a real run also
//    waits for the network, and the database method also stores every word;
//  - the concordance of the most frequent word of the corpus pages, from the kept texts, and the
//    concordance view opened on it and drawn (offscreen); the same over the pages kept twice,
//    for a word with more than 50,000 uses.
#include "app/concordanceview.h"
#include "count/countobserver.h"
#include "count/textmethod.h"
#include "fetch/pagetext.h"
#include "keep/concordance.h"
#include "keep/keptstore.h"
#include "keep/runkeeper.h"
#include "platform/desktop.h"
#include "support/benchsupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QTableView>
#include <algorithm>

using namespace tv;
using namespace tv::bench;

namespace {

constexpr int kRounds = 7;

// The view copies nothing here.
class NoDesktop : public Desktop {
public:
    bool openUrl(const QString&) override { return false; }
    bool openDocument(const QString&) override { return false; }
    bool clearClipboard() override { return false; }
    bool setClipboardText(const QString&) override { return false; }
};

struct CorpusPage {
    QString name;
    QByteArray html;
};

QList<CorpusPage> corpusPages()
{
    const QDir pages(corpusFolder() + QStringLiteral("/pages"));
    QList<CorpusPage> all;
    for (const QString& name :
         pages.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
        QFile file(pages.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            all.push_back({name, file.readAll()});
    }
    return all;
}

// The corpus pages as a run reads them: each page's text walk when it is asked for.
class CorpusSource : public PageSource {
public:
    explicit CorpusSource(const QList<CorpusPage>& pages)
    {
        for (const CorpusPage& page : pages)
            m_pages.insert(page.name, &page.html);
    }
    FetchedPage fetchPage(const QString& address) override
    {
        FetchedPage page;
        page.address = address;
        page.url = QStringLiteral("http://corpus.example/") + address;
        page.outcome = FetchedPage::Outcome::Read;
        const QByteArray& html = *m_pages.value(address);
        page.bytes = html.size();
        page.text = pageText(html, "text/html", &page.encoding);
        return page;
    }

private:
    QHash<QString, const QByteArray*> m_pages;
};

// The count's observer; with a keeper, each page is kept as the window keeps it.
class BenchCount : public CountObserver {
public:
    explicit BenchCount(RunKeeper* keeper) : m_keeper(keeper) {}
    bool ignoreCase() const override { return true; }
    void setProgressValue(double) override {}
    void setProgressText(const QString&) override {}
    void siteFinished(const SiteOutcome& outcome) override
    {
        if (m_keeper)
            keeping += secondsOf([&] { m_keeper->siteFinished(outcome, true); });
    }
    void addRow(const CountRow& row) override { rows.push_back(row); }
    std::vector<CountRow> rows;
    double keeping = 0; // seconds spent keeping the pages

private:
    RunKeeper* m_keeper;
};

// One run of the text method over the pages, with or without keeping them; gives its total.
qint64 run(const QList<CorpusPage>& pages, RunKeeper* keeper, std::vector<CountRow>& rows,
           double* keeping = nullptr)
{
    CorpusSource source(pages);
    BenchCount count(keeper);
    CountRequest request;
    for (const CorpusPage& page : pages)
        request.sites << page.name;
    request.failures = FailurePolicy::OutcomesOnly;
    if (keeper)
        keeper->beginRun({});
    const CountSummary summary = countWithTextMethod(request, source, count);
    rows = std::move(count.rows);
    if (keeping)
        *keeping = count.keeping;
    return summary.total.value_or(0);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QList<CorpusPage> pages = corpusPages();
    if (pages.isEmpty()) {
        out() << "keep: no corpus pages in " << corpusFolder() << Qt::endl;
        return 0;
    }

    // Time added to a run: rounds with and without keeping, in turn, the best of each.
    std::vector<CountRow> rows;
    qint64 words = 0;
    std::vector<double> plain;
    std::vector<double> keeping;
    std::vector<double> inKeeping; // of each run that kept, the time its keeping took
    qint64 keptBytes = 0;
    // The program makes its store once, at its first run; each run after that adds to it.
    RunKeeper keeper;
    figure(QStringLiteral("keep_store_made"), secondsOf([&] { keeper.beginRun({}); }) * 1000, "ms",
           1);
    for (int round = 0; round < kRounds; ++round) {
        plain.push_back(secondsOf([&] { words = run(pages, nullptr, rows); }));
        double kept = 0;
        keeping.push_back(secondsOf([&] { run(pages, &keeper, rows, &kept); }));
        inKeeping.push_back(kept);
        keptBytes = keeper.store()->runBytes(keeper.run());
    }
    const double bestPlain = *std::min_element(plain.begin(), plain.end());
    const double bestKeeping = *std::min_element(keeping.begin(), keeping.end());
    out() << "keep: " << pages.size() << " corpus pages, " << words << " words" << Qt::endl;
    figure(QStringLiteral("keep_run_without_keeping"), bestPlain * 1000, "ms", 1);
    figure(QStringLiteral("keep_run_keeping_texts"), bestKeeping * 1000, "ms", 1);
    figure(QStringLiteral("keep_added_to_run"), (bestKeeping / bestPlain - 1) * 100, "%", 1);
    figure(QStringLiteral("keep_added_to_run_median"), (median(keeping) / median(plain) - 1) * 100,
           "%", 1);
    // Steadier on a busy machine: the time the keeping itself took, against the plain run.
    const double bestInKeeping = *std::min_element(inKeeping.begin(), inKeeping.end());
    figure(QStringLiteral("keep_time_in_keeping"), bestInKeeping * 1000, "ms", 1);
    figure(QStringLiteral("keep_time_in_keeping_share"), bestInKeeping / bestPlain * 100, "%", 1);
    figure(QStringLiteral("keep_text_kept"), double(keptBytes) / (1 << 20), "MiB", 2);

    // The most frequent word (the rows come least frequent first), and its concordance over
    // the kept texts, once and twice over.
    const QString word = rows.back().word;
    out() << "keep: most frequent word \"" << word << "\", " << rows.back().count << " uses"
          << Qt::endl;
    for (const int copies : {1, 2}) {
        KeptTexts store;
        const int kept = store.beginRun({});
        int site = 0;
        for (int copy = 0; copy < copies; ++copy) {
            for (const CorpusPage& corpus : pages) {
                FetchedPage page;
                page.address = corpus.name;
                page.outcome = FetchedPage::Outcome::Read;
                page.text = pageText(corpus.html, "text/html", &page.encoding);
                store.keep(kept, ++site, page, 0, true);
            }
        }
        const QString name = copies == 1 ? QStringLiteral("keep_concordance")
                                         : QStringLiteral("keep_concordance_pages_twice");
        Concordance found;
        const double find = bestSeconds(5, [&] { found = findConcordance(store, kept, word); });
        figure(name + QStringLiteral("_uses"), double(found.lines.size()), "uses", 0);
        figure(name + QStringLiteral("_find"), find * 1000, "ms", 1);
        // What the user waits for: the uses found, the view filled, shown and drawn.
        const double open = bestSeconds(3, [&] {
            NoDesktop desktop;
            ConcordanceView view(desktop);
            view.resize(1000, 700);
            view.setConcordance(findConcordance(store, kept, word));
            view.show();
            QApplication::processEvents();
            view.repaint();
        });
        figure(name + QStringLiteral("_open"), open * 1000, "ms", 1);
        Concordance sorted = found;
        const double sortLeft =
            secondsOf([&] { sortConcordance(sorted.lines, ConcordanceOrder::Left); });
        figure(name + QStringLiteral("_sort_left"), sortLeft * 1000, "ms", 1);
    }
    return 0;
}
