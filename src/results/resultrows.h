#pragma once
// What every output of the results reads: the columns' captions, the rows' cells and their
// ticks. Rows and columns are numbered from 1. The window's list can lose rows and columns
// while an output yields ("Clear Results", a layout click); the walk in rowwalk.h copes.
#include <QString>

namespace tv {

class ResultRows {
public:
    virtual ~ResultRows() = default;

    virtual int columns() const = 0;
    // Throws Failure when there is no such column.
    virtual QString caption(int column) const = 0;
    virtual int rows() const = 0;
    // Column 1 is the row text, column n > 1 sub-item n - 1; "" past the sub-items. Throws
    // Failure when there is no such row.
    virtual QString cell(int row, int column) const = 0;
    // Whether the outputs take the row. Throws Failure when there is no such row.
    virtual bool isChecked(int row) const = 0;
};

} // namespace tv
