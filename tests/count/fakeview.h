#pragma once
// Test doubles for counting: a window that records what the engines show, and a page source
// that serves texts per address and records what was asked of it.
#include "count/countingview.h"
#include "fetch/pagesource.h"

#include <QHash>
#include <QStringList>
#include <functional>

namespace tv::test {

class FakeCountingView : public CountingView {
public:
    // Site list and options.
    QStringList sites;
    bool perSite = false;
    bool combined = true;
    bool ignoreCaseValue = false;

    // What the engines and the run did.
    int mode = PointerDefault;
    QList<int> pointerHistory;
    QList<double> progressValues;
    QStringList progressTexts;
    QList<QStringList> rows; // text, sub1, sub2
    QStringList captions;
    QList<bool> resultsEnabled;
    mutable int siteCountReads = 0;

    int pointerMode() const override { return mode; }
    void setPointerMode(int value) override;
    int siteCount() const override;
    QString siteText(int row) const override;
    bool perSiteSelected() const override { return perSite; }
    bool combinedSelected() const override { return combined; }
    bool ignoreCase() const override { return ignoreCaseValue; }
    void setProgressValue(double value) override { progressValues << value; }
    void setProgressText(const QString& text) override { progressTexts << text; }
    void appendResult(const QString& text, const QString& sub1, const QString& sub2) override;
    void setFirstColumnCaption(const QString& caption) override { captions << caption; }
    void setResultsEnabled(bool enabled) override { resultsEnabled << enabled; }

    // The rows as "text|sub1" (combined) or "text|sub1|sub2" (per site).
    QStringList rowTexts() const;
    QString lastCaption() const { return captions.isEmpty() ? QString() : captions.last(); }
};

class FakePageSource : public PageSource {
public:
    QHash<QString, QString> texts;
    // Addresses whose page fails, with the failure's description.
    QHash<QString, QString> failures;
    // Every call in order: "announce:a,b" and "fetch:a".
    QStringList calls;
    // Runs after a page is served, with the address it was served for.
    std::function<void(const QString&)> afterFetch;

    FetchedPage fetchPage(const QString& address) override;
    void announce(const QStringList& addresses) override;
    QStringList fetched() const;
};

} // namespace tv::test
