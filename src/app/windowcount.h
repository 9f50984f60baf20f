#pragma once
// The window's side of a count: it hands "Start Counting" the site rows and the options as the
// run begins, shows the rows in the results list as they come, the progress on the bar, and
// reads "Ignore letter case" afresh for every word. The word analysis gets the run's rows and
// redoes them in the list as the run ends.
#include "count/countingrun.h"
#include "results/counttexts.h"

#include <vector>

class QCheckBox;
class QLabel;
class QRadioButton;
class QWidget;

namespace tv {

class ResultsModel;
class RunKeeper;
class SiteStatusModel;
class SiteListModel;
class WindowWordAnalysis;

class WindowCount : public CountingWindow {
public:
    struct Controls {
        SiteListModel* sites = nullptr;
        ResultsModel* results = nullptr;
        QWidget* resultsView = nullptr;
        const QRadioButton* perSiteCount = nullptr;
        const QRadioButton* combinedCount = nullptr;
        const QCheckBox* ignoreCase = nullptr;
        Pointer* pointer = nullptr;          // the window's busy mark
        ProgressSink* progress = nullptr;    // the window's progress bar
        const bool* stopRequested = nullptr; // set when the user stops the run
        WindowWordAnalysis* analysis = nullptr;
        QLabel* figures = nullptr;         // shows the count's figures once it ends
        SiteStatusModel* status = nullptr; // the site list's status column
        RunKeeper* keeper = nullptr;       // keeps each page's counted text for the views
        // The site rows (from 1) the run counts; every row when empty.
        std::vector<int> runRows;
        // Failures go to the status column instead of an error report each.
        bool collectFailures = false;
    };
    explicit WindowCount(const Controls& controls) : m_c(controls) {}

    QStringList siteRows() const override;
    CountMode countMode() const override;
    void setTotalCaption(const QString& caption) override;
    void setResultsEnabled(bool enabled) override;
    WordSplitter* wordSplitter(const CountRequest& request, CountMethod method) override;

    bool ignoreCase() const override;
    bool stopRequested() const override;
    void showBusy() override;
    void siteStarted(int site, const QString& address) override;
    void siteFinished(const SiteOutcome& outcome) override;
    FailurePolicy failurePolicy() const override;
    void addRow(const CountRow& row) override;
    void setProgressValue(double value) override;
    void setProgressText(const QString& text) override;

    int pointerMode() const override;
    void setPointerMode(int mode) override;

private:
    Controls m_c;
    CountTexts m_counts;
    // Whether the rows of the run under way go in the per-site layout: the run's own mode,
    // whatever layout the user picks while it runs.
    mutable bool m_perSite = false;
};

} // namespace tv
