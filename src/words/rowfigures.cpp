#include "rowfigures.h"

#include "words/rowfilters.h"

#include <QHash>
#include <QSet>

namespace tv {

CountFigures figuresOf(const WordRows& rows)
{
    CountFigures figures;
    for (const WordRow& row : rows) {
        figures.total += row.count;
        if (row.count > 0)
            ++figures.distinct;
    }
    return figures;
}

CountFigures figuresOf(const std::vector<NamedCount>& counts)
{
    CountFigures figures;
    QSet<QString> seen;
    for (const NamedCount& count : counts) {
        for (const WordRow& row : count.rows) {
            figures.total += row.count;
            if (row.count > 0)
                seen.insert(row.word);
        }
    }
    figures.distinct = seen.size();
    return figures;
}

void withShares(WordRows& rows)
{
    const qint64 total = figuresOf(rows).total;
    for (WordRow& row : rows)
        row.share = total > 0 ? double(row.count) * 100.0 / double(total) : 0.0;
}

QString shareText(double percent)
{
    return QString::number(percent, 'f', 2);
}

void withPages(WordRows& rows, const std::vector<NamedCount>& pages)
{
    struct Seen {
        int pages = 0;
        int lastPage = -1; // a word listed twice on one page counts once
    };
    QHash<QString, Seen> seen;
    for (int p = 0; p < int(pages.size()); ++p) {
        for (const WordRow& row : pages[size_t(p)].rows) {
            if (row.count <= 0)
                continue;
            Seen& s = seen[row.word];
            if (s.lastPage != p) {
                ++s.pages;
                s.lastPage = p;
            }
        }
    }
    for (WordRow& row : rows)
        row.pages = seen.value(row.word).pages;
}

WordRows combineCounts(const std::vector<NamedCount>& pages)
{
    QHash<QString, qint64> sums;
    for (const NamedCount& page : pages) {
        for (const WordRow& row : page.rows)
            sums[row.word] += row.count;
    }
    WordRows rows;
    rows.reserve(size_t(sums.size()));
    for (auto it = sums.cbegin(); it != sums.cend(); ++it)
        rows.push_back({it.key(), it.value()});
    sortRows(rows, RowOrder::Count);
    return rows;
}

} // namespace tv
