#pragma once
// The text method's tallies: one entry per distinct word in order of first occurrence, each
// holding its count. A hash index finds the entry of a word, so the cost per word stays the
// same however many distinct words a run meets.
#include <QString>
#include <QStringView>
#include <vector>

namespace tv {

class WordTally {
public:
    struct Entry {
        QString word;
        qint64 count = 0;
    };

    WordTally();

    // Counts one occurrence of a (non-empty, cleaned) word; the comparison is ordinal.
    void add(QStringView word);
    // Adds another tally's counts: its words new here are appended in its order.
    void add(const WordTally& other);
    const std::vector<Entry>& entries() const { return m_entries; }
    qsizetype size() const { return qsizetype(m_entries.size()); }
    void clear();

private:
    // The entry of `word` (made with a count of 0 when new), found by its hash.
    Entry& entryOf(QStringView word, size_t hash, const QString* shared);
    void grow();
    void place(quint32 entry, size_t hash);

    std::vector<Entry> m_entries;
    std::vector<size_t> m_hashes; // per entry, so that growing never hashes a word again
    std::vector<quint32> m_slots; // entry index + 1; 0 marks a free slot
    size_t m_mask = 0;
    size_t m_seed;
};

} // namespace tv
