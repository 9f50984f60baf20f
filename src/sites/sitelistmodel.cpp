#include "sitelistmodel.h"

#include "platform/guard.h"

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
