#include "tokenizer.h"

#include "platform/guard.h"
#include "words/casefold.h"
#include "words/phrasebuilder.h"
#include "words/stopmatcher.h"
#include "words/unicodewords.h"

namespace tv {

Tokenizer::Tokenizer(const TokenizerOptions& options)
    : m_rule(options.rule), m_phraseLength(options.phraseLength), m_ignoreCase(options.ignoreCase)
{
    static_assert(std::tuple_size_v<decltype(m_begins)> >= PhraseBuilder::kMaxLength);
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
    const auto counted = [&](qsizetype begin, qsizetype end, QStringView word, Fate fate) {
        if (fate == Fate::Counted)
            take(word, begin, end, onWord);
    };
    if (m_rule == WordRule::Unicode)
        walkUnicode(page, counted);
    else
        walkClassic(page, counted);
}

void Tokenizer::walkPieces(QStringView page, const PieceSink& onPiece)
{
    if (m_rule == WordRule::Unicode)
        walkUnicode(page, onPiece);
    else
        walkClassic(page, onPiece);
}

void Tokenizer::walkClassic(QStringView page, const PieceSink& onPiece)
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
        const qsizetype begin = piece.data() - page.data();
        const qsizetype end = begin + piece.size();
        const QStringView word = cleanWordView(piece, m_ignoreCase, m_buffer);
        if (word.isEmpty()) {
            onPiece(begin, end, {}, Fate::NoWord);
            return;
        }
        if (m_stops && m_stops->matches(piece, word, m_ignoreCase)) {
            if (m_phrases)
                m_phrases->breakRun();
            onPiece(begin, end, {}, Fate::StopWord);
            return;
        }
        onPiece(begin, end, word, Fate::Counted);
    });
}

void Tokenizer::walkUnicode(QStringView page, const PieceSink& onPiece)
{
    m_unicode->forEachWord(page, [&](QStringView written, bool lineBreak) {
        if (m_phrases && lineBreak)
            m_phrases->breakRun();
        const qsizetype begin = m_unicode->wordBegin();
        const qsizetype end = m_unicode->wordEnd();
        const QStringView word = m_ignoreCase ? foldCase(written, m_folded) : written;
        if (m_stops && m_stops->matches(written, word, m_ignoreCase)) {
            if (m_phrases)
                m_phrases->breakRun();
            onPiece(begin, end, {}, Fate::StopWord);
            return;
        }
        onPiece(begin, end, word, Fate::Counted);
    });
}

void Tokenizer::take(QStringView word, qsizetype begin, qsizetype end, const Sink& onWord)
{
    if (!m_phrases) {
        onWord(word, begin, end);
        return;
    }
    m_begins[m_taken % m_begins.size()] = begin;
    ++m_taken;
    const QStringView phrase = m_phrases->add(word);
    if (phrase.isEmpty())
        return;
    // The phrase's words are the last ones taken: its first stands phraseLength - 1 back.
    const quint64 first = m_taken - quint64(m_phraseLength);
    onWord(phrase, m_begins[first % m_begins.size()], end);
}

} // namespace tv
