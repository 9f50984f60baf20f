#include "results/shownrows.h"

#include "platform/failure.h"
#include "results/collationranks.h"
#include "results/resultsmodel.h"

#include <algorithm>
#include <numeric>
#include <tuple>

namespace tv {

namespace {

// The word analysis's columns after the count: numbers too.
bool isFigureColumn(const ResultsModel& list, int column)
{
    const QString caption = list.caption(column);
    return caption == u"Share" || caption == u"Pages";
}

// The count column: the last one before the word analysis's, when there is a word column
// before it.
int countColumnOf(const ResultsModel& list)
{
    int column = list.columns();
    while (column > 0 && isFigureColumn(list, column))
        --column;
    return column >= 2 ? column : 0;
}

// Appends `cell` case-folded; ASCII, most words, without a string of its own.
void appendFolded(QString& text, const QString& cell)
{
    const qsizetype at = text.size();
    text += cell;
    QChar* c = text.data() + at;
    QChar* const end = text.data() + text.size();
    for (; c != end; ++c) {
        const char16_t u = c->unicode();
        if (u >= 0x80) {
            text.truncate(at);
            text += cell.toCaseFolded();
            return;
        }
        if (u >= u'A' && u <= u'Z')
            *c = QChar(char16_t(u + 32));
    }
}

constexpr QChar kRowEnd = u'\0';
constexpr QChar kCellGap = u'\n';

} // namespace

ShownRows::ShownRows(ResultsModel& source, QObject* parent)
    : QAbstractTableModel(parent), m_source(source)
{
    connect(&m_source, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { onRowsInserted(first, last); });
    connect(&m_source, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) { onRowsRemoved(first, last); });
    connect(&m_source, &QAbstractItemModel::dataChanged, this, &ShownRows::onDataChanged);
    connect(&m_source, &QAbstractItemModel::headerDataChanged, this,
            &QAbstractItemModel::headerDataChanged);
    // Columns come and go with the layout, which empties the list: start afresh.
    const auto afresh = [this] { startAfresh(); };
    connect(&m_source, &QAbstractItemModel::modelReset, this, afresh);
    connect(&m_source, &QAbstractItemModel::columnsInserted, this, afresh);
    connect(&m_source, &QAbstractItemModel::columnsRemoved, this, afresh);
    makeSearchText();
    rebuild();
}

void ShownRows::startAfresh()
{
    m_ranks.clear();
    m_searchText.clear();
    m_rowStarts.clear();
    m_sortedValid = false;
    dropSort();
    makeSearchText();
    rebuild();
}

void ShownRows::dropSort()
{
    m_sortedValid = false;
    if (m_sortColumn == 0)
        return;
    m_sortColumn = 0;
    m_sortOrder = Qt::AscendingOrder;
    Q_EMIT sortDropped();
}

void ShownRows::makeSearchText()
{
    const int rows = m_source.rowCount();
    const int columns = m_source.columns();
    const int countColumn = countColumnOf(m_source);
    m_rowStarts.reserve(size_t(rows));
    for (int i = int(m_rowStarts.size()); i < rows; ++i) {
        m_rowStarts.push_back(m_searchText.size());
        const ResultRow& r = m_source.row(i + 1);
        bool first = true;
        for (int c = 1; c <= columns && c <= 3; ++c) {
            if (c == countColumn)
                continue;
            if (!first)
                m_searchText += kCellGap; // a find never spans two cells
            appendFolded(m_searchText, r.cell(c));
            first = false;
        }
        m_searchText += kRowEnd;
    }
}

std::vector<char> ShownRows::findRows(const QString& folded)
{
    makeSearchText();
    const qsizetype rows = qsizetype(m_rowStarts.size());
    std::vector<char> found(size_t(rows), 0);
    const QStringView text(m_searchText);
    qsizetype row = 0;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(folded, from);
        if (at < 0)
            break;
        while (row + 1 < rows && m_rowStarts[size_t(row + 1)] <= at)
            ++row;
        found[size_t(row)] = 1;
        // The rest of the row cannot add anything.
        if (row + 1 >= rows)
            break;
        from = m_rowStarts[size_t(row + 1)];
    }
    return found;
}

bool ShownRows::rowHolds(int sourceIndex, const QString& folded) const
{
    const qsizetype start = m_rowStarts[size_t(sourceIndex)];
    const qsizetype end = size_t(sourceIndex) + 1 < m_rowStarts.size()
                              ? m_rowStarts[size_t(sourceIndex) + 1]
                              : m_searchText.size();
    return QStringView(m_searchText).sliced(start, end - start).contains(folded);
}

