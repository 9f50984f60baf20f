// The main window's command buttons, each handing over to its procedure in the logic libraries
// with the window's lists, options, pointer and progress bar.
#include "app/mainwindow.h"

#include "app/windowcount.h"
#include "app/wordanalysisdialog.h"
#include "fetch/addressdisplay.h"
#include "fetch/localfilepages.h"
#include "fetch/networkpagesource.h"
#include "platform/dialogs.h"
#include "platform/folders.h"
#include "platform/guard.h"
#include "platform/windowcontrols.h"
#include "results/copyresults.h"
#include "results/savetext.h"
#include "results/spreadsheetexport.h"
#include "sites/sitecommands.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

namespace tv {

void MainWindow::command(const WindowControl& button, const std::function<void()>& procedure)
{
    ++m_commandDepth;
    // Rows a run has just added are shown, and so taken by the outputs, before the command.
    m_results.flushAppends();
    // Guarded procedures report their own failures; this only keeps a stray one from escaping
    // into the event loop.
    runUnguarded(clickLocation(button), procedure);
    --m_commandDepth;
}

void MainWindow::openSiteFiles(const QStringList& paths)
{
    command(control::loadSitesFromFiles,
            [&] { tv::openSiteFiles(m_sites, paths, *m_services.dialogs); });
}

void MainWindow::connectCommands()
{
    const auto on = [this](QPushButton* button, const WindowControl& control,
                           std::function<void()> procedure) {
        connect(
            button, &QPushButton::clicked, this,
            [this, &control, procedure = std::move(procedure)] { command(control, procedure); });
    };
    Dialogs& dialogs = *m_services.dialogs;
    on(m_addOneUrl, control::addOneUrl, [this, &dialogs] { addOneUrl(m_sites, dialogs); });
    on(m_loadSampleSites, control::loadSampleSites, [this] { loadSampleSites(m_sites); });
    on(m_clearSiteList, control::clearSiteList, [this] {
        changeSites([this] { clearSiteList(m_sites, *this); });
        // The pages a crawl or sitemap read for the list go with it.
        if (m_sites.count() == 0 && m_networkPages)
            m_networkPages->forgetReceived();
    });
    on(m_loadSitesFromFiles, control::loadSitesFromFiles,
       [this, &dialogs] { loadSitesFromFiles(m_sites, dialogs); });
    on(m_removeSitesContaining, control::removeSitesContaining,
       [this, &dialogs] { changeSites([&] { removeSitesContaining(m_sites, dialogs, *this); }); });
    on(m_removeSitesNotContaining, control::removeSitesNotContaining, [this, &dialogs] {
        changeSites([&] { removeSitesNotContaining(m_sites, dialogs, *this); });
    });
    // While a run goes the same button stops it.
    connect(m_startCounting, &QPushButton::clicked, this, &MainWindow::startOrStopCounting);
    on(m_clearResults, control::clearResults, [this] { clearResults(); });
    on(m_saveResultsAsText, control::saveResultsAsText,
       [this, &dialogs] { saveResultsAsText(m_shown, dialogs, *this, this); });
    on(m_copyResults, control::copyResults,
       [this, &dialogs] { copyResultsToClipboard(m_shown, dialogs, *m_services.desktop); });
    on(m_exportResults, control::exportResults, [this] { exportResults(); });
    on(m_wordAnalysis, control::wordAnalysis, [this] { openWordAnalysis(); });
    // The word by page table of the last count, from the results list's menu.
    auto* pageTable = new QAction(QStringLiteral("Export Word by Page Table..."), m_resultsList);
    pageTable->setObjectName(QStringLiteral("exportPageTable"));
    connect(pageTable, &QAction::triggered, this,
            [this] { command(control::resultsList, [this] { exportPageTable(); }); });
    m_resultsList->addAction(pageTable);
    m_resultsList->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void MainWindow::startOrStopCounting()
{
    if (m_counting)
        stopCounting();
    else
        command(control::startCounting, [this] { startCounting(); });
}

void MainWindow::stopCounting()
{
    if (!m_counting || m_stopRequested)
        return;
    m_stopRequested = true;
    if (m_services.pages)
        m_services.pages->cancel();
    else if (m_networkPages)
        m_networkPages->cancel();
}

void MainWindow::startCounting()
{
    // Another command that shows the busy mark (a save, say) is not a run to stop.
    if (m_pointerMode == PointerHourglass)
        return;
    MethodChoice choice;
    choice.databaseMethod = m_databaseMethod->isChecked();
    choice.textMethod = m_textMethod->isChecked();
    choice.providerAvailable = m_providerAvailable;
    choice.databasePath = workingDatabasePath();
    WindowCount::Controls controls;
    controls.sites = &m_sites;
    controls.results = &m_results;
    controls.resultsView = m_resultsList;
    controls.perSiteCount = m_perSiteCount;
    controls.combinedCount = m_combinedCount;
    controls.ignoreCase = m_ignoreCase;
    controls.pointer = this;
    controls.progress = this;
    controls.stopRequested = &m_stopRequested;
    controls.status = &m_siteStatus;
    controls.runRows = m_retryRows;
    controls.collectFailures = m_collectFailures && m_collectFailures->isChecked();
    controls.analysis = &m_analysis;
    controls.figures = m_wordFigures;
    controls.keeper = &m_keeper;
    WindowCount window(controls);
    m_stopRequested = false;
    m_counting = true;
    m_startCounting->setText(QStringLiteral("&Stop Counting"));
    // Rows the user gave as local files are read from disk; every other row is downloaded.
    LocalFilePages localFiles(pages());
    tv::startCounting(window, *m_services.dialogs, localFiles, choice);
    m_siteStatus.runEnds();
    m_counting = false;
    m_stopRequested = false;
    m_startCounting->setText(labelOf(control::startCounting));
}

void MainWindow::clearResults()
{
    Guard g(clickLocation(control::clearResults));
    g.run(100, [&] { clearResultsUndoably(); });
}

void MainWindow::exportResults()
{
    std::unique_ptr<Spreadsheet> sheet =
        m_services.makeSpreadsheet ? m_services.makeSpreadsheet()
                                   : std::make_unique<XlsxSpreadsheet>(*m_services.desktop);
    exportResultsToSpreadsheet(
        m_shown, *m_services.dialogs, *this, *sheet,
        [this] { return m_combinedCount->isChecked(); }, m_services.spreadsheetRegistered);
}

void MainWindow::openWordAnalysis()
{
    WordAnalysisDialog dialog(m_analysis.choice(), *m_services.dialogs, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_analysis.setChoice(dialog.choice());
    Guard g(clickLocation(control::wordAnalysis));
    g.run(100, [&] { saveWordAnalysisChoice(m_analysis.choice()); });
    showWordAnalysisChoice();
}

void MainWindow::showWordAnalysisChoice()
{
    const QString summary = m_analysis.choice().summary();
    m_wordFigures->setText(summary);
    m_wordAnalysis->setToolTip(summary);
}

void MainWindow::exportPageTable()
{
    Guard g(eventLocation(control::resultsList, "ExportPageTable"));
    if (!m_analysis.hasPageTable()) {
        g.run(100, [&] {
            m_services.dialogs->information(
                QStringLiteral("Tick \"Keep a word by page table for export\" under Word "
                               "Analysis..., then count again."));
        });
        return;
    }
    QString path;
    g.run(102, [&] {
        path = m_services.dialogs->saveFileName(
            QStringLiteral("Export Word by Page Table"),
            QStringLiteral("CSV Files (*.csv);;Tab-Separated Files (*.tsv)"));
    });
    if (path.isEmpty())
        return;
    QString error;
    if (!m_analysis.writePageTable(path, error))
        g.report(104, QStringLiteral("Cannot write \"%1\": %2").arg(path, error));
}

PageSource& MainWindow::pages()
{
    if (!m_services.pages && !m_networkPages)
        m_networkPages = std::make_unique<NetworkPageSource>();
    // Asked for at every run: a change of the option counts from the next run on, and each run
    // fetches its style sheets afresh.
    if (m_networkPages)
        m_networkPages->beginRun(m_styleSheets->isChecked());
    PageSource& source = m_services.pages ? *m_services.pages : *m_networkPages;
    // While the run waits for a page the bar names it; the engine's own text comes back after.
    // A source of the caller's may outlive the window, hence the guard.
    QPointer<MainWindow> self(this);
    const auto begins = [self](const PageWait& wait) {
        if (!self)
            return;
        self->m_textBeforeWait = self->m_progressBar->format();
        const QString address = displayAddress(wait.address);
        self->setProgressText(wait.position > 0 ? QStringLiteral("Downloading site %1 of %2: %3")
                                                      .arg(wait.position)
                                                      .arg(wait.count)
                                                      .arg(address)
                                                : QStringLiteral("Downloading ") + address);
    };
    const auto ends = [self] {
        if (self)
            self->m_progressBar->setFormat(self->m_textBeforeWait);
    };
    source.setWaitWatcher({begins, ends});
    return source;
}

bool MainWindow::spreadsheetApplicationAvailable()
{
    return tv::spreadsheetApplicationAvailable(*m_services.dialogs,
                                               m_services.spreadsheetRegistered);
}

} // namespace tv
