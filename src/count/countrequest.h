#pragma once
// What a count is asked to do: which sites, in which order, counted together or apart, and how
// a page that cannot be read is made known.
#include <QStringList>

namespace tv {

class WordSplitter;

enum class CountMode {
    None,     // neither layout option is selected: nothing is counted
    Combined, // one count over all sites ("Give one count for all URL(s)")
    PerSite,  // a count of its own for each site ("Give separate counts for each URL")
};

enum class FailurePolicy {
    // An error report for each page that fails and each warning, at the moment it happens.
    ReportEach,
    // Only in the site's outcome: for a caller that shows the outcomes itself.
    OutcomesOnly,
};

struct CountRequest {
    // The site rows as typed, read once when the run starts; rows added to the list later are
    // not visited.
    QStringList sites;
    CountMode mode = CountMode::Combined;
    FailurePolicy failures = FailurePolicy::ReportEach;
    // How pages are split into words; null for the program's own rule. Not owned: it must
    // outlive the count.
    WordSplitter* splitter = nullptr;
};

} // namespace tv
