#pragma once
// How the text method orders and shows its words: fixed-width sort keys of count and word, and
// the word as its output shows it.
#include <QString>
#include <QStringView>

namespace tv {

// "5 apple" -> "00000000005 apple": the count left-padded with "0" to 11 characters, so that
// keys sort by count first and by the word's code units next. Throws Failure when the key has
// no space or its count is not a 32-bit number.
QString padCount(QStringView key);
// The key from its first character that is not "0"; "" for an empty or all-zero key.
QString unpadCount(QStringView key);
// The word as the text method shows it: cut at its first "nbsp" (which the output turns into a
// blank before taking the first blank-separated piece). "" when the word starts with "nbsp".
QString displayWord(QStringView word);

} // namespace tv
