#pragma once
// The results list: columns with captions and widths, rows of up to three texts and a tick.
// Rows and columns are numbered from 1, as the commands that use the list count them.
#include <QAbstractTableModel>
#include <QList>
#include <QString>

namespace tv {

struct ResultRow {
    QString text; // column 1
    QString sub1; // column 2
    QString sub2; // column 3
    bool checked = true;
};

struct ResultColumn {
    QString caption;
    int widthTwips = 0;
};

class ResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultsModel(QObject* parent = nullptr);

    // Columns.
    int columns() const { return int(m_columns.size()); }
    void addColumn(const QString& caption, int widthTwips);
    void clearColumns();
    // Throws Failure when there is no such column.
    QString caption(int column) const;
    int width(int column) const;
    void setCaption(int column, const QString& caption);
    void setWidth(int column, int widthTwips);

    // Rows.
    int rows() const { return int(m_rows.size()); }
    void append(const QString& text, const QString& sub1, const QString& sub2 = QString());
    // Throws Failure when there is no such row.
    void removeAt(int row);
    void clearRows();
    const ResultRow& row(int row) const;
    // Column 1 is the row text, column n > 1 sub-item n - 1; "" past the sub-items.
    QString cell(int row, int column) const;
    bool isChecked(int row) const;
    void setChecked(int row, bool checked);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

Q_SIGNALS:
    // A column's width changed or columns were rebuilt; the view follows.
    void widthsChanged();

private:
    void checkRow(int row) const;
    void checkColumn(int column) const;

    QList<ResultColumn> m_columns;
    QList<ResultRow> m_rows;
};

} // namespace tv
