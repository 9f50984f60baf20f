#include "stopmatcher.h"

#include "count/wordclean.h"
#include "words/casefold.h"
#include "words/unicodewords.h"

namespace tv {

namespace {

// The piece without the ASCII punctuation at its ends: "(we'll)," gives "we'll".
QStringView trimPunctuation(QStringView piece)
{
    while (!piece.isEmpty() && isPunctuation(piece.front().unicode()))
        piece = piece.sliced(1);
    while (!piece.isEmpty() && isPunctuation(piece.back().unicode()))
        piece.chop(1);
    return piece;
}

bool hasPunctuation(QStringView text)
{
    for (const QChar c : text) {
        if (isPunctuation(c.unicode()))
            return true;
    }
    return false;
}

} // namespace

StopMatcher::StopMatcher(const StopList& list, WordRule rule)
{
    if (rule == WordRule::Classic) {
        for (const QString& entry : list.words())
            addClassic(entry);
        return;
    }
    UnicodeWords unicode;
    for (const QString& entry : list.words())
        addUnicode(entry, unicode);
}

void StopMatcher::addClassic(const QString& entry)
{
    const QStringView core = trimPunctuation(entry);
    if (cleanWord(core, false).isEmpty() || core.contains(u' ')) {
        m_unusable << entry;
        return;
    }
    if (!hasPunctuation(core)) {
        m_words[0].insert(cleanWord(core, false));
        m_words[1].insert(cleanWord(core, true));
        return;
    }
    m_written[0].insert(core.toString());
    m_written[1].insert(core.toString().toLower());
}

void StopMatcher::addUnicode(const QString& entry, UnicodeWords& unicode)
{
    QStringList words;
    unicode.forEachWord(entry, [&](QStringView word, bool) { words << word.toString(); });
    if (words.size() != 1) {
        m_unusable << entry;
        return;
    }
    m_words[0].insert(words.front());
    m_words[1].insert(foldCase(words.front()));
}

bool StopMatcher::isEmpty() const
{
    return m_words[0].isEmpty() && m_written[0].isEmpty();
}

bool StopMatcher::matches(QStringView piece, QStringView word, bool ignoreCase) const
{
    const int c = ignoreCase ? 1 : 0;
    if (m_words[c].contains(word))
        return true;
    if (m_written[c].isEmpty() || !hasPunctuation(piece))
        return false;
    const QStringView core = trimPunctuation(piece);
    if (!hasPunctuation(core))
        return false;
    if (!ignoreCase)
        return m_written[0].contains(core);
    return m_written[1].contains(core.toString().toLower());
}

} // namespace tv
