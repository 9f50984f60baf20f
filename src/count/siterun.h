#pragma once
// The walk over a count's sites that both counting methods share: the page source told which
// pages are coming, the caller asked before each site whether to stop and told as each site
// starts and ends, and each page fetched by the count's failure policy.
#include "count/countrequest.h"
#include "count/countresults.h"

namespace tv {

class CountObserver;
class PageSource;

class SiteRun {
public:
    // `summary` learns how many sites were counted and whether the run stopped early.
    SiteRun(const CountRequest& request, PageSource& pages, CountObserver& observer,
            CountSummary& summary);

    int sites() const { return int(m_request.sites.size()); }
    // How pages are split into words; null for the program's own rule.
    WordSplitter* splitter() const { return m_request.splitter; }
    // Site `site` (from 1) as typed.
    const QString& address(int site) const { return m_request.sites[site - 1]; }
    // Lets downloads start early: the sites, in order, as the run will ask for them.
    void announce();
    // Asked before each site: false once the caller wants the run to stop.
    bool goOn();
    // Site `site`'s page, the caller told first. Under FailurePolicy::ReportEach a failure or a
    // warning is reported through the error report of "Sorting.fetchUrl" at once. The text is
    // "" unless the page was read.
    FetchedPage fetch(int site);
    // Tells the caller what became of the site; the page's text is not handed on.
    void finish(int site, FetchedPage page, qint64 words, const WordTally* tally = nullptr);
    // Error reports shown since the run began that were not about its pages.
    int otherReports() const;

private:
    const CountRequest& m_request;
    PageSource& m_pages;
    CountObserver& m_observer;
    CountSummary& m_summary;
    quint64 m_reportsBefore;
    int m_pageReports = 0;
};

} // namespace tv
