#include "countedpages.h"

#include "cli/console.h"

namespace tv {

CountedPages::CountedPages(PageSource& pages, ConsoleReports& reports, Console& console, int sites)
    : m_pages(pages), m_reports(reports), m_console(console), m_sites(sites)
{
}

QString CountedPages::fetchUrl(const QString& address)
{
    ++m_asked;
    m_console.status(QStringLiteral("site %1 of %2: %3").arg(m_asked).arg(m_sites).arg(address));
    const int before = m_reports.count();
    QString text = m_pages.fetchUrl(address);
    const int reported = m_reports.count() - before;
    m_fetchReports += reported;
    // A page that is cut off at the size limit is reported too, but its text still counts.
    if (reported > 0 && text.isEmpty())
        ++m_failed;
    return text;
}

void CountedPages::announce(const QStringList& addresses)
{
    m_announced = true;
    m_pages.announce(addresses);
}

void CountedPages::reset()
{
    m_announced = false;
    m_asked = 0;
    m_failed = 0;
    m_fetchReports = 0;
}

} // namespace tv
