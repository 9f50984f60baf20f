// Keeping the counted texts, over the page corpus:
//  - a run of the corpus pages (each page's text walk, then its words split, cleaned and tallied
//    as the text method does) with and without keeping each page's text, in the same process,
//    rounds taken in turn; downloads are left out, so the share keeping adds is the most it can
//    be: a real run also waits for the network, and the database method also stores every word;
//  - the concordance of the most frequent word of the corpus pages, from the kept texts, and the
//    concordance view opened on it and drawn (offscreen); the same over the pages kept twice,
//    for a word with more than 50,000 uses.
#include "app/concordanceview.h"
#include "count/wordtally.h"
#include "fetch/pagetext.h"
#include "keep/concordance.h"
#include "keep/keptstore.h"
#include "platform/desktop.h"
#include "support/benchsupport.h"
#include "words/tokenizer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
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

// One run over the pages; with `store`, each page is kept as it is counted.
qint64 run(const QList<CorpusPage>& pages, KeptTexts* store, WordTally& tally)
{
    const int kept = store ? store->beginRun({}) : 0;
    TokenizerOptions options;
    options.ignoreCase = true;
    Tokenizer tokenizer(options);
    tally.clear();
    qint64 total = 0;
    int site = 0;
    for (const CorpusPage& corpus : pages) {
        FetchedPage page;
        page.address = corpus.name;
        page.url = QStringLiteral("http://corpus.example/") + corpus.name;
        page.outcome = FetchedPage::Outcome::Read;
        page.bytes = corpus.html.size();
        page.text = pageText(corpus.html, "text/html", &page.encoding);
        qint64 words = 0;
        tokenizer.forEachWord(page.text, [&](QStringView word) {
            tally.add(word);
            ++words;
        });
        total += words;
        if (store)
            store->keep(kept, ++site, page, words, true);
    }
    return total;
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
    WordTally tally;
    qint64 words = 0;
    std::vector<double> plain;
    std::vector<double> keeping;
    qint64 keptBytes = 0;
    for (int round = 0; round < kRounds; ++round) {
        plain.push_back(secondsOf([&] { words = run(pages, nullptr, tally); }));
        KeptTexts store;
        keeping.push_back(secondsOf([&] { run(pages, &store, tally); }));
        keptBytes = store.runBytes(store.runs().last());
    }
    const double bestPlain = *std::min_element(plain.begin(), plain.end());
    const double bestKeeping = *std::min_element(keeping.begin(), keeping.end());
    out() << "keep: " << pages.size() << " corpus pages, " << words << " words" << Qt::endl;
    figure(QStringLiteral("keep_run_without_keeping"), bestPlain * 1000, "ms", 1);
    figure(QStringLiteral("keep_run_keeping_texts"), bestKeeping * 1000, "ms", 1);
    figure(QStringLiteral("keep_added_to_run"), (bestKeeping / bestPlain - 1) * 100, "%", 1);
    figure(QStringLiteral("keep_added_to_run_median"), (median(keeping) / median(plain) - 1) * 100,
           "%", 1);
    figure(QStringLiteral("keep_text_kept"), double(keptBytes) / (1 << 20), "MiB", 2);

    // The most frequent word, and its concordance over the kept texts, once and twice over.
    const auto most = std::max_element(
        tally.entries().begin(), tally.entries().end(),
        [](const WordTally::Entry& a, const WordTally::Entry& b) { return a.count < b.count; });
    const QString word = most->word;
    out() << "keep: most frequent word \"" << word << "\", " << most->count << " uses" << Qt::endl;
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
