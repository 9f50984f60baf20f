#pragma once
// The word rule done the plain way, for baselines and comparisons: split at LF, CR, TAB, space
// and the other Unicode space separators; drop the ASCII punctuation; lower-case.
#include <QHash>
#include <QString>
#include <QStringView>
#include <algorithm>

namespace tv::bench {

inline bool isPlainSeparator(QChar c)
{
    return c == u'\t' || c == u'\n' || c == u'\r' || c.category() == QChar::Separator_Space;
}

inline bool isAsciiPunctuation(QChar c)
{
    // QChar::isPunct leaves out the ASCII symbols, which the rule drops as well.
    return c.unicode() < 128 && (c.isPunct() || QStringView(u"$+<=>^`|~").contains(c));
}

// Each word's count, in any map from QString to an integer (QHash, std::unordered_map, ...).
template <class Map> Map plainWordCounts(const QString& text)
{
    Map counts;
    QString word;
    const auto finish = [&] {
        if (!word.isEmpty())
            ++counts[word.toLower()];
        word.clear();
    };
    for (const QChar c : text) {
        if (isPlainSeparator(c))
            finish();
        else if (!isAsciiPunctuation(c))
            word += c;
    }
    finish();
    return counts;
}

// The share of word occurrences that differ between two counts: unmatched occurrences over the
// union multiset (0 for two empty counts).
inline double wordDifference(const QHash<QString, qint64>& a, const QHash<QString, qint64>& b)
{
    qint64 differ = 0;
    qint64 all = 0;
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        const qint64 other = b.value(it.key());
        differ += std::abs(it.value() - other);
        all += std::max(it.value(), other);
    }
    for (auto it = b.cbegin(); it != b.cend(); ++it) {
        if (!a.contains(it.key())) {
            differ += it.value();
            all += it.value();
        }
    }
    return all == 0 ? 0.0 : double(differ) / double(all);
}

inline double wordDifference(const QString& ours, const QString& reference)
{
    return wordDifference(plainWordCounts<QHash<QString, qint64>>(ours),
                          plainWordCounts<QHash<QString, qint64>>(reference));
}

} // namespace tv::bench
