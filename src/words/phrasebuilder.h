#pragma once
// Phrases of two or three consecutive words, joined by one blank. A run of consecutive words
// ends where a phrase must not reach across: a line end, a table cell, a page, a stop word.
#include <QString>
#include <QStringView>
#include <array>

namespace tv {

class PhraseBuilder {
public:
    static constexpr int kMaxLength = 3;

    // `length` words make a phrase: 2 or 3.
    explicit PhraseBuilder(int length);

    // The next word starts a new run.
    void breakRun() { m_held = 0; }
    // Adds the next word of the run; gives the phrase that it completes, or an empty view while
    // the run is still shorter than a phrase. The view lives until the next call.
    QStringView add(QStringView word);

private:
    int m_length;
    int m_held = 0; // words of the current run held, at most m_length
    int m_next = 0; // the ring slot the next word goes to
    std::array<QString, kMaxLength> m_words;
    QString m_phrase;
};

} // namespace tv
