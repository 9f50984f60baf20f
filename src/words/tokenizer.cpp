#include "tokenizer.h"

#include "platform/guard.h"
#include "words/casefold.h"
#include "words/phrasebuilder.h"
#include "words/stopmatcher.h"
#include "words/unicodewords.h"

namespace tv {

Tokenizer::Tokenizer(const TokenizerOptions& options)
    : m_rule(options.rule), m_ignoreCase(options.ignoreCase)
{
    if (options.phraseLength < 1 || options.phraseLength > PhraseBuilder::kMaxLength)
        throw Failure(
            QStringLiteral("A phrase is 2 or 3 words long, not %1").arg(options.phraseLength));
    if (m_rule == WordRule::Unicode)
        m_unicode = std::make_unique<UnicodeWords>();
    if (!options.stopWords.isEmpty())
        m_stops = std::make_unique<StopMatcher>(options.stopWords, m_rule);
    if (options.phraseLength > 1)
        m_phrases = std::make_unique<PhraseBuilder>(options.phraseLength);
    m_plain = m_rule == WordRule::Classic && !m_stops && !m_phrases;
}

Tokenizer::~Tokenizer() = default;

QStringList Tokenizer::unusableStopWords() const
{
    return m_stops ? m_stops->unusable() : QStringList();
}

void Tokenizer::walk(QStringView page, const Sink& onWord)
{
    if (m_phrases)
        m_phrases->breakRun();
    if (m_rule == WordRule::Unicode)
        walkUnicode(page, onWord);
    else
        walkClassic(page, onWord);
}

void Tokenizer::walkClassic(QStringView page, const Sink& onWord)
{
    qsizetype lastLine = 1;
    forEachPiece(page, [&](QStringView piece, qsizetype line, qsizetype) {
        // A new line, or a tab before the piece (the end of a table cell), ends a run.
        if (m_phrases &&
            (line != lastLine || (piece.data() > page.data() && piece.utf16()[-1] == u'\t')))
            m_phrases->breakRun();
        lastLine = line;
        if (piece.isEmpty())
            return;
        const QStringView word = cleanWordView(piece, m_ignoreCase, m_buffer);
        if (word.isEmpty())
            return;
        if (m_stops && m_stops->matches(piece, word, m_ignoreCase)) {
            if (m_phrases)
                m_phrases->breakRun();
            return;
        }
        take(word, onWord);
    });
}

void Tokenizer::walkUnicode(QStringView page, const Sink& onWord)
{
    m_unicode->forEachWord(page, [&](QStringView written, bool lineBreak) {
        if (m_phrases && lineBreak)
            m_phrases->breakRun();
        const QStringView word = m_ignoreCase ? foldCase(written, m_folded) : written;
        if (m_stops && m_stops->matches(written, word, m_ignoreCase)) {
            if (m_phrases)
                m_phrases->breakRun();
            return;
        }
        take(word, onWord);
    });
}

void Tokenizer::take(QStringView word, const Sink& onWord)
{
    if (!m_phrases) {
        onWord(word);
        return;
    }
    const QStringView phrase = m_phrases->add(word);
    if (!phrase.isEmpty())
        onWord(phrase);
}

} // namespace tv
