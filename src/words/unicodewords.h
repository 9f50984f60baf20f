#pragma once
// The "Unicode words" rule: word boundaries by Unicode's rules (UAX #29) through ICU's word
// break iterator, which also segments Chinese, Japanese and Thai by dictionary. A word keeps the
// apostrophes and hyphens inside it ("don't", "e-mail") and loses the punctuation of any script
// at its ends ("¿Qué" is "Qué", "“quoted”" is "quoted"); numbers are words too ("3.14").
#include <QString>
#include <QStringView>
#include <functional>
#include <memory>

namespace tv {

class UnicodeWords {
public:
    using Sink = std::function<void(QStringView word, bool lineBreak)>;

    // Throws Failure when ICU cannot give its word break rules.
    UnicodeWords();
    ~UnicodeWords();
    UnicodeWords(const UnicodeWords&) = delete;
    UnicodeWords& operator=(const UnicodeWords&) = delete;

    // Calls onWord for every word of `text` in order, letter case as written. The typographic
    // apostrophe U+2019 becomes ' and the hyphens U+2010 and U+2011 become -, so that "don’t"
    // and "don't" are one word; soft hyphens vanish. `lineBreak` is true when a line end or a
    // tab (which ends a table cell) stands between the word and the one before it. The view
    // lives until onWord returns. Throws Failure when ICU fails.
    void forEachWord(QStringView text, const Sink& onWord);

private:
    void walkWindow(const char16_t* text, qsizetype size, const Sink& onWord);
    void emitWord(const char16_t* text, qsizetype begin, qsizetype end, const Sink& onWord);
    void emitPiece(const char16_t* text, qsizetype begin, qsizetype end, const Sink& onWord);
    void give(QStringView word, const Sink& onWord);

    struct Iterator;
    std::unique_ptr<Iterator> m_iterator;
    QString m_buffer;
    bool m_lineBreak = false; // a line end since the last word given
};

} // namespace tv
