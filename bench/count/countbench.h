#pragma once
// What the counting benchmarks share: the 10-million-word text, an observer that keeps the rows
// in a results model as the window does, and a page source of one text.
#include "count/countobserver.h"
#include "count/countrequest.h"
#include "fetch/pagesource.h"
#include "results/countedrows.h"
#include "results/counttexts.h"
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

// The window's share of a run, without the window: rows into a results model, progress kept.
class BenchCount : public CountObserver {
public:
    explicit BenchCount(ResultsModel& results) : m_results(results) {}
    bool ignoreCase() const override { return ignoreCaseValue; }
    void setProgressValue(double value) override { progress = value; }
    void setProgressText(const QString& text) override { progressText = text; }
    void addRow(const CountRow& row) override { appendCountRow(m_results, perSite, row, m_counts); }

    bool perSite = false;
    bool ignoreCaseValue = true;
    double progress = 0;
    QString progressText;

private:
    ResultsModel& m_results;
    CountTexts m_counts;
};

// The request of a one-site run over the bench text.
CountRequest benchRequest();

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
