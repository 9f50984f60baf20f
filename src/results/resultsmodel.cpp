#include "results/resultsmodel.h"

#include "platform/failure.h"

namespace tv {

ResultsModel::ResultsModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultsModel::checkRow(int row) const
{
    if (row < 1 || size_t(row) > m_rows.size())
        throw Failure(QStringLiteral("Index out of bounds"));
}

void ResultsModel::checkColumn(int column) const
{
    if (column < 1 || column > m_columns.size())
        throw Failure(QStringLiteral("Index out of bounds"));
}

void ResultsModel::addColumn(const QString& caption, int widthTwips)
{
    flushAppends();
    const int at = int(m_columns.size());
    beginInsertColumns({}, at, at);
    m_columns.append({caption, widthTwips});
    endInsertColumns();
    Q_EMIT widthsChanged();
}

void ResultsModel::clearColumns()
{
    beginResetModel();
    m_columns.clear();
    endResetModel();
    Q_EMIT widthsChanged();
}

void ResultsModel::rebuild(ResultsLayout layout)
{
    clearRows();
    clearColumns();
    for (const ResultColumn& column : layoutColumns(layout))
        addColumn(column);
}

QString ResultsModel::caption(int column) const
{
    checkColumn(column);
    return m_columns[column - 1].caption;
}

int ResultsModel::width(int column) const
{
    checkColumn(column);
    return m_columns[column - 1].widthTwips;
}

void ResultsModel::setCaption(int column, const QString& caption)
{
    checkColumn(column);
    m_columns[column - 1].caption = caption;
    Q_EMIT headerDataChanged(Qt::Horizontal, column - 1, column - 1);
}

void ResultsModel::append(const QString& text, const QString& sub1, const QString& sub2,
                          const QString& sub3)
{
    m_rows.push_back({text, sub1, sub2, sub3, true});
    if (!m_flushQueued) {
        m_flushQueued = true;
        QMetaObject::invokeMethod(this, &ResultsModel::flushAppends, Qt::QueuedConnection);
    }
}

void ResultsModel::flushAppends()
{
    m_flushQueued = false;
    const int total = int(m_rows.size());
    if (total <= m_shown)
        return;
    beginInsertRows({}, m_shown, total - 1);
    m_shown = total;
    endInsertRows();
}

void ResultsModel::keepColumns(int count)
{
    const int total = int(m_columns.size());
    if (count < 0 || count >= total)
        return;
    beginRemoveColumns({}, count, total - 1);
    m_columns.resize(count);
    endRemoveColumns();
    Q_EMIT widthsChanged();
}

void ResultsModel::keepRows(int count)
{
    flushAppends();
    const int total = int(m_rows.size());
    if (count < 0 || count >= total)
        return;
    beginRemoveRows({}, count, total - 1);
    m_rows.erase(m_rows.begin() + count, m_rows.end());
    m_shown = count;
    endRemoveRows();
}

void ResultsModel::removeAt(int row)
{
    checkRow(row);
    flushAppends();
    beginRemoveRows({}, row - 1, row - 1);
    m_rows.erase(m_rows.begin() + (row - 1));
    m_shown = int(m_rows.size());
    endRemoveRows();
}

void ResultsModel::clearRows()
{
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_shown = 0;
    endResetModel();
}

std::deque<ResultRow> ResultsModel::takeRows()
{
    beginResetModel();
    std::deque<ResultRow> taken;
    taken.swap(m_rows);
    m_shown = 0;
    endResetModel();
    return taken;
}

void ResultsModel::restoreRows(std::deque<ResultRow> rows)
{
    flushAppends();
    if (rows.empty())
        return;
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at + int(rows.size()) - 1);
    if (m_rows.empty())
        m_rows.swap(rows);
    else
        m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()),
                      std::make_move_iterator(rows.end()));
    m_shown = int(m_rows.size());
    endInsertRows();
}

void ResultsModel::insertAt(int row, const ResultRow& values)
{
    if (row < 1 || size_t(row) > m_rows.size() + 1)
        throw Failure(QStringLiteral("Index out of bounds"));
    flushAppends();
    beginInsertRows({}, row - 1, row - 1);
    m_rows.insert(m_rows.begin() + (row - 1), values);
    m_shown = int(m_rows.size());
    endInsertRows();
}

const ResultRow& ResultsModel::row(int row) const
{
    checkRow(row);
    return m_rows[size_t(row - 1)];
}

const QString& ResultRow::cell(int column) const
{
    static const QString none;
    switch (column) {
    case 1:
        return text;
    case 2:
        return sub1;
    case 3:
        return sub2;
    case 4:
        return sub3;
    default:
        return none;
    }
}

QString ResultsModel::cell(int row, int column) const
{
    return this->row(row).cell(column);
}

bool ResultsModel::isChecked(int row) const
{
    return this->row(row).checked;
}

void ResultsModel::setChecked(int row, bool checked)
{
    checkRow(row);
    m_rows[size_t(row - 1)].checked = checked;
    if (row > m_shown)
        return;
    const QModelIndex at = index(row - 1, 0);
    Q_EMIT dataChanged(at, at, {Qt::CheckStateRole});
}

int ResultsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

int ResultsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown)
        return {};
    const ResultRow& r = m_rows[size_t(index.row())];
    if (role == Qt::DisplayRole)
        return r.cell(index.column() + 1);
    if (role == Qt::CheckStateRole && index.column() == 0)
        return r.checked ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool ResultsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole ||
        index.row() >= m_shown)
        return false;
    m_rows[size_t(index.row())].checked = value.toInt() == Qt::Checked;
    Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= m_columns.size())
        return {};
    return m_columns[section].caption;
}

} // namespace tv
