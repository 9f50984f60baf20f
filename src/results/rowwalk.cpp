#include "results/rowwalk.h"

#include "platform/yield.h"
#include "results/resultrows.h"

#include <algorithm>

namespace tv {

RowWalk::RowWalk(const ResultRows& list)
    : m_list(list), m_rows(list.rows()), m_columns(list.columns())
{
}

bool RowWalk::next()
{
    yieldToWindow();
    ++m_row;
    return hasRow();
}

bool RowWalk::hasRow() const
{
    return m_row >= 1 && m_row <= m_rows && m_row <= m_list.rows();
}

bool RowWalk::isChecked() const
{
    return m_list.isChecked(m_row);
}

bool RowWalk::readCells(QStringList& cells) const
{
    cells.clear();
    for (int c = 1; c <= m_columns; ++c) {
        yieldToWindow();
        if (m_row > m_list.rows() || c > m_list.columns())
            return false;
        cells << m_list.cell(m_row, c);
    }
    return true;
}

QList<qsizetype> columnWidths(const ResultRows& list, bool withCaptions)
{
    const int columns = list.columns();
    const int rows = list.rows();
    QList<qsizetype> widths(columns, 0);
    for (int c = 1; c <= columns && c <= list.columns(); ++c) {
        qsizetype w = withCaptions ? list.caption(c).size() : 0;
        for (int r = 1; r <= rows; ++r) {
            yieldToWindow();
            if (r > list.rows() || c > list.columns())
                break;
            w = std::max(w, list.cell(r, c).size());
        }
        widths[c - 1] = w;
    }
    return widths;
}

} // namespace tv
