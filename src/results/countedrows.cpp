#include "results/countedrows.h"

#include "platform/failure.h"
#include "results/counttexts.h"
#include "results/resultsmodel.h"

namespace tv {

void appendCountRow(ResultsModel& list, bool perSite, const CountRow& row, CountTexts& counts)
{
    if (perSite)
        list.append(row.site, row.word, counts.text(row.count));
    else
        list.append(row.word, counts.text(row.count));
}

CountedRows::CountedRows(bool perSite)
    : m_perSite(perSite),
      m_columns(layoutColumns(perSite ? ResultsLayout::PerSite : ResultsLayout::Combined))
{
}

const CountRow& CountedRows::row(int row) const
{
    if (row < 1 || row > rows())
        throw Failure(QStringLiteral("Index out of bounds"));
    return m_rows[size_t(row - 1)];
}

QString CountedRows::caption(int column) const
{
    if (column < 1 || column > m_columns.size())
        throw Failure(QStringLiteral("Index out of bounds"));
    return m_columns[column - 1].caption;
}

QString CountedRows::cell(int row, int column) const
{
    const CountRow& r = this->row(row);
    const int word = m_perSite ? 2 : 1;
    if (column == word - 1)
        return r.site;
    if (column == word)
        return r.word;
    if (column == word + 1)
        return QString::number(r.count);
    return {};
}

bool CountedRows::isChecked(int row) const
{
    this->row(row);
    return true;
}

} // namespace tv
