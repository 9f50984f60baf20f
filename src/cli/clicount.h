#pragma once
// What the command line makes of a count: the rows laid out as the window lays them out for the
// chosen count, the status line as each site is read, and which pages could not be read.
#include "count/countobserver.h"
#include "keep/keptpage.h"
#include "results/countedrows.h"

#include <functional>
#include <vector>

namespace tv {

class Console;
class RunKeeper;

class CliCount : public CountObserver {
public:
    // `sites`: the number of site rows, for "site n of N".
    CliCount(bool perSite, bool ignoreCase, Console& console, int sites);

    // The rows, with the first column's caption set as the window sets it after a run.
    CountedRows& rows() { return m_rows; }
    // The row (from 0) where each site's count begins, in a per-site count.
    const std::vector<int>& countStarts() const { return m_starts; }
    // Pages asked for (rows that name one: an empty row names none), and those that could not
    // be read.
    int pagesAsked() const { return m_asked; }
    int pagesFailed() const { return m_failed; }
    // Starts the tally of pages afresh, for a second method after the first could not start.
    void restart();
    // Each page's counted text goes to `keeper` (not owned), split by `rule`; begins its run.
    void keepTexts(RunKeeper* keeper, const KeptRule& rule);

    bool ignoreCase() const override { return m_ignoreCase; }
    bool stopRequested() const override { return m_stop && m_stop(); }
    // Asked before each site: true stops the count there.
    void setStopCheck(std::function<bool()> stop) { m_stop = std::move(stop); }
    // The status line shows the site being read instead: the methods' own texts change with
    // every word.
    void setProgressValue(double) override {}
    void setProgressText(const QString&) override {}
    void siteStarted(int site, const QString& address) override;
    void siteFinished(const SiteOutcome& outcome) override;
    void addRow(const CountRow& row) override;

private:
    bool m_ignoreCase;
    Console& m_console;
    int m_sites;
    int m_started = 0;
    int m_asked = 0;
    int m_failed = 0;
    CountedRows m_rows;
    std::function<bool()> m_stop;
    std::vector<int> m_starts;
    bool m_siteDone = true; // the next row begins a count
    RunKeeper* m_keeper = nullptr;
    KeptRule m_rule;
};

} // namespace tv
