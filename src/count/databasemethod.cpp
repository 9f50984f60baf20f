#include "count/databasemethod.h"

#include "count/countobserver.h"
#include "count/pacing.h"
#include "count/pagewords.h"
#include "count/siterun.h"
#include "count/wordclean.h"
#include "count/wordsplitter.h"
#include "count/wordtable.h"
#include "fetch/addressdisplay.h"
#include "platform/files.h"
#include "platform/guard.h"

#include <utility>

namespace tv {

namespace {

QString countingCaption(const QString& name)
{
    return QStringLiteral("Counting words for ") + displayAddress(name) +
           QStringLiteral(", please wait... ");
}

// The words the run's splitter makes of one page into the table, the caption showing how many
// are stored so far. Gives the number of words stored.
qint64 storeSplitWords(CountObserver& observer, WordTable& table, Guard& g, int line,
                       WordSplitter& splitter, int site, const QString& name, const QString& text)
{
    const QString caption = countingCaption(name);
    Pacer pacer;
    qint64 words = 0;
    g.run(line, [&] {
        splitter.splitPage(site, text, observer.ignoreCase(), [&](QStringView word) {
            if (pacer.due()) {
                observer.setProgressText(caption + QString::number(words));
                yieldToWindow();
            }
            g.run(line, [&] { table.add(word); });
            ++words;
        });
    });
    observer.setProgressText(caption + QString::number(words));
    return words;
}

// The words of one page into the table: each piece is shown in the caption as line.piece,
// cleaned, and stored unless it cleans away to nothing. Gives the number of words stored.
qint64 storePageWords(const SiteRun& run, int site, CountObserver& observer, WordTable& table,
                      Guard& g, int line, const QString& name, const QString& text)
{
    if (WordSplitter* splitter = run.splitter())
        return storeSplitWords(observer, table, g, line, *splitter, site, name, text);
    const QString caption = countingCaption(name);
    QString buffer;
    Pacer pacer;
    qsizetype lastLine = 1;
    qsizetype lastPiece = 1;
    qint64 words = 0;
    forEachPiece(text, [&](QStringView piece, qsizetype lineNumber, qsizetype pieceNumber) {
        lastLine = lineNumber;
        lastPiece = pieceNumber;
        if (pacer.due()) {
            observer.setProgressText(caption + QString::number(lineNumber) + u'.' +
                                     QString::number(pieceNumber));
            yieldToWindow();
        }
        const QStringView word = cleanWordView(piece, observer.ignoreCase(), buffer);
        if (word.isEmpty())
            return;
        g.run(line, [&] { table.add(word); });
        ++words;
    });
    observer.setProgressText(caption + QString::number(lastLine) + u'.' +
                             QString::number(lastPiece));
    return words;
}

// The query's rows handed over in the query's order; gives the sum of the counts. Counting per
// site, `site` goes in front of every row.
qint64 addRows(CountObserver& observer, Guard& g, int line, const std::vector<WordCount>& rows,
               const QString* site)
{
    const QString caption =
        site ? countingCaption(*site) : QStringLiteral("Counting words, please wait... ");
    const double shares = double(rows.size()) + 1.0;
    const auto showRow = [&](qsizetype r) {
        if (!site)
            observer.setProgressValue(double(r) / shares * 100.0);
        observer.setProgressText(caption + QString::number(r));
    };
    qint64 total = 0;
    Pacer pacer;
    qsizetype r = 0;
    for (const WordCount& row : rows) {
        ++r;
        if (pacer.due()) {
            yieldToWindow();
            showRow(r);
        }
        g.run(line, [&] {
            observer.addRow({site ? *site : QString(), row.word, row.count});
            total += row.count;
        });
    }
    if (r > 0)
        showRow(r);
    return total;
}

void showSorting(ProgressSink& progress, Guard& g, int line)
{
    g.run(line, [&] {
        yieldToWindow();
        progress.setProgressText(QStringLiteral("Sorting words, please wait..."));
        yieldToWindow();
    });
}

void showSite(ProgressSink& progress, Guard& g, int line, const QString& name, int site, int sites)
{
    g.run(line, [&] {
        progress.setProgressText(QStringLiteral("Processing: ") + displayAddress(name));
        progress.setProgressValue(double(site) / double(sites + 1) * 100.0);
    });
}

// Every page's words into one count, grouped once at the end.
qint64 countCombined(SiteRun& run, CountObserver& observer, WordTable& table, Guard& g)
{
    g.run(108, [&] { run.announce(); });
    g.run(110, [&] { table.beginCount(); });
    for (int site = 1; site <= run.sites(); ++site) {
        if (!run.goOn())
            break;
        const QString name = textAfterLastBackslash(run.address(site));
        showSite(observer, g, 114, name, site, run.sites());
        g.run(116, [&] {
            yieldToWindow();
            observer.showBusy();
        });
        FetchedPage page;
        g.run(118, [&] { page = run.fetch(site); });
        const QString text = std::exchange(page.text, QString());
        const qint64 words = storePageWords(run, site, observer, table, g, 120, name, text);
        run.finish(site, std::move(page), words);
    }
    g.run(122, [&] { table.flush(); });
    g.run(124, [&] { table.endCount(); });
    showSorting(observer, g, 126);
    std::vector<WordCount> rows;
    g.run(128, [&] { rows = table.query(); });
    return addRows(observer, g, 130, rows, nullptr);
}

// One count per site: the table emptied, filled with the page's words and grouped, site by
// site.
qint64 countPerSite(SiteRun& run, CountObserver& observer, WordTable& table, Guard& g)
{
    qint64 total = 0;
    g.run(136, [&] { run.announce(); });
    for (int site = 1; site <= run.sites(); ++site) {
        if (!run.goOn())
            break;
        const QString name = textAfterLastBackslash(run.address(site));
        showSite(observer, g, 140, name, site, run.sites());
        g.run(142, [&] { observer.showBusy(); });
        // A table that cannot be emptied still holds the last site's words, which would be
        // counted again under this one: the run ends here.
        if (!g.value(144, false, [&] {
                table.clear();
                return true;
            }))
            break;
        g.run(146, [&] { table.beginCount(); });
        FetchedPage page;
        g.run(148, [&] { page = run.fetch(site); });
        const QString text = std::exchange(page.text, QString());
        const qint64 words = storePageWords(run, site, observer, table, g, 150, name, text);
        run.finish(site, std::move(page), words);
        g.run(152, [&] { table.flush(); });
        g.run(154, [&] { table.endCount(); });
        showSorting(observer, g, 156);
        std::vector<WordCount> rows;
        g.run(158, [&] { rows = table.query(); });
        total += addRows(observer, g, 160, rows, &name);
    }
    return total;
}

} // namespace

CountSummary countWithDatabaseMethod(const CountRequest& request, PageSource& pages,
                                     CountObserver& observer, const QString& databasePath)
{
    CountSummary summary;
    SiteRun run(request, pages, observer, summary);
    Guard g(location::databaseMethod());
    WordTable table;
    // Without its database the run has nothing to work with: one report, then stop.
    if (!g.value(100, false, [&] {
            table.open(databasePath);
            return true;
        }))
        return summary;
    // Rows left from an earlier run would be counted as words of this one.
    if (!g.value(102, false, [&] {
            table.clear();
            return true;
        }))
        return summary;
    summary.started = true;
    qint64 total = 0;
    if (g.test(104, [&] { return request.mode == CountMode::Combined; }))
        total = countCombined(run, observer, table, g);
    else if (g.test(132, [&] { return request.mode == CountMode::PerSite; }))
        total = countPerSite(run, observer, table, g);
    summary.total = total;
    summary.otherReports = run.otherReports();
    return summary;
}

} // namespace tv
