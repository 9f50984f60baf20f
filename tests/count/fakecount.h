#pragma once
// Test doubles for counting: a window that records what a count and the "Start Counting" run
// did, and a page source that serves texts per address and records what was asked of it.
#include "count/countingrun.h"
#include "fetch/pagesource.h"

#include <QHash>
#include <QStringList>
#include <functional>

namespace tv::test {

class FakeCountingWindow : public CountingWindow {
public:
    // Site list and options.
    QStringList sites;
    bool perSite = false;
    bool combined = true;
    bool ignoreCaseValue = false;
    // Asked before each site; null never stops.
    std::function<bool()> stop;

    // What the count and the run did.
    int mode = PointerDefault;
    QList<int> pointerHistory;
    QList<double> progressValues;
    QStringList progressTexts;
    QList<QStringList> rows; // site, word, count
    QStringList captions;
    QList<bool> resultsEnabled;
    QStringList startedSites; // "site:address"
    QList<SiteOutcome> outcomes;
    QList<qint64> outcomeTallyTotals; // the words in each outcome's tally; -1 for none
    mutable int siteReads = 0;

    // The request a run of this window makes: its sites and its layout.
    CountRequest request() const;

    QStringList siteRows() const override;
    CountMode countMode() const override;
    void setTotalCaption(const QString& caption) override { captions << caption; }
    void setResultsEnabled(bool enabled) override { resultsEnabled << enabled; }
    int pointerMode() const override { return mode; }
    void setPointerMode(int value) override;

    bool ignoreCase() const override { return ignoreCaseValue; }
    bool stopRequested() const override { return stop && stop(); }
    void showBusy() override { setPointerMode(PointerHourglass); }
    void setProgressValue(double value) override { progressValues << value; }
    void setProgressText(const QString& text) override { progressTexts << text; }
    void siteStarted(int site, const QString& address) override;
    void siteFinished(const SiteOutcome& outcome) override;
    void addRow(const CountRow& row) override;

    // The rows as "word|count" (one count) or "site|word|count" (per site).
    QStringList rowTexts() const;
    QString lastCaption() const { return captions.isEmpty() ? QString() : captions.last(); }
};

class FakePageSource : public PageSource {
public:
    QHash<QString, QString> texts;
    // Addresses whose page fails, with the failure's description.
    QHash<QString, QString> failures;
    // Addresses whose page is read with a warning.
    QHash<QString, QString> warnings;
    // Every call in order: "announce:a,b" and "fetch:a".
    QStringList calls;
    // Runs after a page is served, with the address it was served for.
    std::function<void(const QString&)> afterFetch;

    FetchedPage fetchPage(const QString& address) override;
    void announce(const QStringList& addresses) override;
    QStringList fetched() const;
};

} // namespace tv::test
