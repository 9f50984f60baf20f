#include "count/wordtally.h"

#include <QHash>
#include <QHashSeed>

namespace tv {

// Page text comes from anywhere; the process-wide random seed keeps crafted collisions out.
WordTally::WordTally() : m_seed(QHashSeed::globalSeed()) {}

void WordTally::clear()
{
    m_entries.clear();
    m_hashes.clear();
    m_slots.clear();
    m_mask = 0;
}

void WordTally::add(QStringView word)
{
    ++entryOf(word, qHash(word, m_seed), nullptr).count;
}

void WordTally::add(const WordTally& other)
{
    for (size_t i = 0; i < other.m_entries.size(); ++i) {
        const Entry& e = other.m_entries[i];
        // The seed is the process's, so the other tally's hashes hold here too.
        entryOf(e.word, other.m_hashes[i], &e.word).count += e.count;
    }
}

WordTally::Entry& WordTally::entryOf(QStringView word, size_t hash, const QString* shared)
{
    if ((m_entries.size() + 1) * 2 > m_slots.size())
        grow();
    for (size_t slot = hash & m_mask;; slot = (slot + 1) & m_mask) {
        const quint32 at = m_slots[slot];
        if (at == 0) {
            const auto entry = quint32(m_entries.size());
            m_entries.push_back({shared ? *shared : word.toString(), 0});
            m_hashes.push_back(hash);
            m_slots[slot] = entry + 1;
            return m_entries.back();
        }
        Entry& e = m_entries[at - 1];
        if (m_hashes[at - 1] == hash && QStringView(e.word) == word)
            return e;
    }
}

void WordTally::grow()
{
    const size_t size = m_slots.empty() ? 1024 : m_slots.size() * 2;
    m_slots.assign(size, 0);
    m_mask = size - 1;
    for (quint32 i = 0; i < m_entries.size(); ++i)
        place(i, m_hashes[i]);
}

void WordTally::place(quint32 entry, size_t hash)
{
    size_t slot = hash & m_mask;
    while (m_slots[slot] != 0)
        slot = (slot + 1) & m_mask;
    m_slots[slot] = entry + 1;
}

} // namespace tv
