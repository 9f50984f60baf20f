#pragma once
// What the counting engines see of the command line: a site list, fixed options, and a results
// list laid out as the window lays it out for the chosen count.
#include "count/countingview.h"
#include "results/resultsmodel.h"
#include "sites/sitelistmodel.h"

namespace tv {

class CliView : public CountingView {
public:
    // Lays the results list out as the window's option click does: "Filename", "Results",
    // "Count" per site; "Results", "Count" for one count over all sites.
    CliView(bool perSite, bool ignoreCase);

    SiteListModel& sites() { return m_sites; }
    const ResultsModel& results() const { return m_results; }
    // The first column's caption as the last run left it ("" before any run set it).
    QString caption() const { return m_caption; }
    bool isPerSite() const { return m_perSite; }

    int pointerMode() const override { return m_pointer; }
    void setPointerMode(int mode) override { m_pointer = mode; }
    int siteCount() const override { return m_sites.count(); }
    QString siteText(int row) const override { return m_sites.text(row); }
    bool perSiteSelected() const override { return m_perSite; }
    bool combinedSelected() const override { return !m_perSite; }
    bool ignoreCase() const override { return m_ignoreCase; }
    // Shown per site by the page source instead: the engines' own texts change per word.
    void setProgressValue(double) override {}
    void setProgressText(const QString&) override {}
    void appendResult(const QString& text, const QString& sub1, const QString& sub2) override;
    void setFirstColumnCaption(const QString& caption) override;
    void setResultsEnabled(bool) override {}

private:
    bool m_perSite;
    bool m_ignoreCase;
    int m_pointer = PointerDefault;
    SiteListModel m_sites;
    ResultsModel m_results;
    QString m_caption;
};

} // namespace tv
