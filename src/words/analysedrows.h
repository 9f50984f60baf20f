#pragma once
// The rows of a finished count after the word analysis: each count's share column worked out on
// all its rows, the pages column from each page's own count, then the filters and the order,
// each site's rows on their own in a per-site count. Laid out as the results list lays out a
// count's rows, with "Share" and "Pages" after the count when asked for.
#include "results/countedrows.h"
#include "words/analysisoptions.h"
#include "words/rowfigures.h"
#include "words/wordrows.h"

#include <vector>

namespace tv {

class AnalysedRows : public ResultRows {
public:
    // `starts`: the row (from 0) where each count of a per-site run begins, in order; `pages`:
    // each page's own count, for the pages column.
    AnalysedRows(const CountedRows& counted, const std::vector<int>& starts,
                 const AnalysisOptions& options, const std::vector<NamedCount>& pages);

    bool isPerSite() const { return m_perSite; }
    // The words counted and the distinct ones, before any filter.
    const CountFigures& figures() const { return m_figures; }
    // The rows of a count over all sites, as filtered and ordered; empty in a per-site count.
    WordRows combinedRows() const;
    void setFirstCaption(const QString& caption) { m_captions.first() = caption; }
    // The names of the columns after the count's ("share", "pages"), as the machine-readable
    // outputs name them.
    QStringList extraColumnNames() const;

    int columns() const override { return int(m_captions.size()); }
    QString caption(int column) const override;
    int rows() const override { return int(m_rows.size()); }
    QString cell(int row, int column) const override;
    bool isChecked(int row) const override;

private:
    struct Row {
        qsizetype site; // into m_sites
        WordRow word;
    };

    bool m_perSite;
    bool m_share;
    bool m_pages;
    QStringList m_captions;
    QStringList m_sites;
    std::vector<Row> m_rows;
    CountFigures m_figures;
};

} // namespace tv
