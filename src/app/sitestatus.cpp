#include "app/sitestatus.h"

#include "sites/sitelistmodel.h"

#include <algorithm>

namespace tv {

namespace {

QString seconds(qint64 ms)
{
    return QStringLiteral("%1 s").arg(double(ms) / 1000.0, 0, 'f', 1);
}

} // namespace

SiteStatusModel::SiteStatusModel(SiteListModel& sites, QObject* parent)
    : QAbstractTableModel(parent), m_sites(sites)
{
    connect(&m_sites, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                beginInsertRows({}, first, last);
                m_status.insert(m_status.begin() + first, size_t(last - first + 1), Status{});
                endInsertRows();
            });
    connect(&m_sites, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                beginRemoveRows({}, first, last);
                m_status.erase(m_status.begin() + first, m_status.begin() + last + 1);
                // The run's later sites now stand higher; removed ones are gone from it.
                for (int& r : m_runRows) {
                    if (r >= first && r <= last)
                        r = -1;
                    else if (r > last)
                        r -= last - first + 1;
                }
                endRemoveRows();
            });
    connect(&m_sites, &QAbstractItemModel::modelReset, this, [this] {
        beginResetModel();
        m_status.assign(size_t(m_sites.count()), Status{});
        m_runRows.clear();
        endResetModel();
    });
    connect(&m_sites, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                Q_EMIT dataChanged(index(from.row(), 0), index(to.row(), 0));
            });
    connect(&m_sites, &QAbstractItemModel::headerDataChanged, this,
            [this] { Q_EMIT headerDataChanged(Qt::Horizontal, 0, 0); });
    m_status.assign(size_t(m_sites.count()), Status{});
}

void SiteStatusModel::changed(int index)
{
    Q_EMIT dataChanged(this->index(index, 1), this->index(index, 1));
}

void SiteStatusModel::runBegins(const std::vector<int>& rows)
{
    m_runRows.clear();
    for (int row : rows) {
        const int i = row - 1;
        if (i < 0 || size_t(i) >= m_status.size())
            continue;
        m_runRows.push_back(i);
        Status& s = m_status[size_t(i)];
        s.before = s.state;
        s.textBefore = s.text;
        s.tipBefore = s.tip;
        s.state = Status::State::Waiting;
        s.text = QStringLiteral("waiting");
        s.tip.clear();
    }
    // One change for them all: a list of many thousand sites is told once.
    if (!m_runRows.empty()) {
        const auto [low, high] = std::minmax_element(m_runRows.begin(), m_runRows.end());
        Q_EMIT dataChanged(index(*low, 1), index(*high, 1));
    }
}

SiteStatusModel::Status* SiteStatusModel::statusOfSite(int site)
{
    if (site < 1 || size_t(site) > m_runRows.size())
        return nullptr;
    const int i = m_runRows[size_t(site - 1)];
    if (i < 0 || size_t(i) >= m_status.size())
        return nullptr;
    return &m_status[size_t(i)];
}

void SiteStatusModel::siteStarted(int site)
{
    if (Status* s = statusOfSite(site)) {
        s->state = Status::State::Reading;
        s->text = QStringLiteral("reading");
        changed(int(s - m_status.data()));
    }
}

void SiteStatusModel::siteFinished(const SiteOutcome& outcome)
{
    Status* s = statusOfSite(outcome.site);
    if (!s)
        return;
    const FetchedPage& page = outcome.page;
    const QString time = seconds(page.elapsedMs);
    switch (page.outcome) {
    case FetchedPage::Outcome::Read:
        s->state = Status::State::Counted;
        s->text = QStringLiteral("%1 words counted, %2").arg(outcome.words).arg(time);
        s->tip = page.url.isEmpty() ? QString() : QStringLiteral("Read from ") + page.url;
        if (!page.warnings.isEmpty())
            s->tip += u'\n' + page.warnings.join(u'\n');
        break;
    case FetchedPage::Outcome::Failed:
        s->state = Status::State::Failed;
        s->text = QStringLiteral("failed: %1, %2")
                      .arg(page.reason.isEmpty() ? QStringLiteral("error") : page.reason, time);
        s->tip = page.error;
        if (!page.url.isEmpty())
            s->tip += QStringLiteral("\nLast address: ") + page.url;
        break;
    case FetchedPage::Outcome::NoPage:
        s->state = Status::State::Counted;
        s->text = QStringLiteral("no page named");
        s->tip.clear();
        break;
    case FetchedPage::Outcome::Cancelled:
        s->state = s->before;
        s->text = s->textBefore;
        s->tip = s->tipBefore;
        break;
    }
    changed(int(s - m_status.data()));
}

void SiteStatusModel::runEnds()
{
    for (int i : m_runRows) {
        if (i < 0 || size_t(i) >= m_status.size())
            continue;
        Status& s = m_status[size_t(i)];
        if (s.state == Status::State::Waiting || s.state == Status::State::Reading) {
            s.state = s.before;
            s.text = s.textBefore;
            s.tip = s.tipBefore;
            changed(i);
        }
    }
}

QString SiteStatusModel::status(int row) const
{
    return row >= 1 && size_t(row) <= m_status.size() ? m_status[size_t(row - 1)].text : QString();
}

QString SiteStatusModel::statusTip(int row) const
{
    return row >= 1 && size_t(row) <= m_status.size() ? m_status[size_t(row - 1)].tip : QString();
}

std::vector<int> SiteStatusModel::failedRows() const
{
    std::vector<int> rows;
    for (size_t i = 0; i < m_status.size(); ++i) {
        if (m_status[i].state == Status::State::Failed)
            rows.push_back(int(i) + 1);
    }
    return rows;
}

int SiteStatusModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_status.size());
}

int SiteStatusModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant SiteStatusModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_status.size())
        return {};
    if (index.column() == 0)
        return m_sites.data(m_sites.index(index.row(), 0), role);
    const Status& s = m_status[size_t(index.row())];
    if (role == Qt::DisplayRole)
        return s.text;
    if (role == Qt::ToolTipRole && !s.tip.isEmpty())
        return s.tip;
    return {};
}

QVariant SiteStatusModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (section == 0)
        return m_sites.headerData(0, orientation, role);
    if (section == 1 && role == Qt::DisplayRole)
        return QStringLiteral("Status");
    return {};
}

} // namespace tv
