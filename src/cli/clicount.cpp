#include "cli/clicount.h"

#include "cli/console.h"

namespace tv {

CliCount::CliCount(bool perSite, bool ignoreCase, Console& console, int sites)
    : m_ignoreCase(ignoreCase), m_console(console), m_sites(sites), m_rows(perSite)
{
}

void CliCount::restart()
{
    m_asked = 0;
    m_failed = 0;
}

void CliCount::siteStarted(int, const QString& address)
{
    ++m_asked;
    m_console.status(QStringLiteral("site %1 of %2: %3").arg(m_asked).arg(m_sites).arg(address));
}

void CliCount::siteFinished(const SiteOutcome& outcome)
{
    if (outcome.page.failed())
        ++m_failed;
}

void CliCount::addRow(const CountRow& row)
{
    m_rows.add(row);
}

} // namespace tv
