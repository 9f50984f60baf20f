#pragma once
// The word rule done the plain way, for baselines and comparisons: split at LF, CR, TAB, space
// and the other Unicode space separators; drop the ASCII punctuation; lower-case.
#include <QString>
#include <QStringView>

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

} // namespace tv::bench
