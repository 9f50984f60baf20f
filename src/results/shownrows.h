#pragma once
// The results list as the user sees it: sorted by a column and narrowed to the rows that hold
// a text, over the list's own rows, which stay in the order the count gave them. Save, copy and
// export read the rows through it, so they take what is shown in the order it is shown.
//
// A million rows stay quick: the rows' searched cells are case-folded into one text as they
// come, so that a find is one plain search through it, and each column's collation order is
// worked out once and kept until rows are added.
#include "results/resultrows.h"

#include <QAbstractTableModel>
#include <QHash>
#include <vector>

namespace tv {

class ResultsModel;

class ShownRows : public QAbstractTableModel, public ResultRows {
    Q_OBJECT
public:
    explicit ShownRows(ResultsModel& source, QObject* parent = nullptr);

    // Sorts by `column` (from 1): the count column (the last of two or more) numerically with
    // ties by the word beside it, every other column by the locale's collation. Column 0 puts
    // back the list's own order.
    void sortBy(int column, Qt::SortOrder order);
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // Shows only the rows that hold `text` (letter case ignored) in a column other than the
    // count; "" shows every row.
    void setFilter(const QString& text);
    const QString& filter() const { return m_filter; }

    // The list's row (from 1) shown as row `shown` (from 1). Throws Failure when there is none.
    int sourceRow(int shown) const;

    // ResultRows: the rows as shown, in the order shown.
    int columns() const override;
    QString caption(int column) const override;
    int rows() const override { return int(m_order.size()); }
    QString cell(int row, int column) const override;
    bool isChecked(int row) const override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

Q_SIGNALS:
    // Rows were added while sorted: they are shown in the list's own order again.
    void sortDropped();

private:
    void rebuild();
    void startAfresh();
    void dropSort();
    // Brings the search text up to the list's rows.
    void makeSearchText();
    // Which list rows (from 0) hold `folded`, a case-folded text.
    std::vector<char> findRows(const QString& folded);
    // Whether list row `sourceIndex` (from 0) holds `folded`.
    bool rowHolds(int sourceIndex, const QString& folded) const;
    const std::vector<int>& sortedOrder();
    const std::vector<int>& collationRanks(int column) const;
    void onRowsInserted(int first, int last);
    void onRowsRemoved(int first, int last);
    void onDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight);

    ResultsModel& m_source;
    // The list's rows (from 0) in the order shown.
    std::vector<int> m_order;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QString m_filter;
    QString m_foldedFilter;
    // Every list row's searched cells, case-folded, one after the other in one text, so that a
    // find is one plain search through it; a row ends with U+0000, which no find holds.
    QString m_searchText;
    std::vector<qsizetype> m_rowStarts; // where each row begins in m_searchText
    // Every list row in the order of the sort, made once per sort.
    std::vector<int> m_sorted;
    bool m_sortedValid = false;
    // Each column's collation rank of every list row, made when first sorted by it.
    mutable QHash<int, std::vector<int>> m_ranks;
};

} // namespace tv
