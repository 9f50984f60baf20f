#include "cli/clicount.h"

#include "cli/console.h"
#include "fetch/addressdisplay.h"

namespace tv {

CliCount::CliCount(bool perSite, bool ignoreCase, Console& console, int sites)
    : m_ignoreCase(ignoreCase), m_console(console), m_sites(sites), m_rows(perSite)
{
}

void CliCount::restart()
{
    m_started = 0;
    m_asked = 0;
    m_failed = 0;
}

void CliCount::siteStarted(int, const QString& address)
{
    ++m_started;
    m_console.status(QStringLiteral("site %1 of %2: %3")
                         .arg(m_started)
                         .arg(m_sites)
                         .arg(displayAddress(address)));
}

void CliCount::siteFinished(const SiteOutcome& outcome)
{
    if (outcome.page.outcome != FetchedPage::Outcome::NoPage)
        ++m_asked;
    if (outcome.page.failed())
        ++m_failed;
    m_siteDone = true;
}

void CliCount::addRow(const CountRow& row)
{
    if (m_siteDone)
        m_starts.push_back(m_rows.rows());
    m_siteDone = false;
    m_rows.add(row);
}

} // namespace tv
