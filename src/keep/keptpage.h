#pragma once
// What a run keeps of each page it counted, and of how it split pages into words: what the
// views behind the numbers read.
#include "fetch/pagesource.h"
#include "words/stoplist.h"
#include "words/wordrule.h"

#include <QByteArray>
#include <QString>

namespace tv {

// How a run split its pages into words, so that a view finds the same words again.
struct KeptRule {
    WordRule rule = WordRule::Classic;
    StopList stopWords;
    int phraseLength = 1; // what the run counted: single words, or phrases of 2 or 3
};

// One site of a run as it was counted.
struct KeptPage {
    enum class Text {
        Kept,     // `text` holds what was counted
        NotRead,  // the page failed or the row named no page: there was nothing to count
        OverLimit // the run's texts had reached their limit: counted, but not kept
    };

    int site = 0;    // its place among the run's site rows, from 1
    QString address; // the row as typed
    QString url;     // the address last requested, after redirects; "" for none
    QByteArray encoding;
    qint64 bytes = 0; // the page as downloaded, after decompression
    qint64 words = 0; // the words counted from it
    bool ignoreCase = false;
    FetchedPage::Outcome outcome = FetchedPage::Outcome::NoPage;
    QString error; // why it failed; "" unless it did
    Text state = Text::NotRead;
    QString text; // only when asked for with the text, and kept
};

} // namespace tv
