#pragma once
// What the counting benchmarks share: the 10-million-word text, a window stand-in that keeps
// its rows in a results model, and a page source of one text.
#include "count/countingview.h"
#include "fetch/pagesource.h"
#include "results/resultsmodel.h"

#include <QString>

namespace tv::bench {

constexpr qint64 kWords = 10'000'000;

// A text of kWords words: the browser texts of the page corpus repeated, or without the corpus
// a made-up text with a natural spread of word frequencies. Logs "<run> over N words (which
// text)"; `words` gets N, the pieces between blanks, tabs and line ends as the engines see them.
QString benchText(const char* run, qint64* words = nullptr);
// The two columns of the window's results list, as a run over combined sites fills them.
void addResultColumns(ResultsModel& results);

class BenchView : public CountingView {
public:
    explicit BenchView(ResultsModel& results) : m_results(results) {}
    int pointerMode() const override { return m_mode; }
    void setPointerMode(int mode) override { m_mode = mode; }
    int siteCount() const override { return int(sites.size()); }
    QString siteText(int row) const override { return sites.at(row - 1); }
    bool perSiteSelected() const override { return !combined; }
    bool combinedSelected() const override { return combined; }
    bool ignoreCase() const override { return ignoreCaseValue; }
    void setProgressValue(double value) override { progress = value; }
    void setProgressText(const QString& text) override { progressText = text; }
    void appendResult(const QString& text, const QString& sub1, const QString& sub2) override
    {
        m_results.append(text, sub1, sub2);
    }
    void setFirstColumnCaption(const QString& text) override { caption = text; }
    void setResultsEnabled(bool) override {}

    QStringList sites{QStringLiteral("bench.example")};
    bool combined = true;
    bool ignoreCaseValue = true;
    double progress = 0;
    QString progressText;
    QString caption;

private:
    ResultsModel& m_results;
    int m_mode = PointerDefault;
};

class OnePage : public PageSource {
public:
    explicit OnePage(QString text) : m_text(std::move(text)) {}
    FetchedPage fetchPage(const QString& address) override
    {
        FetchedPage page;
        page.outcome = FetchedPage::Outcome::Read;
        page.address = address;
        page.text = m_text;
        return page;
    }

private:
    QString m_text;
};

} // namespace tv::bench
