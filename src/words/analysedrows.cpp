#include "words/analysedrows.h"

#include "platform/failure.h"
#include "words/rowfilters.h"

namespace tv {

AnalysedRows::AnalysedRows(const CountedRows& counted, const std::vector<int>& starts,
                           const AnalysisOptions& options, const std::vector<NamedCount>& pages)
    : m_perSite(counted.isPerSite()), m_share(options.withShare),
      m_pages(options.withPages && !counted.isPerSite())
{
    for (int c = 1; c <= counted.columns(); ++c)
        m_captions << counted.caption(c);
    if (m_share)
        m_captions << QStringLiteral("Share");
    if (m_pages)
        m_captions << QStringLiteral("Pages");

    // One count over all sites is one group; a per-site count one group per site.
    std::vector<int> bounds;
    if (m_perSite)
        bounds = starts;
    if (bounds.empty() || bounds.front() != 0)
        bounds.insert(bounds.begin(), 0);
    bounds.push_back(counted.rows());

    std::vector<NamedCount> counts;
    for (size_t b = 0; b + 1 < bounds.size(); ++b) {
        if (bounds[b] >= bounds[b + 1])
            continue;
        NamedCount count;
        count.name = counted.row(bounds[b] + 1).site;
        count.rows.reserve(size_t(bounds[b + 1] - bounds[b]));
        for (int r = bounds[b]; r < bounds[b + 1]; ++r) {
            const CountRow& row = counted.row(r + 1);
            count.rows.push_back({row.word, row.count});
        }
        counts.push_back(std::move(count));
    }
    m_figures = m_perSite ? figuresOf(counts)
                          : (counts.empty() ? CountFigures{} : figuresOf(counts.front().rows));

    for (NamedCount& count : counts) {
        if (m_share)
            withShares(count.rows);
        if (m_pages)
            withPages(count.rows, pages);
        count.rows = filterRows(std::move(count.rows), options.filters);
        m_sites << count.name;
        for (WordRow& row : count.rows)
            m_rows.push_back({m_sites.size() - 1, std::move(row)});
    }
}

WordRows AnalysedRows::combinedRows() const
{
    WordRows rows;
    if (m_perSite)
        return rows;
    rows.reserve(m_rows.size());
    for (const Row& row : m_rows)
        rows.push_back(row.word);
    return rows;
}

QStringList AnalysedRows::extraColumnNames() const
{
    QStringList names;
    if (m_share)
        names << QStringLiteral("share");
    if (m_pages)
        names << QStringLiteral("pages");
    return names;
}

QString AnalysedRows::caption(int column) const
{
    if (column < 1 || column > m_captions.size())
        throw Failure(QStringLiteral("Index out of bounds"));
    return m_captions[column - 1];
}

QString AnalysedRows::cell(int row, int column) const
{
    if (row < 1 || row > rows())
        throw Failure(QStringLiteral("Index out of bounds"));
    const Row& r = m_rows[size_t(row - 1)];
    int c = column - (m_perSite ? 1 : 0);
    if (c == 0)
        return m_sites[r.site];
    if (c == 1)
        return r.word.word;
    if (c == 2)
        return QString::number(r.word.count);
    if (m_share && c == 3)
        return shareText(r.word.share);
    if (m_pages && c == (m_share ? 4 : 3))
        return QString::number(r.word.pages);
    return {};
}

bool AnalysedRows::isChecked(int row) const
{
    if (row < 1 || row > rows())
        throw Failure(QStringLiteral("Index out of bounds"));
    return true;
}

} // namespace tv