const std::vector<int>& ShownRows::collationRanks(int column) const
{
    const int rows = m_source.rowCount();
    auto found = m_ranks.find(column);
    if (found != m_ranks.end() && int(found->size()) == rows)
        return *found;
    std::vector<int> ranks = tv::collationRanks(
        rows, [&](int i) { return QStringView(m_source.row(i + 1).cell(column)); });
    return *m_ranks.insert(column, std::move(ranks));
}

const std::vector<int>& ShownRows::sortedOrder()
{
    const int rows = m_source.rowCount();
    if (m_sortedValid && int(m_sorted.size()) == rows)
        return m_sorted;
    std::vector<int>& order = m_sorted;
    order.resize(static_cast<size_t>(rows));
    std::iota(order.begin(), order.end(), 0);
    m_sortedValid = true;
    if (m_sortColumn == 0)
        return order;
    const int countColumn = countColumnOf(m_source);
    if (countColumn > 0 && (m_sortColumn == countColumn || m_sortColumn > countColumn)) {
        // Numbers first, by value; a cell that is no number after them. Equal numbers go by
        // the word.
        std::vector<double> counts(static_cast<size_t>(rows));
        std::vector<char> numeric(static_cast<size_t>(rows));
        for (int i = 0; i < rows; ++i) {
            bool ok = false;
            counts[size_t(i)] = m_source.row(i + 1).cell(m_sortColumn).toDouble(&ok);
            numeric[size_t(i)] = ok ? 0 : 1;
        }
        const std::vector<int>& words = collationRanks(countColumn - 1);
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            const auto ka = std::tuple(numeric[size_t(a)], counts[size_t(a)], words[size_t(a)]);
            const auto kb = std::tuple(numeric[size_t(b)], counts[size_t(b)], words[size_t(b)]);
            return ka < kb;
        });
    } else {
        // Ranks keep their order, with gaps, once rows are removed.
        const std::vector<int>& ranks = collationRanks(m_sortColumn);
        std::sort(order.begin(), order.end(),
                  [&](int a, int b) { return ranks[size_t(a)] < ranks[size_t(b)]; });
    }
    if (m_sortOrder == Qt::DescendingOrder)
        std::reverse(order.begin(), order.end());
    return order;
}

void ShownRows::rebuild()
{
    beginResetModel();
    m_order = sortedOrder();
    if (!m_filter.isEmpty()) {
        const std::vector<char> found = findRows(m_foldedFilter);
        std::erase_if(m_order, [&](int i) { return !found[size_t(i)]; });
    }
    endResetModel();
}

void ShownRows::sortBy(int column, Qt::SortOrder order)
{
    if (column < 0 || column > m_source.columns())
        column = 0;
    if (column == m_sortColumn && order == m_sortOrder)
        return;
    // The other way round is the same order reversed.
    const bool reversed = column == m_sortColumn && m_sortedValid;
    m_sortColumn = column;
    m_sortOrder = order;
    if (reversed) {
        std::reverse(m_sorted.begin(), m_sorted.end());
        beginResetModel();
        std::reverse(m_order.begin(), m_order.end());
        endResetModel();
        return;
    }
    m_sortedValid = false;
    rebuild();
}

void ShownRows::setFilter(const QString& text)
{
    if (text == m_filter)
        return;
    const QString folded = text.toCaseFolded();
    const bool narrower = !m_filter.isEmpty() && folded.contains(m_foldedFilter);
    m_filter = text;
    m_foldedFilter = folded;
    if (!narrower) {
        rebuild();
        return;
    }
    // Only rows that held the shorter text can hold the longer one.
    const std::vector<char> found = findRows(m_foldedFilter);
    beginResetModel();
    std::erase_if(m_order, [&](int i) { return !found[size_t(i)]; });
    endResetModel();
}

int ShownRows::sourceRow(int shown) const
{
    if (shown < 1 || size_t(shown) > m_order.size())
        throw Failure(QStringLiteral("Index out of bounds"));
    return m_order[size_t(shown - 1)] + 1;
}

