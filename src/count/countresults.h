#pragma once
// What a count hands back: the rows of its results, what became of each site, and a summary.
#include "fetch/pagesource.h"

#include <QString>
#include <QStringView>
#include <optional>

namespace tv {

class WordTally;

// One row of the results list.
struct CountRow {
    QString site;     // counting per site: the site as the method shows it; "" otherwise
    QString word;     // the word as the method shows it
    qint64 count = 0; // its number of occurrences
};

// What became of one site of the run.
struct SiteOutcome {
    int site = 0;     // its place in the request's sites, from 1
    FetchedPage page; // its page: outcome, addresses, failure, warnings, time; never the text
    qint64 words = 0; // the words counted from it
    // The page's own words and counts (the text method keeps one per page), or null; valid
    // only while the outcome is being handed over.
    const WordTally* tally = nullptr;
    // The text its words were counted from (empty when none was); valid only while the outcome
    // is being handed over.
    QStringView text;
};

struct CountSummary {
    // False when the method could not begin at all (the database method without a usable
    // database): it has reported why, and nothing was counted.
    bool started = false;
    // The number of words counted, as the first column's caption shows it; unset when the
    // method ends without showing a total (no site to count in one count over all sites, or
    // no layout chosen in the text method).
    std::optional<qint64> total;
    int sitesCounted = 0;  // sites whose page was asked for, failed ones included
    bool stopped = false;  // the caller asked to stop before the last site
    int sitesFinished = 0; // sites whose page was read or failed; a cancelled one is not
    // Error reports the count made besides those about its pages (a word the table refused,
    // a body cut out of a page's text, ...).
    int otherReports = 0;
};

enum class CountMethod {
    Text,     // "Regular Text Method (slower)": tallies in memory
    Database, // "MS Access Method (faster)": one table row per word, counted by a query
};

// The first column's caption after a run: "Results (Total Word Count: N)" from the text method,
// "Results - Word Count: N" from the database method.
QString totalCaption(CountMethod method, qint64 total);

// What a caption adds when the run was stopped: "stopped after 3 of 10 sites".
QString stoppedNote(int finished, int sites);

} // namespace tv
