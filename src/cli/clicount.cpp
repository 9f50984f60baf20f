#include "cli/clicount.h"

#include "cli/console.h"
#include "results/countedrows.h"

namespace tv {

CliCount::CliCount(bool perSite, bool ignoreCase, Console& console, int sites)
    : m_perSite(perSite), m_ignoreCase(ignoreCase), m_console(console), m_sites(sites)
{
    if (perSite) {
        m_results.addColumn(QStringLiteral("Filename"), 3000);
        m_results.addColumn(QStringLiteral("Results"), 1500);
        m_results.addColumn(QStringLiteral("Count"), 1500);
    } else {
        m_results.addColumn(QStringLiteral("Results"), 3500);
        m_results.addColumn(QStringLiteral("Count"), 3000);
    }
}

void CliCount::setTotalCaption(const QString& caption)
{
    m_results.setCaption(1, caption);
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
    appendCountRow(m_results, m_perSite, row, m_counts);
}

} // namespace tv
