#pragma once
// Word cleaning shared by both counting engines, and the sort-key helpers of the text method.
// Strings are UTF-16; every comparison is ordinal.
#include <QString>
#include <QStringView>

namespace tv {

// The 32 ASCII punctuation characters, in the six groups StripPunctuation applies in turn.
inline constexpr const char16_t* kPunctuationGroups[] = {
    u"~`", u"!@#$%^&*()", u"_+-=", u"{}|[]\\", u";':\"", u"<>?,./",
};

// True for the 32 ASCII punctuation characters.
constexpr bool isPunctuation(char16_t c)
{
    return (c >= u'!' && c <= u'/') || (c >= u':' && c <= u'@') || (c >= u'[' && c <= u'`') ||
           (c >= u'{' && c <= u'~');
}

// The text with every space (U+0020) removed; tabs and no-break spaces stay.
QString RemoveSpaces(QString text);
// The text without the 32 punctuation characters; `text` is set to the result as well.
QString StripPunctuation(QString& text);
// The characters of `text` that are in `set` (keep) or not in it (drop), in text order.
QString FilterChars(const QString& text, const QString& set, bool keep);

// The cleaned word: spaces and punctuation removed, then lower-cased when `ignoreCase`. Empty
// means "not a word". Same result as RemoveSpaces, StripPunctuation and toLower in turn.
QString cleanWord(QStringView piece, bool ignoreCase);
// As cleanWord, but gives back `piece` itself when cleaning changes nothing, and otherwise
// writes the cleaned word into `buffer` and returns a view of it.
QStringView cleanWordView(QStringView piece, bool ignoreCase, QString& buffer);

// "5 apple" -> "00000000005 apple": the count left-padded with "0" to 11 characters.
// Throws Failure when the key has no space or its count is not a 32-bit number.
QString PadCount(const QString& key);
// The key from its first character that is not "0"; "" for an empty or all-zero key.
QString UnpadCount(const QString& key);
// The word as the text method shows it: cut at its first "nbsp" (which the output turns into a
// blank before taking the first blank-separated piece). "" when the word starts with "nbsp".
QString displayWord(const QString& word);

// The word as the database method stores it: double quotes become apostrophes, and at most
// the first 255 characters are kept.
QString storedWord(QStringView word);
// As storedWord, but gives back `word` itself when it is already in its stored form, and
// otherwise writes the stored form into `buffer` and returns a view of it.
QStringView storedWordView(QStringView word, QString& buffer);
inline constexpr int kStoredWordLength = 255;

} // namespace tv