void ShownRows::onRowsInserted(int first, int last)
{
    // The list's rows stay in their own order at the end; a sort would have to be made again
    // for every batch of a run, so new rows bring back the list's own order.
    // A row put back among the others (an undone removal) moves every row after it.
    if (size_t(first) < m_rowStarts.size()) {
        startAfresh();
        return;
    }
    m_ranks.clear();
    if (m_sortColumn != 0) {
        dropSort();
        makeSearchText();
        rebuild();
        return;
    }
    m_sortedValid = false;
    // Made as the rows come, so that no keystroke waits for it.
    makeSearchText();
    std::vector<int> added;
    for (int i = first; i <= last; ++i) {
        if (m_filter.isEmpty() || rowHolds(i, m_foldedFilter))
            added.push_back(i);
    }
    if (added.empty())
        return;
    const int at = int(m_order.size());
    beginInsertRows({}, at, at + int(added.size()) - 1);
    m_order.insert(m_order.end(), added.begin(), added.end());
    endInsertRows();
}

void ShownRows::onRowsRemoved(int first, int last)
{
    const int gone = last - first + 1;
    const auto follow = [&](std::vector<int>& order, std::vector<int>* positions) {
        for (size_t p = 0; p < order.size(); ++p) {
            int& i = order[p];
            if (i >= first && i <= last) {
                if (positions)
                    positions->push_back(int(p));
            } else if (i > last) {
                i -= gone;
            }
        }
    };
    std::vector<int> positions;
    follow(m_order, &positions);
    if (m_sortedValid) {
        std::erase_if(m_sorted, [&](int i) { return i >= first && i <= last; });
        follow(m_sorted, nullptr);
    }
    for (auto it = m_ranks.begin(); it != m_ranks.end(); ++it) {
        std::vector<int>& ranks = it.value();
        if (int(ranks.size()) > last)
            ranks.erase(ranks.begin() + first, ranks.begin() + last + 1);
    }
    if (qsizetype(m_rowStarts.size()) > last) {
        const qsizetype from = m_rowStarts[size_t(first)];
        const qsizetype to = size_t(last) + 1 < m_rowStarts.size() ? m_rowStarts[size_t(last) + 1]
                                                                   : m_searchText.size();
        m_searchText.remove(from, to - from);
        m_rowStarts.erase(m_rowStarts.begin() + first, m_rowStarts.begin() + last + 1);
        for (size_t r = size_t(first); r < m_rowStarts.size(); ++r)
            m_rowStarts[r] -= to - from;
    } else if (qsizetype(m_rowStarts.size()) > first) {
        m_searchText.truncate(m_rowStarts[size_t(first)]);
        m_rowStarts.resize(size_t(first));
    }
    // From the last, so that each position still names its row.
    for (auto p = positions.rbegin(); p != positions.rend(); ++p) {
        beginRemoveRows({}, *p, *p);
        m_order.erase(m_order.begin() + *p);
        endRemoveRows();
    }
}

void ShownRows::onDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight)
{
    for (size_t p = 0; p < m_order.size(); ++p) {
        const int i = m_order[p];
        if (i >= topLeft.row() && i <= bottomRight.row())
            Q_EMIT dataChanged(index(int(p), 0), index(int(p), columnCount() - 1));
    }
}

int ShownRows::columns() const
{
    return m_source.columns();
}

QString ShownRows::caption(int column) const
{
    return m_source.caption(column);
}

QString ShownRows::cell(int row, int column) const
{
    return m_source.cell(sourceRow(row), column);
}

bool ShownRows::isChecked(int row) const
{
    return m_source.isChecked(sourceRow(row));
}

int ShownRows::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_order.size());
}

int ShownRows::columnCount(const QModelIndex& parent) const
{
    return m_source.columnCount(parent);
}

QVariant ShownRows::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_order.size())
        return {};
    // Per site, a long site name is cut short in the list; its tooltip holds it whole.
    if (role == Qt::ToolTipRole && index.column() == 0 && columns() == 3)
        return m_source.cell(m_order[size_t(index.row())] + 1, 1);
    return m_source.data(m_source.index(m_order[size_t(index.row())], index.column()), role);
}

bool ShownRows::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || size_t(index.row()) >= m_order.size())
        return false;
    return m_source.setData(m_source.index(m_order[size_t(index.row())], index.column()), value,
                            role);
}

Qt::ItemFlags ShownRows::flags(const QModelIndex& index) const
{
    if (!index.isValid() || size_t(index.row()) >= m_order.size())
        return QAbstractTableModel::flags(index);
    return m_source.flags(m_source.index(m_order[size_t(index.row())], index.column()));
}

QVariant ShownRows::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The first click on a header sorts upwards (a, b, c; 1, 2, 3).
    if (orientation == Qt::Horizontal && role == Qt::InitialSortOrderRole)
        return int(Qt::AscendingOrder);
    return m_source.headerData(section, orientation, role);
}

} // namespace tv
