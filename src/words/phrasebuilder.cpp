#include "phrasebuilder.h"

#include <algorithm>

namespace tv {

PhraseBuilder::PhraseBuilder(int length) : m_length(std::clamp(length, 2, kMaxLength)) {}

QStringView PhraseBuilder::add(QStringView word)
{
    // Assigning keeps each slot's storage, so a long run costs no allocation per word.
    QString& slot = m_words[size_t(m_next)];
    slot.resize(word.size());
    std::copy(word.begin(), word.end(), slot.begin());
    m_next = (m_next + 1) % m_length;
    m_held = std::min(m_held + 1, m_length);
    if (m_held < m_length)
        return {};
    m_phrase.resize(0);
    for (int i = 0; i < m_length; ++i) {
        if (i > 0)
            m_phrase += u' ';
        m_phrase += m_words[size_t((m_next + i) % m_length)];
    }
    return m_phrase;
}

} // namespace tv
