#include "count/siterun.h"

#include "count/countobserver.h"
#include "fetch/pagesource.h"
#include "platform/errorreport.h"

#include <utility>

namespace tv {

SiteRun::SiteRun(const CountRequest& request, PageSource& pages, CountObserver& observer,
                 CountSummary& summary)
    : m_request(request), m_pages(pages), m_observer(observer), m_summary(summary),
      m_reportsBefore(reportsShown())
{
}

void SiteRun::announce()
{
    m_pages.announce(m_request.sites);
}

bool SiteRun::goOn()
{
    if (!m_observer.stopRequested())
        return true;
    m_summary.stopped = true;
    return false;
}

FetchedPage SiteRun::fetch(int site)
{
    const QString& typed = address(site);
    m_observer.siteStarted(site, typed);
    ++m_summary.sitesCounted;
    FetchedPage page;
    if (m_request.failures == FailurePolicy::ReportEach) {
        fetchUrl(m_pages, typed, &page);
        m_pageReports += int(page.warnings.size()) + (page.failed() ? 1 : 0);
    } else {
        page = m_pages.fetchPage(typed);
    }
    if (page.outcome != FetchedPage::Outcome::Read)
        page.text.clear();
    return page;
}

void SiteRun::finish(int site, FetchedPage page, qint64 words, const WordTally* tally,
                     QStringView counted)
{
    page.text = QString();
    if (page.outcome != FetchedPage::Outcome::Cancelled)
        ++m_summary.sitesFinished;
    const SiteOutcome outcome{site, std::move(page), words, tally, counted};
    m_observer.siteFinished(outcome);
}

int SiteRun::otherReports() const
{
    return int(reportsShown() - m_reportsBefore) - m_pageReports;
}

} // namespace tv
