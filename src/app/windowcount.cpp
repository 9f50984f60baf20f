#include "app/windowcount.h"

#include "app/sitestatus.h"
#include "app/wordanalysis.h"
#include "keep/runkeeper.h"
#include "results/countedrows.h"
#include "results/resultsmodel.h"
#include "sites/sitelistmodel.h"

#include <QCheckBox>
#include <QLabel>
#include <QLocale>
#include <QRadioButton>

namespace tv {

QStringList WindowCount::siteRows() const
{
    std::vector<int> rows = m_c.runRows;
    if (rows.empty()) {
        for (int r = 1; r <= m_c.sites->count(); ++r)
            rows.push_back(r);
    }
    if (m_c.status)
        m_c.status->runBegins(rows);
    if (m_c.runRows.empty())
        return m_c.sites->rows();
    QStringList chosen;
    for (int r : rows)
        chosen << m_c.sites->text(r);
    return chosen;
}

CountMode WindowCount::countMode() const
{
    const CountMode mode = m_c.combinedCount->isChecked()  ? CountMode::Combined
                           : m_c.perSiteCount->isChecked() ? CountMode::PerSite
                                                           : CountMode::None;
    m_perSite = mode == CountMode::PerSite;
    return mode;
}

void WindowCount::setTotalCaption(const QString& caption)
{
    m_c.results->setCaption(1, caption);
    // The caption comes when the count has ended: its rows are all in.
    if (!m_c.analysis)
        return;
    m_c.analysis->finishRun(*m_c.results);
    if (m_c.figures && m_c.analysis->figures()) {
        const CountFigures& f = *m_c.analysis->figures();
        const QLocale c = QLocale::c();
        m_c.figures->setText(QStringLiteral("%1 words, %2 distinct (%3)")
                                 .arg(c.toString(f.total), c.toString(f.distinct))
                                 .arg(f.ratio(), 0, 'f', 2));
    }
}

WordSplitter* WindowCount::wordSplitter(const CountRequest& request, CountMethod method)
{
    WordSplitter* splitter = nullptr;
    KeptRule rule;
    if (m_c.analysis) {
        splitter = m_c.analysis->beginRun(request, method == CountMethod::Database, *m_c.results);
        const AnalysisOptions& options = m_c.analysis->options();
        rule = {options.rule, options.stopWords, options.phraseLength};
    }
    // Begun once the splitter is made: a stop list that cannot be read counts nothing.
    if (m_c.keeper)
        m_c.keeper->beginRun(rule);
    return splitter;
}

void WindowCount::siteStarted(int site, const QString&)
{
    if (m_c.status)
        m_c.status->siteStarted(site);
}

void WindowCount::siteFinished(const SiteOutcome& outcome)
{
    if (m_c.keeper)
        m_c.keeper->siteFinished(outcome, ignoreCase());
    if (m_c.status)
        m_c.status->siteFinished(outcome);
    if (m_c.analysis)
        m_c.analysis->siteFinished();
}

FailurePolicy WindowCount::failurePolicy() const
{
    return m_c.collectFailures ? FailurePolicy::OutcomesOnly : FailurePolicy::ReportEach;
}

void WindowCount::setResultsEnabled(bool enabled)
{
    m_c.resultsView->setEnabled(enabled);
}

bool WindowCount::ignoreCase() const
{
    // A tick only: the grey state of a check box does not count.
    return m_c.ignoreCase->checkState() == Qt::Checked;
}

bool WindowCount::stopRequested() const
{
    return m_c.stopRequested && *m_c.stopRequested;
}

void WindowCount::showBusy()
{
    m_c.pointer->setPointerMode(PointerHourglass);
}

void WindowCount::addRow(const CountRow& row)
{
    appendCountRow(*m_c.results, m_perSite, row, m_counts);
    if (m_c.analysis)
        m_c.analysis->addRow(row);
}

void WindowCount::setProgressValue(double value)
{
    m_c.progress->setProgressValue(value);
}

void WindowCount::setProgressText(const QString& text)
{
    m_c.progress->setProgressText(text);
}

int WindowCount::pointerMode() const
{
    return m_c.pointer->pointerMode();
}

void WindowCount::setPointerMode(int mode)
{
    m_c.pointer->setPointerMode(mode);
}

} // namespace tv
