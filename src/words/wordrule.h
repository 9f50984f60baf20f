#pragma once
// The rules a count can split text into words by.

namespace tv {

enum class WordRule {
    // The program's own rule and the default: pieces between blanks, tabs and line ends, with
    // the 32 ASCII punctuation characters removed and lower-cased when case is ignored.
    Classic,
    // Unicode's word boundaries through ICU, punctuation removed from the ends of words only,
    // and full case folding when case is ignored.
    Unicode,
};

} // namespace tv
