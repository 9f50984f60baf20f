#pragma once
// Walking a results list the way every output does: a yield before each row and each cell, so
// that the window stays responsive, and an end (instead of a failure) once other commands,
// run during those yields, have taken away the rows still to come.
#include <QList>
#include <QStringList>

namespace tv {

class ResultRows;

class RowWalk {
public:
    // Walks the rows and columns the list has now.
    explicit RowWalk(const ResultRows& list);

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    // Yields, then moves to the next row; false after the last one, or once the list no longer
    // has it.
    bool next();
    // The current row, from 1.
    int row() const { return m_row; }
    // Whether the current row is one of those the walk began with and the list still has it.
    bool hasRow() const;
    bool isChecked() const;
    // The current row's cells, a yield before each; false when the row or a column went away
    // meanwhile (`cells` then holds those read before).
    bool readCells(QStringList& cells) const;

private:
    const ResultRows& m_list;
    int m_rows;
    int m_columns;
    int m_row = 0;
};

// The widest text of each column, in UTF-16 code units, over every row, ticked or not, and the
// caption too when `withCaptions`. Yields before each cell; stops at what the list still has.
QList<qsizetype> columnWidths(const ResultRows& list, bool withCaptions);

} // namespace tv
