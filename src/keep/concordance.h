#pragma once
// Every use of a word, or a two- or three-word phrase, in the texts a run kept, found by the
// rule the run counted with, each with the text around it on its line: a concordance.
#include <QList>
#include <QString>
#include <optional>

namespace tv {

class KeptTexts;
struct KeptRule;

// One use of the word in a kept text.
struct ConcordanceLine {
    int site = 0;         // the site row it was found on, from 1
    QString address;      // that row as typed
    QString left;         // at most `width` characters of its line before it
    QString match;        // the word or phrase as written in the text
    QString right;        // at most `width` characters of its line after it
    qsizetype offset = 0; // where it begins in its page's text
};

struct Concordance {
    QString word;                 // the word or phrase as the run counted it
    QList<ConcordanceLine> lines; // in text order, site by site
    int pagesNotKept = 0;         // pages the run counted but whose text it did not keep
};

enum class ConcordanceOrder {
    Text,  // site by site, in text order
    Left,  // by the word to the left, then the one before it, ...
    Right, // by the word to the right, then the one after it, ...
};

inline constexpr int kDefaultContextWidth = 40;

// The word or phrase as a count under `rule` takes it ("The" is "the" when case is ignored;
// "don't" is "dont" under the program's own rule), its words joined by one blank. Throws Failure
// when it holds no word, or more than three.
QString countedForm(const QString& words, const KeptRule& rule, bool ignoreCase);

// Every use of `words` in the texts run `run` kept, by the run's rule, each with `width`
// characters of context at most on either side; with `address`, only on the sites typed so.
// Throws Failure when the run is not kept, `words` is no word (see countedForm) or `width` is
// below 0.
Concordance findConcordance(const KeptTexts& store, int run, const QString& words,
                            int width = kDefaultContextWidth,
                            const std::optional<QString>& address = std::nullopt);

// Sorts the lines; equal keys keep their order. Words compare without regard to letter case.
void sortConcordance(QList<ConcordanceLine>& lines, ConcordanceOrder order);

} // namespace tv
