#include "sortingdb.h"

#include "count/countingview.h"
#include "count/enginesupport.h"
#include "count/pacing.h"
#include "count/pagewords.h"
#include "count/wordclean.h"
#include "count/wordtable.h"
#include "fetch/addressdisplay.h"
#include "fetch/pagesource.h"
#include "platform/files.h"
#include "platform/guard.h"
#include "platform/pointer.h"

namespace tv {

namespace {

QString countingCaption(const QString& name)
{
    return QStringLiteral("Counting words for ") + displayAddress(name) +
           QStringLiteral(", please wait... ");
}

// The words of one page into the table: each piece is shown in the caption as line.piece,
// cleaned, and stored unless it cleans away to nothing.
void storePageWords(CountingView& view, WordTable& table, Guard& g, int line, const QString& name,
                    const QString& text)
{
    const QString caption = countingCaption(name);
    QString buffer;
    QString storedBuffer;
    Pacer pacer;
    qsizetype lastLine = 1;
    qsizetype lastPiece = 1;
    forEachPiece(text, [&](QStringView piece, qsizetype lineNumber, qsizetype pieceNumber) {
        lastLine = lineNumber;
        lastPiece = pieceNumber;
        if (pacer.due()) {
            view.setProgressText(caption + QString::number(lineNumber) + u'.' +
                                 QString::number(pieceNumber));
            Yield();
        }
        const QStringView word = cleanWordView(piece, view.ignoreCase(), buffer);
        if (!word.isEmpty())
            g.run(line, [&] { table.add(storedWordView(word, storedBuffer)); });
    });
    view.setProgressText(caption + QString::number(lastLine) + u'.' + QString::number(lastPiece));
}

// The query's rows into the results list, in the query's order; gives the sum of the counts.
// Counting per site, `site` goes in front of every row.
qint64 appendRows(CountingView& view, Guard& g, int line, const std::vector<WordCount>& rows,
                  const QString* site)
{
    const QString caption =
        site ? countingCaption(*site) : QStringLiteral("Counting words, please wait... ");
    const double shares = double(rows.size()) + 1.0;
    const auto showRow = [&](qsizetype r) {
        if (!site)
            view.setProgressValue(double(r) / shares * 100.0);
        view.setProgressText(caption + QString::number(r));
    };
    qint64 total = 0;
    CountTexts counts;
    Pacer pacer;
    qsizetype r = 0;
    for (const WordCount& row : rows) {
        ++r;
        if (pacer.due()) {
            Yield();
            showRow(r);
        }
        g.run(line, [&] {
            if (site)
                view.appendResult(*site, row.word, counts.text(row.count));
            else
                view.appendResult(row.word, counts.text(row.count), QString());
            total += row.count;
        });
    }
    if (r > 0)
        showRow(r);
    return total;
}

// Reads site row `row`; false (reported) when it is gone, so that the row is left out rather
// than counted under the previous row's address.
bool readSite(CountingView& view, Guard& g, int line, int row, QString& address)
{
    return g.value(line, false, [&] {
        address = view.siteText(row);
        return true;
    });
}

void showSorting(CountingView& view, Guard& g, int line)
{
    g.run(line, [&] {
        Yield();
        view.setProgressText(QStringLiteral("Sorting words, please wait..."));
        Yield();
    });
}

qint64 countCombined(CountingView& view, PageSource& pages, WordTable& table, Guard& g)
{
    const int sites = g.value(106, 0, [&] { return view.siteCount(); });
    g.run(108, [&] { announceSites(view, pages, sites); });
    g.run(110, [&] { table.beginCount(); });
    for (int row = 1; row <= sites; ++row) {
        QString address;
        if (!readSite(view, g, 112, row, address))
            continue;
        const QString name = FileNameFromPath(address);
        g.run(114, [&] {
            view.setProgressText(QStringLiteral("Processing: ") + displayAddress(name));
            view.setProgressValue(double(row) / double(sites + 1) * 100.0);
        });
        g.run(116, [&] {
            Yield();
            view.setPointerMode(PointerHourglass);
        });
        QString text;
        g.run(118, [&] { text = fetchUrl(pages, address); });
        storePageWords(view, table, g, 120, name, text);
    }
    g.run(122, [&] { table.flush(); });
    g.run(124, [&] { table.endCount(); });
    showSorting(view, g, 126);
    std::vector<WordCount> rows;
    g.run(128, [&] { rows = table.query(); });
    return appendRows(view, g, 130, rows, nullptr);
}

qint64 countPerSite(CountingView& view, PageSource& pages, WordTable& table, Guard& g)
{
    qint64 total = 0;
    const int sites = g.value(134, 0, [&] { return view.siteCount(); });
    g.run(136, [&] { announceSites(view, pages, sites); });
    for (int row = 1; row <= sites; ++row) {
        QString address;
        if (!readSite(view, g, 138, row, address))
            continue;
        const QString name = FileNameFromPath(address);
        g.run(140, [&] {
            view.setProgressText(QStringLiteral("Processing: ") + displayAddress(name));
            view.setProgressValue(double(row) / double(sites + 1) * 100.0);
        });
        g.run(142, [&] { view.setPointerMode(PointerHourglass); });
        // A table that cannot be emptied still holds the last site's words, which would be
        // counted again under this one: the run ends here.
        if (!g.value(144, false, [&] {
                table.clear();
                return true;
            }))
            break;
        g.run(146, [&] { table.beginCount(); });
        QString text;
        g.run(148, [&] { text = fetchUrl(pages, address); });
        storePageWords(view, table, g, 150, name, text);
        g.run(152, [&] { table.flush(); });
        g.run(154, [&] { table.endCount(); });
        showSorting(view, g, 156);
        std::vector<WordCount> rows;
        g.run(158, [&] { rows = table.query(); });
        total += appendRows(view, g, 160, rows, &name);
    }
    return total;
}

} // namespace

void SortingDB(CountingView& view, PageSource& pages, const QString& databasePath)
{
    Guard g(QStringLiteral("Sorting"), QStringLiteral("SortingDB"));
    WordTable table;
    // Without its database the run has nothing to work with: one report, then stop.
    if (!g.value(100, false, [&] {
            table.open(databasePath);
            return true;
        }))
        return;
    // Rows left from an earlier run would be counted as words of this one.
    if (!g.value(102, false, [&] {
            table.clear();
            return true;
        }))
        return;
    qint64 total = 0;
    if (g.test(104, [&] { return view.combinedSelected(); }))
        total = countCombined(view, pages, table, g);
    else if (g.test(132, [&] { return view.perSiteSelected(); }))
        total = countPerSite(view, pages, table, g);
    g.run(162, [&] {
        view.setFirstColumnCaption(QStringLiteral("Results - Word Count: ") +
                                   QString::number(total));
    });
}

} // namespace tv
