#include "pgstore/pagewords.h"

#include "count/pagewords.h"
#include "count/wordclean.h"
#include "count/wordtally.h"

namespace tv {

std::vector<PageWord> tallyPageWords(const QString& text, bool ignoreCase)
{
    WordTally tally;
    QString buffer;
    forEachPiece(text, [&](QStringView piece, qsizetype, qsizetype) {
        const QStringView word = cleanWordView(piece, ignoreCase, buffer);
        if (!word.isEmpty())
            tally.add(word);
    });
    std::vector<PageWord> words;
    words.reserve(size_t(tally.size()));
    for (const WordTally::Entry& e : tally.entries())
        words.push_back({e.word, e.count});
    return words;
}

} // namespace tv
