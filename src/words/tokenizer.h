#pragma once
// The words, or phrases, of one page as a count takes them: what both counting engines call for
// every page. The word rule, the letter-case choice, the stop words and the phrase length are
// its options; with the defaults (the classic rule, no stop words, single words) it is the
// engines' own split and clean, inline, at the same speed.
#include "count/pagewords.h"
#include "count/wordclean.h"
#include "words/stoplist.h"
#include "words/wordrule.h"

#include <QString>
#include <QStringView>
#include <functional>
#include <memory>

namespace tv {

class PhraseBuilder;
class StopMatcher;
class UnicodeWords;

struct TokenizerOptions {
    WordRule rule = WordRule::Classic;
    bool ignoreCase = false;
    StopList stopWords;   // empty: every word counts
    int phraseLength = 1; // 1: single words; 2 or 3: phrases of that many consecutive words
};

// One tokenizer serves one thread at a time; a count may make one per thread.
class Tokenizer {
public:
    // Throws Failure for a phrase length other than 1, 2 or 3, or when ICU fails.
    explicit Tokenizer(const TokenizerOptions& options = {});
    ~Tokenizer();
    Tokenizer(const Tokenizer&) = delete;
    Tokenizer& operator=(const Tokenizer&) = delete;

    // Applies from the next word on: the engines read the choice afresh as they count.
    void setIgnoreCase(bool ignoreCase) { m_ignoreCase = ignoreCase; }
    bool ignoreCase() const { return m_ignoreCase; }
    // Stop-list entries that can match no single word under the rule, as written.
    QStringList unusableStopWords() const;

    // Calls onWord(QStringView) for every word, or phrase, of one page in text order; words are
    // cleaned, phrases joined by one blank. No phrase reaches across a line end, a tab (the end
    // of a table cell), a stop word or the page's end. The view lives until onWord returns.
    // Throws Failure when ICU fails.
    template <class F> void forEachWord(QStringView page, F&& onWord)
    {
        if (!m_plain) {
            walk(page, [&onWord](QStringView word) { onWord(word); });
            return;
        }
        forEachPiece(page, [&](QStringView piece, qsizetype, qsizetype) {
            if (piece.isEmpty())
                return;
            const QStringView word = cleanWordView(piece, m_ignoreCase, m_buffer);
            if (!word.isEmpty())
                onWord(word);
        });
    }

private:
    using Sink = std::function<void(QStringView)>;
    void walk(QStringView page, const Sink& onWord);
    void walkClassic(QStringView page, const Sink& onWord);
    void walkUnicode(QStringView page, const Sink& onWord);
    // A word that survived the stop list: given as it is, or as the phrase it completes.
    void take(QStringView word, const Sink& onWord);

    WordRule m_rule;
    bool m_ignoreCase;
    bool m_plain; // the classic rule, no stop words, single words
    QString m_buffer;
    QString m_folded;
    std::unique_ptr<UnicodeWords> m_unicode;
    std::unique_ptr<StopMatcher> m_stops;
    std::unique_ptr<PhraseBuilder> m_phrases;
};

} // namespace tv
