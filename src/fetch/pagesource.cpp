#include "fetch/pagesource.h"

#include "platform/guard.h"

namespace tv {

void PageSource::waitBegins(const PageWait& wait) const
{
    if (m_waitWatcher.begins)
        m_waitWatcher.begins(wait);
}

void PageSource::waitEnds() const
{
    if (m_waitWatcher.ends)
        m_waitWatcher.ends();
}

QString fetchUrl(PageSource& pages, const QString& address, FetchedPage* page)
{
    Guard g(location::fetchPage());
    FetchedPage fetched = pages.fetchPage(address);
    if (fetched.failed())
        g.report(104, fetched.error);
    for (const QString& warning : fetched.warnings)
        g.report(106, warning);
    QString text = fetched.outcome == FetchedPage::Outcome::Read ? fetched.text : QString();
    if (page)
        *page = std::move(fetched);
    return text;
}

} // namespace tv
