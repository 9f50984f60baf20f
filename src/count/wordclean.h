#pragma once
// The word-cleaning rule both counting methods apply to every piece of a page: blanks and the
// 32 ASCII punctuation characters removed, then lower-cased when letter case is ignored. An
// empty result is not a word. Strings are UTF-16; every comparison is ordinal.
#include <QString>
#include <QStringView>

namespace tv {

// True for the 32 ASCII punctuation characters: ~`!@#$%^&*()_+-={}|[]\;':"<>?,./
constexpr bool isPunctuation(char16_t c)
{
    return (c >= u'!' && c <= u'/') || (c >= u':' && c <= u'@') || (c >= u'[' && c <= u'`') ||
           (c >= u'{' && c <= u'~');
}

// The cleaned word: blanks (U+0020 only) and punctuation removed, then lower-cased (the whole
// string, by Unicode's mapping) when `ignoreCase`. Empty means "not a word".
QString cleanWord(QStringView piece, bool ignoreCase);
// As cleanWord, but gives back `piece` itself when cleaning changes nothing, and otherwise
// writes the cleaned word into `buffer` and returns a view of it.
QStringView cleanWordView(QStringView piece, bool ignoreCase, QString& buffer);

} // namespace tv
