#pragma once
// The site list: one address per row, kept exactly as entered or read, rows numbered from 1.
#include <QAbstractListModel>
#include <QStringList>

namespace tv {

class SiteListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit SiteListModel(QObject* parent = nullptr);

    int count() const { return int(m_rows.size()); }
    // Row `row` (1-based); throws Failure when there is no such row.
    QString text(int row) const;
    void append(const QString& address);
    void append(const QStringList& addresses);
    // Removes row `row` (1-based); throws Failure when there is no such row.
    void removeAt(int row);
    // Removes the rows with these numbers (1-based, ascending), the highest first, so the
    // others keep their order. Throws Failure, removing nothing, when one is out of range.
    void removeAtRows(const QList<int>& rows);
    void clear();
    const QStringList& rows() const { return m_rows; }
    // The one column's caption, set when the window loads.
    void setCaption(const QString& caption);
    QString caption() const { return m_caption; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList m_rows;
    QString m_caption;
};

} // namespace tv
