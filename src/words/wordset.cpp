#include "wordset.h"

#include <QHash>
#include <QHashSeed>

namespace tv {

// Lookups come from page text; the process-wide random seed keeps crafted collisions out.
WordSet::WordSet() : m_seed(QHashSeed::globalSeed()) {}

void WordSet::insert(const QString& word)
{
    if (contains(word))
        return;
    if ((m_words.size() + 1) * 4 > m_slots.size())
        grow();
    m_words.push_back(word);
    m_hashes.push_back(qHash(QStringView(word), m_seed));
    place(quint32(m_words.size() - 1));
}

bool WordSet::contains(QStringView word) const
{
    if (m_words.empty())
        return false;
    const size_t hash = qHash(word, m_seed);
    for (size_t slot = hash & m_mask;; slot = (slot + 1) & m_mask) {
        const quint32 at = m_slots[slot];
        if (at == 0)
            return false;
        if (m_hashes[at - 1] == hash && QStringView(m_words[at - 1]) == word)
            return true;
    }
}

void WordSet::grow()
{
    const size_t size = m_slots.empty() ? 64 : m_slots.size() * 2;
    m_slots.assign(size, 0);
    m_mask = size - 1;
    for (quint32 i = 0; i < m_words.size(); ++i)
        place(i);
}

void WordSet::place(quint32 entry)
{
    size_t slot = m_hashes[entry] & m_mask;
    while (m_slots[slot] != 0)
        slot = (slot + 1) & m_mask;
    m_slots[slot] = entry + 1;
}

} // namespace tv
