#pragma once
// Made-up counted pages for the word-server tests, the same in every process that asks: site
// texts and words with quotes, backslashes, tabs, line breaks, COPY's own markers (\N, \.),
// letters beyond the first plane and words longer than the stored 255 characters; a few pages
// that failed and an empty row that names no page.
#include "pgstore/wordstore.h"

#include <QStringList>
#include <vector>

namespace tv::test {

// Pages for rows 1..count.
std::vector<PageRecord> samplePages(int count);
// The site rows of those pages, the list every worker of a run reads.
QStringList sampleSites(const std::vector<PageRecord>& pages);

// A report as lines "row|site|word|count", for comparing two reports.
QStringList reportLines(PgWordStore& store, const QString& run, ReportKind kind);

// Records every page of `pages` that the store's shard still needs; gives how many it stored.
int recordAll(PgWordStore& store, const std::vector<PageRecord>& pages);

} // namespace tv::test
