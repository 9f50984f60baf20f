#pragma once
// The window's word analysis: the choices the user made (kept in the settings), the splitter
// a run is given, and the run's rows redone in the results list once it ends: filtered, with
// the share and pages columns, and the count's figures for the window to show.
#include "count/countrequest.h"
#include "count/countresults.h"
#include "words/analysisoptions.h"
#include "words/countsplitter.h"
#include "words/rowfigures.h"

#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace tv {

class ResultsModel;

// What the user chose, as the settings keep it: the stop lists by name and file, not their words.
struct WordAnalysisChoice {
    WordRule rule = WordRule::Classic;
    QStringList stopLanguages; // built-in lists by English name
    QString stopFile;          // a list of the user's own, "" for none
    int phraseLength = 1;
    qint64 minCount = 0;
    qint64 minLength = 0;
    qint64 top = 0;
    bool withShare = false;
    bool withPages = false;
    bool keepPageTable = false; // keep each page's words for the word by page table

    bool operator==(const WordAnalysisChoice&) const = default;
    // Whether anything differs from the program's own count.
    bool isOn() const { return *this != WordAnalysisChoice(); }
    // The choice in a few words, for the window: "Off", or "Unicode words, stop words, ...".
    QString summary() const;
    // The options a run takes; reads the stop lists. Throws Failure when one cannot be read.
    AnalysisOptions options() const;
};

// The choice kept in the settings; a stored value that cannot be read is left at its default.
WordAnalysisChoice loadWordAnalysisChoice();
void saveWordAnalysisChoice(const WordAnalysisChoice& choice);

class WindowWordAnalysis {
public:
    const WordAnalysisChoice& choice() const { return m_choice; }
    void setChoice(const WordAnalysisChoice& choice) { m_choice = choice; }

    // A run begins: the results list loses the analysis's columns of the last run, and the
    // splitter the run needs is made (null when none). `firstRow` is where this run's rows will
    // start in the results list (from 0). Throws Failure when a stop list cannot be read.
    WordSplitter* beginRun(const CountRequest& request, bool storedWords, ResultsModel& results);
    // The run's rows and counts as they come.
    void addRow(const CountRow& row);
    void siteFinished();
    // The run has ended with a total: its rows in the results list are redone when the
    // analysis changes them, and its figures worked out.
    void finishRun(ResultsModel& results);

    // The figures of the last run that ended, if any.
    const std::optional<CountFigures>& figures() const { return m_figures; }
    // Whether the last run kept a word by page table, and writing it (csv unless the path ends
    // in .tsv or .txt). False with `error` saying why when it cannot be written.
    bool hasPageTable() const { return m_tablePages.has_value(); }
    bool writePageTable(const QString& path, QString& error) const;

private:
    // The figures of the run's rows as the list shows them, when the analysis is off.
    CountFigures listFigures(const ResultsModel& results) const;

    WordAnalysisChoice m_choice;
    AnalysisOptions m_options;
    std::unique_ptr<CountSplitter> m_splitter;
    bool m_perSite = false;
    bool m_recording = false;
    int m_firstRow = 0;
    std::vector<CountRow> m_rows;
    std::vector<int> m_starts;
    bool m_siteDone = true;
    std::optional<CountFigures> m_figures;
    // The last finished run's word by page table: its words, in the list's order, and pages.
    WordRows m_tableWords;
    std::optional<std::vector<NamedCount>> m_tablePages;
};

} // namespace tv
