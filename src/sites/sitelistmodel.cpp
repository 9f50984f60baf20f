#include "sitelistmodel.h"

#include "platform/failure.h"

#include <utility>

namespace tv {

SiteListModel::SiteListModel(QObject* parent) : QAbstractListModel(parent) {}

QString SiteListModel::text(int row) const
{
    if (row < 1 || row > m_rows.size())
        throw Failure(QStringLiteral("Index out of bounds"));
    return m_rows[row - 1];
}

void SiteListModel::append(const QString& address)
{
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at);
    m_rows.append(address);
    endInsertRows();
}

void SiteListModel::append(const QStringList& addresses)
{
    if (addresses.isEmpty())
        return;
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at + int(addresses.size()) - 1);
    m_rows.append(addresses);
    endInsertRows();
}

void SiteListModel::removeAt(int row)
{
    if (row < 1 || row > m_rows.size())
        throw Failure(QStringLiteral("Index out of bounds"));
    beginRemoveRows({}, row - 1, row - 1);
    m_rows.removeAt(row - 1);
    endRemoveRows();
}

void SiteListModel::removeAtRows(const QList<int>& rows)
{
    if (rows.isEmpty())
        return;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const bool ascending = i == 0 || rows[i - 1] < rows[i];
        if (!ascending || rows[i] < 1 || rows[i] > m_rows.size())
            throw Failure(QStringLiteral("Index out of bounds"));
    }
    // Runs of neighbouring rows, each as (first, last), 0-based.
    QList<std::pair<int, int>> runs;
    for (const int row : rows) {
        if (!runs.isEmpty() && runs.last().second == row - 2)
            runs.last().second = row - 1;
        else
            runs.append({row - 1, row - 1});
    }
    // Each removal moves every row behind it, so scattered rows are removed in one sweep.
    constexpr qsizetype kMostRuns = 64;
    if (runs.size() > kMostRuns) {
        beginResetModel();
        qsizetype next = 0;
        qsizetype kept = 0;
        for (qsizetype i = 0; i < m_rows.size(); ++i) {
            if (next < rows.size() && rows[next] - 1 == i) {
                ++next;
                continue;
            }
            if (kept != i)
                m_rows[kept] = std::move(m_rows[i]);
            ++kept;
        }
        m_rows.resize(kept);
        endResetModel();
        return;
    }
    for (auto run = runs.crbegin(); run != runs.crend(); ++run) {
        beginRemoveRows({}, run->first, run->second);
        m_rows.remove(run->first, run->second - run->first + 1);
        endRemoveRows();
    }
}

void SiteListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void SiteListModel::setCaption(const QString& caption)
{
    m_caption = caption;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, 0);
}

int SiteListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant SiteListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_rows[index.row()];
    return {};
}

QVariant SiteListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole)
        return m_caption;
    return {};
}

} // namespace tv
