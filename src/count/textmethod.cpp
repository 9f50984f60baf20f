#include "count/textmethod.h"

#include "count/countobserver.h"
#include "count/pacing.h"
#include "count/pagewords.h"
#include "count/siterun.h"
#include "count/sortkeys.h"
#include "count/wordclean.h"
#include "count/wordsplitter.h"
#include "count/wordtally.h"
#include "fetch/removetags.h"
#include "platform/guard.h"

#include <algorithm>
#include <utility>

namespace tv {

namespace {

// Sorting this many keys takes long enough to be done away from the window's thread.
constexpr qsizetype kSortAside = 20000;

// Line ends of a page, counted a slice at a time with a yield between slices: a page can hold
// millions of characters.
qsizetype countLineEndsYielding(const QString& page)
{
    constexpr qsizetype kSlice = 1 << 20;
    qsizetype ends = 0;
    for (qsizetype start = 0; start < page.size();) {
        qsizetype size = std::min(kSlice, page.size() - start);
        // A carriage return and its line feed stay in one slice.
        if (start + size < page.size() && page[start + size - 1] == u'\r')
            ++size;
        ends += countLineEnds(QStringView(page).mid(start, size));
        start += size;
        yieldToWindow();
    }
    return ends;
}

// The pieces of a page that hold something, walked line by line with the position shown per
// line; gives their number.
qint64 countWords(ProgressSink& progress, const QString& page)
{
    // The text gets a closing line feed, so its last line is an empty one.
    const double lines = double(countLineEndsYielding(page) + 2);
    qint64 words = 0;
    Pacer pacer;
    forEachPiece(page, [&](QStringView piece, qsizetype line, qsizetype) {
        if (!piece.isEmpty())
            ++words;
        if (pacer.due()) {
            progress.setProgressValue(double(line) / lines * 100.0);
            yieldToWindow();
        }
    });
    progress.setProgressValue(100.0);
    return words;
}

// Every word of the page cleaned, then tallied, with the position shown per word; gives the
// number of words tallied. "Ignore letter case" is asked for every word, so a change during
// the run applies to the words still to come.
qint64 tallyWords(CountObserver& observer, const QString& page, qint64 words, WordTally& tally)
{
    if (words == 0)
        return 0;
    qint64 index = 0;
    qint64 tallied = 0;
    QString buffer;
    Pacer pacer;
    forEachPiece(page, [&](QStringView piece, qsizetype, qsizetype) {
        if (piece.isEmpty())
            return;
        ++index;
        if (pacer.due()) {
            observer.setProgressValue(double(index) / double(words) * 100.0);
            yieldToWindow();
        }
        const QStringView word = cleanWordView(piece, observer.ignoreCase(), buffer);
        if (!word.isEmpty()) {
            tally.add(word);
            ++tallied;
        }
    });
    observer.setProgressValue(100.0);
    return tallied;
}

// Every word the splitter makes of the page, tallied; gives the number tallied. The splitter
// does not tell where in the page it is, so the position is shown only at the end.
qint64 tallySplitWords(CountObserver& observer, WordSplitter& splitter, int site,
                       const QString& page, WordTally& tally)
{
    qint64 tallied = 0;
    Pacer pacer;
    splitter.splitPage(site, page, observer.ignoreCase(), [&](QStringView word) {
        tally.add(word);
        ++tallied;
        if (pacer.due())
            yieldToWindow();
    });
    observer.setProgressValue(100.0);
    return tallied;
}

// One page's words into `tally`, by the two steps above (or by the run's splitter); gives the
// number of words tallied.
qint64 tallyPage(const SiteRun& run, int site, CountObserver& observer, Guard& g, int line,
                 const QString& page, WordTally& tally)
{
    if (WordSplitter* splitter = run.splitter()) {
        qint64 tallied = 0;
        g.run(line + 2, [&] { tallied = tallySplitWords(observer, *splitter, site, page, tally); });
        return tallied;
    }
    qint64 words = 0;
    g.run(line, [&] { words = countWords(observer, page); });
    qint64 tallied = 0;
    g.run(line + 2, [&] { tallied = tallyWords(observer, page, words, tally); });
    return tallied;
}

// One sort key per tally entry ("00000000003 apple"), with the position shown per entry.
QStringList sortKeys(ProgressSink& progress, Guard& g, int line, const WordTally& tally)
{
    QStringList keys;
    keys.reserve(tally.size());
    const double entries = double(tally.size());
    Pacer pacer;
    qsizetype index = 0;
    for (const WordTally::Entry& entry : tally.entries()) {
        ++index;
        if (pacer.due()) {
            progress.setProgressValue(double(index) / entries * 100.0);
            yieldToWindow();
        }
        g.run(line, [&] { keys << padCount(QString::number(entry.count) + u' ' + entry.word); });
    }
    if (!keys.isEmpty())
        progress.setProgressValue(100.0);
    return keys;
}

// Keys in ascending order: least frequent first, equal counts by the words' code units. A
// stable sort gives the order of a bubble sort that swaps only strictly greater neighbours.
void sortKeysInPlace(QStringList& keys)
{
    if (keys.size() < kSortAside) {
        std::stable_sort(keys.begin(), keys.end());
        return;
    }
    runAside([&keys] { std::stable_sort(keys.begin(), keys.end()); });
}

// One row per key, with the site in front when counting per site; gives the sum of the counts.
qint64 addRows(CountObserver& observer, Guard& g, int line, const QStringList& keys,
               const QString* site)
{
    qint64 total = 0;
    Pacer pacer;
    for (const QString& key : keys) {
        if (pacer.due())
            yieldToWindow();
        g.run(line, [&] {
            const QString unpadded = unpadCount(key);
            const qsizetype space = unpadded.indexOf(u' ');
            const qint64 count = unpadded.left(space).toLongLong();
            const QString word = displayWord(unpadded.mid(space + 1));
            observer.addRow({site ? *site : QString(), word, count});
            total += count;
        });
    }
    return total;
}

// Sorts the tally's words and hands them over as rows; gives the sum of the counts.
qint64 showTally(CountObserver& observer, Guard& g, int line, WordTally& tally, const QString* site)
{
    QStringList keys = sortKeys(observer, g, line, tally);
    tally.clear();
    g.run(line + 2, [&] { sortKeysInPlace(keys); });
    return addRows(observer, g, line + 4, keys, site);
}

// Every page tallied as it comes and added to one tally of the whole run, so that no page's
// text is kept once its words are counted.
void countCombined(SiteRun& run, CountObserver& observer, Guard& g, CountSummary& summary)
{
    g.run(104, [&] { run.announce(); });
    WordTally tally;
    for (int site = 1; site <= run.sites(); ++site) {
        if (!run.goOn())
            break;
        yieldToWindow();
        FetchedPage page;
        g.run(106, [&] { page = run.fetch(site); });
        const QString text = std::exchange(page.text, QString());
        WordTally pageTally;
        const qint64 words = tallyPage(run, site, observer, g, 108, text, pageTally);
        run.finish(site, std::move(page), words, &pageTally);
        tally.add(pageTally);
    }
    // Without any site there is nothing to count and nothing to show.
    if (run.sites() == 0)
        return;
    summary.total = showTally(observer, g, 112, tally, nullptr);
}

// Each page cut down to its body, tallied and shown before the next page is read.
void countPerSite(SiteRun& run, CountObserver& observer, Guard& g, CountSummary& summary)
{
    qint64 total = 0;
    g.run(124, [&] { run.announce(); });
    for (int site = 1; site <= run.sites(); ++site) {
        if (!run.goOn())
            break;
        yieldToWindow();
        FetchedPage page;
        g.run(128, [&] {
            page = run.fetch(site);
            page.text = removeTags(page.text);
        });
        const QString text = std::exchange(page.text, QString());
        if (text.isEmpty()) {
            run.finish(site, std::move(page), 0);
            continue;
        }
        WordTally tally;
        const qint64 words = tallyPage(run, site, observer, g, 130, text, tally);
        run.finish(site, std::move(page), words, &tally);
        total += showTally(observer, g, 134, tally, &run.address(site));
    }
    summary.total = total;
}

} // namespace

CountSummary countWithTextMethod(const CountRequest& request, PageSource& pages,
                                 CountObserver& observer)
{
    CountSummary summary;
    summary.started = true;
    SiteRun run(request, pages, observer, summary);
    Guard g(location::textMethod());
    if (g.test(100, [&] { return request.mode == CountMode::Combined; }))
        countCombined(run, observer, g, summary);
    else if (g.test(120, [&] { return request.mode == CountMode::PerSite; }))
        countPerSite(run, observer, g, summary);
    summary.otherReports = run.otherReports();
    return summary;
}

} // namespace tv
