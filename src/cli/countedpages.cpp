#include "countedpages.h"

#include "cli/console.h"
#include "fetch/addressdisplay.h"

namespace tv {

CountedPages::CountedPages(PageSource& pages, Console& console, int sites)
    : m_pages(pages), m_console(console), m_sites(sites)
{
}

FetchedPage CountedPages::fetchPage(const QString& address)
{
    ++m_calls;
    m_console.status(
        QStringLiteral("site %1 of %2: %3").arg(m_calls).arg(m_sites).arg(displayAddress(address)));
    FetchedPage page = m_pages.fetchPage(address);
    if (page.outcome != FetchedPage::Outcome::NoPage)
        ++m_asked;
    // A page that is cut off at the size limit is reported too, but its text still counts.
    m_fetchReports += int(page.warnings.size()) + (page.failed() ? 1 : 0);
    if (page.failed())
        ++m_failed;
    return page;
}

void CountedPages::announce(const QStringList& addresses)
{
    m_announced = true;
    m_pages.announce(addresses);
}

void CountedPages::reset()
{
    m_announced = false;
    m_calls = 0;
    m_asked = 0;
    m_failed = 0;
    m_fetchReports = 0;
}

} // namespace tv
