#pragma once
// The page source of the command line: the real one, watched, so that the run knows which
// pages could not be read and the status line can say which site is being fetched.
#include "fetch/pagesource.h"

namespace tv {

class Console;

class CountedPages : public PageSource {
public:
    // `sites`: the number of site rows, for "site n of N".
    CountedPages(PageSource& pages, Console& console, int sites);

    FetchedPage fetchPage(const QString& address) override;
    void announce(const QStringList& addresses) override;

    // Whether the engine has started on the sites at all (announced or fetched one).
    bool started() const { return m_announced || m_calls > 0; }
    // Pages asked for: rows that name a page (an empty row names none).
    int asked() const { return m_asked; }
    // Pages that could not be read.
    int failed() const { return m_failed; }
    // Reports made while pages were fetched (failures and warnings alike).
    int fetchReports() const { return m_fetchReports; }
    // Starts counting afresh, for a second engine after the first could not start.
    void reset();

private:
    PageSource& m_pages;
    Console& m_console;
    int m_sites;
    bool m_announced = false;
    int m_calls = 0;
    int m_asked = 0;
    int m_failed = 0;
    int m_fetchReports = 0;
};

} // namespace tv
