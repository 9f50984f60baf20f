#include "words/countsplitter.h"

#include "count/sortkeys.h"
#include "count/wordtable.h"
#include "fetch/addressdisplay.h"

#include <QHash>

namespace tv {

namespace {

TokenizerOptions tokenizerOptions(const AnalysisOptions& options)
{
    TokenizerOptions t;
    t.rule = options.rule;
    t.stopWords = options.stopWords;
    t.phraseLength = options.phraseLength;
    return t;
}

} // namespace

CountSplitter::CountSplitter(const AnalysisOptions& options, const QStringList& sites,
                             bool storedWords)
    : m_tokenizer(tokenizerOptions(options)), m_sites(sites), m_keepPages(options.keepsPages()),
      m_storedWords(storedWords)
{
}

void CountSplitter::splitPage(int site, QStringView text, bool ignoreCase, const WordSink& onWord)
{
    m_tokenizer.setIgnoreCase(ignoreCase);
    if (!m_keepPages) {
        m_tokenizer.forEachWord(text, onWord);
        return;
    }
    QHash<QString, qint64> counts;
    m_tokenizer.forEachWord(text, [&](QStringView word) {
        onWord(word);
        // The page's words in the form the count shows them, so that its rows find them.
        const QString shown = m_storedWords ? displayWord(storedWord(word)) : displayWord(word);
        ++counts[shown];
    });
    NamedCount page;
    page.name = site >= 1 && site <= m_sites.size() ? displayAddress(m_sites[site - 1])
                                                    : QString::number(site);
    page.rows.reserve(size_t(counts.size()));
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        page.rows.push_back({it.key(), it.value()});
    m_pages.push_back(std::move(page));
}

} // namespace tv
