#pragma once
// The body text extractor: the part of a text between the body tags, with every tag removed.
#include <QString>

namespace tv {

// The characters between "<body" and "</body>" outside any "<...>"; the input unchanged when
// there is no "</body>" or nothing is left. A "</body>" before any "<body" is reported through
// the error report of "Sorting.removeTags" and gives the input unchanged.
QString removeTags(const QString& text);

} // namespace tv
