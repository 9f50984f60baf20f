#pragma once
// A set of words looked up by view, for a question asked of every word of a page ("is this a
// stop word?"): a flat table kept at most a quarter full, so that a word not in the set usually
// costs one hash and one probe.
#include <QString>
#include <QStringView>
#include <vector>

namespace tv {

class WordSet {
public:
    WordSet();

    void insert(const QString& word);
    bool contains(QStringView word) const;
    bool isEmpty() const { return m_words.empty(); }

private:
    void grow();
    void place(quint32 entry);

    std::vector<QString> m_words;
    std::vector<size_t> m_hashes; // per word
    std::vector<quint32> m_slots; // word index + 1; 0 marks a free slot
    size_t m_mask = 0;
    size_t m_seed;
};

} // namespace tv
