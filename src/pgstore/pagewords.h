#pragma once
// A page's words as a worker stores them: each piece cleaned by the program's word rule, the
// empty ones left out, then tallied, so that the server gets one row per distinct word.
#include "pgstore/wordstore.h"

#include <QString>
#include <vector>

namespace tv {

std::vector<PageWord> tallyPageWords(const QString& text, bool ignoreCase);

} // namespace tv
