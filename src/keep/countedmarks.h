#pragma once
// What the count made of a page's text, for showing the text as it was counted: the pieces it
// did not take as written (cleaned of punctuation, lower-cased, left out as stop words, or
// nothing left of them), found by the rule the run counted with.
#include <QList>
#include <QString>
#include <QStringView>

namespace tv {

struct KeptRule;

struct CountedMark {
    enum class Kind {
        Cleaned,  // counted, but not as written: `counted` is the word the count took
        StopWord, // left out by the stop list
        NoWord,   // nothing was left of it after cleaning: not counted
    };
    Kind kind = Kind::Cleaned;
    qsizetype begin = 0; // where it stands in the text the marks were made for
    qsizetype end = 0;
    QString written; // the piece as it stands in the page's own text
    QString counted; // the word as counted ("" unless Cleaned)
};

// The marks of a page's text counted under `rule` and `ignoreCase`, in text order; words taken
// as written have none. Throws Failure when ICU fails.
QList<CountedMark> countedMarks(QStringView text, const KeptRule& rule, bool ignoreCase);

// The page as the count took it: each cleaned word in its counted form, everything else as
// written; the marks then say where each piece stands in that text.
struct CountedText {
    QString text;
    QList<CountedMark> marks;
};
CountedText asCounted(QStringView text, const QList<CountedMark>& marks);

} // namespace tv
