#pragma once
// Stop words in the form a count meets its words: every entry cleaned by the count's word rule,
// under both letter-case choices, since the choice may change while a count runs.
#include "words/stoplist.h"
#include "words/wordrule.h"
#include "words/wordset.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace tv {

class UnicodeWords;

class StopMatcher {
public:
    StopMatcher() = default;
    // Throws Failure when ICU fails.
    StopMatcher(const StopList& list, WordRule rule);

    bool isEmpty() const;
    // True when one occurrence is a stop word. `word` is the occurrence cleaned (and folded when
    // `ignoreCase`); `piece` is how it stood in the text: the piece between blanks under the
    // classic rule, the word itself under the Unicode rule.
    bool matches(QStringView piece, QStringView word, bool ignoreCase) const;
    // The entries that can match no single word under the rule (they make several words, or
    // none), as written.
    const QStringList& unusable() const { return m_unusable; }

private:
    void addClassic(const QString& entry);
    void addUnicode(const QString& entry, UnicodeWords& unicode);

    WordSet m_words[2]; // by the letter-case choice: [1] when case is ignored
    // The classic rule removes an apostrophe or a hyphen inside a word, so "we'll" is counted
    // as "well". Entries written so are matched against the occurrence as written, or the
    // English list would drop "well", "shell" and "hell".
    WordSet m_written[2];
    QStringList m_unusable;
};

} // namespace tv
