#include "rowfilters.h"

#include <QTextBoundaryFinder>
#include <algorithm>
#include <numeric>

namespace tv {

namespace {

bool moreFrequent(const WordRow& a, const WordRow& b)
{
    return a.count != b.count ? a.count > b.count : a.word < b.word;
}

// The `top` most frequent rows, in the order they came in.
WordRows mostFrequent(WordRows rows, qint64 top)
{
    if (top <= 0 || qint64(rows.size()) <= top)
        return rows;
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t(0));
    const auto cut = order.begin() + top;
    std::nth_element(order.begin(), cut, order.end(),
                     [&](size_t a, size_t b) { return moreFrequent(rows[a], rows[b]); });
    std::vector<bool> kept(rows.size(), false);
    for (auto it = order.begin(); it != cut; ++it)
        kept[*it] = true;
    WordRows result;
    result.reserve(size_t(top));
    for (size_t i = 0; i < rows.size(); ++i) {
        if (kept[i])
            result.push_back(std::move(rows[i]));
    }
    return result;
}

} // namespace

qsizetype characterCount(QStringView word)
{
    bool ascii = true;
    for (const QChar c : word)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        return word.size();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, word.data(), word.size());
    qsizetype characters = 0;
    while (finder.toNextBoundary() > 0)
        ++characters;
    return characters;
}

void sortRows(WordRows& rows, RowOrder order)
{
    switch (order) {
    case RowOrder::Count:
        std::stable_sort(rows.begin(), rows.end(), [](const WordRow& a, const WordRow& b) {
            return a.count != b.count ? a.count < b.count : a.word < b.word;
        });
        break;
    case RowOrder::CountDescending:
        std::stable_sort(rows.begin(), rows.end(), moreFrequent);
        break;
    case RowOrder::Word:
        std::stable_sort(rows.begin(), rows.end(),
                         [](const WordRow& a, const WordRow& b) { return a.word < b.word; });
        break;
    }
}

WordRows filterRows(WordRows rows, const RowFilters& filters)
{
    if (filters.minCount > 0 || filters.minLength > 0) {
        std::erase_if(rows, [&](const WordRow& row) {
            return row.count < filters.minCount ||
                   (filters.minLength > 0 && characterCount(row.word) < filters.minLength);
        });
    }
    rows = mostFrequent(std::move(rows), filters.top);
    if (filters.order)
        sortRows(rows, *filters.order);
    return rows;
}

} // namespace tv
