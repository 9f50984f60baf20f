#pragma once
// Letter case under the Unicode word rule: Unicode's full case folding, so that "Straße",
// "STRASSE" and "strasse" are one word where lower-casing alone would keep them apart.
#include <QString>
#include <QStringView>

namespace tv {

// The word under full, language-independent case folding (the Turkish capital dotted I becomes
// "i" with a combining dot above). Gives back `word` itself when it is plain lower-case ASCII;
// otherwise writes the folded word into `buffer` and returns a view of it.
QStringView foldCase(QStringView word, QString& buffer);
QString foldCase(QStringView word);

} // namespace tv
