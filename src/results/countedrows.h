#pragma once
// A count's rows as the results list lays them out: site, word and count per site; word and
// count for one count over all sites. The window appends them to its list; the command line
// keeps them as they are and writes them out.
#include "count/countresults.h"
#include "results/resultrows.h"
#include "results/resultslayout.h"

#include <vector>

namespace tv {

class CountTexts;
class ResultsModel;

// Appends `row` to `list` in the per-site layout or the combined one.
void appendCountRow(ResultsModel& list, bool perSite, const CountRow& row, CountTexts& counts);

// The rows of one count, in the layout of its kind, every row ticked.
class CountedRows : public ResultRows {
public:
    explicit CountedRows(bool perSite);

    bool isPerSite() const { return m_perSite; }
    void add(const CountRow& row) { m_rows.push_back(row); }
    // Row `row` (from 1). Throws Failure when there is no such row.
    const CountRow& row(int row) const;
    // The first column's caption, which a run sets to its total.
    void setFirstCaption(const QString& caption) { m_columns.first().caption = caption; }

    int columns() const override { return int(m_columns.size()); }
    QString caption(int column) const override;
    int rows() const override { return int(m_rows.size()); }
    // The count's column holds the count in decimal.
    QString cell(int row, int column) const override;
    bool isChecked(int row) const override;

private:
    bool m_perSite;
    QList<ResultColumn> m_columns;
    std::vector<CountRow> m_rows;
};

} // namespace tv
