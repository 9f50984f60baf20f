#pragma once
// The word splitter a count is given when word analysis is on: the chosen word rule, stop words
// and phrase length through a Tokenizer, and, when the pages column or the word by page table
// is asked for, each page's own count kept beside the run's.
#include "count/wordsplitter.h"
#include "words/analysisoptions.h"
#include "words/tokenizer.h"
#include "words/wordrows.h"

#include <QStringList>
#include <vector>

namespace tv {

class CountSplitter : public WordSplitter {
public:
    // `sites` names the run's sites (as typed) for the pages' names. `storedWords`: the count
    // stores words as the database method does, so the pages keep them in that form too.
    // Throws Failure as the Tokenizer does.
    CountSplitter(const AnalysisOptions& options, const QStringList& sites, bool storedWords);

    void splitPage(int site, QStringView text, bool ignoreCase, const WordSink& onWord) override;

    // Stop-list entries that can match no word under the rule, as written.
    QStringList unusableStopWords() const { return m_tokenizer.unusableStopWords(); }
    // Each page counted so far with its own count (when kept), in the order counted.
    const std::vector<NamedCount>& pages() const { return m_pages; }
    // Forgets the pages, for a second method after the first could not start.
    void restart(bool storedWords)
    {
        m_pages.clear();
        m_storedWords = storedWords;
    }

private:
    Tokenizer m_tokenizer;
    QStringList m_sites;
    bool m_keepPages;
    bool m_storedWords;
    std::vector<NamedCount> m_pages;
};

} // namespace tv
