#pragma once
// What the counting engines read from and write to the window. The window implements it;
// tests and the command line implement it too.
#include "platform/pointer.h"

#include <QString>

namespace tv {

class CountingView : public Pointer {
public:
    virtual ~CountingView() = default;

    // The site list: number of rows, and row `row` (1-based; throws Failure when it is gone).
    virtual int siteCount() const = 0;
    virtual QString siteText(int row) const = 0;

    virtual bool perSiteSelected() const = 0;  // "Give separate counts for each URL"
    virtual bool combinedSelected() const = 0; // "Give one count for all URL(s)"
    // Read afresh for every word: ticking the box during a run affects the words still to come.
    virtual bool ignoreCase() const = 0;

    virtual void setProgressValue(double value) = 0; // 0 to 100
    virtual void setProgressText(const QString& text) = 0;

    // Appends a row to the results list (column 1, sub-items 1 and 2).
    virtual void appendResult(const QString& text, const QString& sub1, const QString& sub2) = 0;
    virtual void setFirstColumnCaption(const QString& caption) = 0;
    // The results list takes input again once a run has reported "Done.".
    virtual void setResultsEnabled(bool enabled) = 0;
};

} // namespace tv
