#include "sortingtext.h"

#include "count/countingview.h"
#include "count/enginesupport.h"
#include "count/pacing.h"
#include "count/pagewords.h"
#include "count/wordclean.h"
#include "count/wordtally.h"
#include "fetch/pagesource.h"
#include "fetch/removetags.h"
#include "platform/guard.h"

#include <algorithm>

namespace tv {

namespace {

// Sorting this many keys takes long enough to be done away from the window's thread.
constexpr qsizetype kSortAside = 20000;

// One count runs through the procedures below over its text: one page, or every page of the
// run where the combined text puts a blank after each page. Pieces never span two pages, so
// the pages are walked one after the other instead of being copied into one text.

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
        Yield();
    }
    return ends;
}

// Procedure A: the lines in order, showing the position per line; gives the number of words.
qint64 splitWords(CountingView& view, const QStringList& pages)
{
    std::vector<qsizetype> lineEnds;
    qsizetype allEnds = 0;
    for (const QString& page : pages) {
        lineEnds.push_back(countLineEndsYielding(page));
        allEnds += lineEnds.back();
    }
    // The text gets a closing line feed, so its last line is an empty one.
    const double lines = double(allEnds + 2);
    qint64 words = 0;
    qsizetype lineBase = 0;
    Pacer pacer;
    for (qsizetype p = 0; p < pages.size(); ++p) {
        forEachPiece(pages[p], [&](QStringView piece, qsizetype line, qsizetype) {
            if (!piece.isEmpty())
                ++words;
            if (pacer.due()) {
                view.setProgressValue(double(lineBase + line) / lines * 100.0);
                Yield();
            }
        });
        lineBase += lineEnds[size_t(p)];
    }
    view.setProgressValue(100.0);
    return words;
}

// Procedures B and C in one walk: every word cleaned, then tallied; the position per word.
// "Ignore letter case" is read for every word, so a change during the run applies to the
// words still to come.
void tallyWords(CountingView& view, const QStringList& pages, qint64 words, WordTally& tally)
{
    if (words == 0)
        return;
    qint64 index = 0;
    QString buffer;
    Pacer pacer;
    for (const QString& page : pages) {
        forEachPiece(page, [&](QStringView piece, qsizetype, qsizetype) {
            if (piece.isEmpty())
                return;
            ++index;
            if (pacer.due()) {
                view.setProgressValue(double(index) / double(words) * 100.0);
                Yield();
            }
            const QStringView word = cleanWordView(piece, view.ignoreCase(), buffer);
            if (!word.isEmpty())
                tally.add(word);
        });
    }
    view.setProgressValue(100.0);
}

// Procedure D: one sort key per tally entry, the position per entry.
QStringList sortKeys(CountingView& view, Guard& g, int line, const WordTally& tally)
{
    QStringList keys;
    keys.reserve(tally.size());
    const double entries = double(tally.size());
    Pacer pacer;
    qsizetype index = 0;
    for (const WordTally::Entry& entry : tally.entries()) {
        ++index;
        if (pacer.due()) {
            view.setProgressValue(double(index) / entries * 100.0);
            Yield();
        }
        g.run(line, [&] { keys << PadCount(QString::number(entry.count) + u' ' + entry.word); });
    }
    if (!keys.isEmpty())
        view.setProgressValue(100.0);
    return keys;
}

// Procedure E: keys in ascending order. A stable sort gives the order of a bubble sort that
// swaps only strictly greater neighbours.
void sortKeysInPlace(QStringList& keys)
{
    if (keys.size() < kSortAside) {
        std::stable_sort(keys.begin(), keys.end());
        return;
    }
    runAside([&keys] { std::stable_sort(keys.begin(), keys.end()); });
}

// Procedure F: one row per key, with the site in front when counting per site; gives the
// sum of the counts.
qint64 outputRows(CountingView& view, Guard& g, int line, const QStringList& keys,
                  const QString* site)
{
    qint64 total = 0;
    CountTexts counts;
    Pacer pacer;
    for (const QString& key : keys) {
        if (pacer.due())
            Yield();
        g.run(line, [&] {
            const QString unpadded = UnpadCount(key);
            const qsizetype space = unpadded.indexOf(u' ');
            const qint64 count = unpadded.left(space).toLongLong();
            const QString word = displayWord(unpadded.mid(space + 1));
            if (site)
                view.appendResult(*site, word, counts.text(count));
            else
                view.appendResult(word, counts.text(count), QString());
            total += count;
        });
    }
    return total;
}

void countCombined(CountingView& view, PageSource& pages, Guard& g)
{
    QStringList texts;
    const int sites = g.value(102, 0, [&] { return view.siteCount(); });
    g.run(104, [&] { announceSites(view, pages, sites); });
    for (int row = 1; row <= sites; ++row) {
        Yield();
        QString page;
        g.run(106, [&] { page = fetchUrl(pages, view.siteText(row)); });
        texts << page;
    }
    // Without any site the combined text is empty: nothing to count, nothing to show.
    if (texts.isEmpty())
        return;
    WordTally tally;
    qint64 words = 0;
    g.run(108, [&] { words = splitWords(view, texts); });
    g.run(110, [&] { tallyWords(view, texts, words, tally); });
    texts.clear();
    QStringList keys = sortKeys(view, g, 112, tally);
    tally.clear();
    g.run(114, [&] { sortKeysInPlace(keys); });
    const qint64 total = outputRows(view, g, 116, keys, nullptr);
    g.run(118, [&] {
        view.setFirstColumnCaption(QStringLiteral("Results (Total Word Count: ") +
                                   QString::number(total) + u')');
    });
}

void countPerSite(CountingView& view, PageSource& pages, Guard& g)
{
    qint64 total = 0;
    const int sites = g.value(122, 0, [&] { return view.siteCount(); });
    g.run(124, [&] { announceSites(view, pages, sites); });
    for (int row = 1; row <= sites; ++row) {
        Yield();
        QString address;
        // A row that cannot be read is reported and left out, rather than counted under the
        // previous row's address.
        if (!g.value(126, false, [&] {
                address = view.siteText(row);
                return true;
            }))
            continue;
        QString page;
        g.run(128, [&] { page = removeTags(fetchUrl(pages, address)); });
        if (page.isEmpty())
            continue;
        const QStringList texts{page};
        page.clear();
        WordTally tally;
        qint64 words = 0;
        g.run(130, [&] { words = splitWords(view, texts); });
        g.run(132, [&] { tallyWords(view, texts, words, tally); });
        QStringList keys = sortKeys(view, g, 134, tally);
        tally.clear();
        g.run(136, [&] { sortKeysInPlace(keys); });
        total += outputRows(view, g, 138, keys, &address);
    }
    g.run(140, [&] {
        view.setFirstColumnCaption(QStringLiteral("Results (Total Word Count: ") +
                                   QString::number(total) + u')');
    });
}

} // namespace

void SortingText(CountingView& view, PageSource& pages)
{
    Guard g(QStringLiteral("Sorting"), QStringLiteral("SortingText"));
    if (g.test(100, [&] { return view.combinedSelected(); }))
        countCombined(view, pages, g);
    else if (g.test(120, [&] { return view.perSiteSelected(); }))
        countPerSite(view, pages, g);
}

} // namespace tv
