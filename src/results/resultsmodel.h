#pragma once
// The results list: columns with captions and widths, rows of up to four texts and a tick (the
// fourth holds the word analysis's share or pages column).
// Rows and columns are numbered from 1, as the commands that use the list count them.
// A run appends rows by the hundred thousand, and a view told of each row on its own would
// lay itself out again for each; so views hear of appended rows in batches, once control is
// back in the event loop (or at flushAppends()). The program's own accessors (rows(), row(),
// cell(), ...) always see every row at once.
#include "results/resultrows.h"
#include "results/resultslayout.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <deque>

namespace tv {

struct ResultRow {
    QString text; // column 1
    QString sub1; // column 2
    QString sub2; // column 3
    QString sub3; // column 4
    bool checked = true;

    // Column `column` (from 1); an empty text past the row's texts.
    const QString& cell(int column) const;
};

class ResultsModel : public QAbstractTableModel, public ResultRows {
    Q_OBJECT
public:
    explicit ResultsModel(QObject* parent = nullptr);

    // Columns.
    int columns() const override { return int(m_columns.size()); }
    void addColumn(const QString& caption, int widthTwips);
    void addColumn(const ResultColumn& column) { addColumn(column.caption, column.widthTwips); }
    void clearColumns();
    // Keeps the first `count` columns.
    void keepColumns(int count);
    // Removes every row and column, then adds the layout's columns.
    void rebuild(ResultsLayout layout);
    // Throws Failure when there is no such column.
    QString caption(int column) const override;
    int width(int column) const;
    void setCaption(int column, const QString& caption);

    // Rows.
    int rows() const override { return int(m_rows.size()); }
    void append(const QString& text, const QString& sub1, const QString& sub2 = QString(),
                const QString& sub3 = QString());
    // Tells views now about rows appended since they last heard.
    void flushAppends();
    // Throws Failure when there is no such row.
    void removeAt(int row);
    void clearRows();
    // Takes every row out (as clearRows() does), for putting back with restoreRows().
    std::deque<ResultRow> takeRows();
    // Puts rows taken out back after the rows the list has.
    void restoreRows(std::deque<ResultRow> rows);
    // Inserts a row so that it becomes row `row` (from 1 to rows() + 1). Throws Failure when
    // that is out of range.
    void insertAt(int row, const ResultRow& values);
    // Keeps the first `count` rows.
    void keepRows(int count);
    const ResultRow& row(int row) const;
    // Column 1 is the row text, column n > 1 sub-item n - 1; "" past the sub-items.
    QString cell(int row, int column) const override;
    bool isChecked(int row) const override;
    void setChecked(int row, bool checked);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

Q_SIGNALS:
    // Columns were added or removed; the view sets its widths again.
    void widthsChanged();

private:
    void checkRow(int row) const;
    void checkColumn(int column) const;

    QList<ResultColumn> m_columns;
    // Grows block by block: no spare half of a doubled array, and no copy of every row when it
    // fills up, at a million rows.
    std::deque<ResultRow> m_rows;
    int m_shown = 0; // rows the views know of: the first m_shown rows
    bool m_flushQueued = false;
};

} // namespace tv
