// The command buttons of the main window, each handing over to its procedure in the logic
// libraries with the window's lists, options, pointer and progress bar.
#include "form1.h"

#include "app/windowcount.h"
#include "count/countingrun.h"
#include "fetch/networkpagesource.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/guard.h"
#include "platform/windowcontrols.h"
#include "results/copyresults.h"
#include "results/savetext.h"
#include "results/spreadsheetexport.h"
#include "sites/sitecommands.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

namespace tv {

void Form1::command(const std::function<void()>& procedure)
{
    ++m_commandDepth;
    try {
        procedure();
    } catch (...) {
        // Guarded procedures report their own failures; this only keeps a stray one from
        // escaping into the event loop.
        showErrorReport(errorReportText(describeException(std::current_exception()),
                                        {QStringLiteral("Form1"), objectName()}, 0));
    }
    --m_commandDepth;
}

void Form1::connectCommands()
{
    auto on = [this](QPushButton* button, std::function<void()> procedure) {
        connect(button, &QPushButton::clicked, this,
                [this, procedure = std::move(procedure)] { command(procedure); });
    };
    on(PushButton7, [this] { tv::PushButton7_Click(m_sites, *m_services.dialogs); });
    on(PushButton8, [this] { tv::PushButton8_Click(m_sites); });
    on(PushButton11, [this] { tv::PushButton11_Click(m_sites, *this); });
    on(PushButton13, [this] { tv::PushButton13_Click(m_sites, *m_services.dialogs); });
    on(PushButton17, [this] { tv::PushButton17_Click(m_sites, *m_services.dialogs, *this); });
    on(PushButton10, [this] { tv::PushButton10_Click(m_sites, *m_services.dialogs, *this); });
    on(PushButton12, [this] {
        MethodChoice choice;
        choice.databaseMethod = Option3->isChecked();
        choice.textMethod = Option4->isChecked();
        choice.providerAvailable = m_providerAvailable;
        choice.databasePath = workingDatabasePath();
        WindowCount::Controls controls;
        controls.sites = &m_sites;
        controls.results = &m_results;
        controls.resultsView = ListView2;
        controls.perSiteCount = Option1;
        controls.combinedCount = Option2;
        controls.ignoreCase = Check3;
        controls.pointer = this;
        controls.progress = this;
        WindowCount window(controls);
        startCounting(window, *m_services.dialogs, pages(), choice);
    });
    on(PushButton9, [this] {
        Guard g(clickLocation(control::clearResults));
        g.run(100, [&] { m_results.clearRows(); });
    });
    on(PushButton6, [this] { saveResultsAsText(m_results, *m_services.dialogs, *this, this); });
    on(PushButton2,
       [this] { copyResultsToClipboard(m_results, *m_services.dialogs, *m_services.desktop); });
    on(PushButton1, [this] {
        std::unique_ptr<Spreadsheet> sheet =
            m_services.makeSpreadsheet ? m_services.makeSpreadsheet()
                                       : std::make_unique<XlsxSpreadsheet>(*m_services.desktop);
        exportResultsToSpreadsheet(
            m_results, *m_services.dialogs, *this, *sheet, [this] { return Option2->isChecked(); },
            m_services.spreadsheetRegistered);
    });
}

PageSource& Form1::pages()
{
    if (m_services.pages)
        return *m_services.pages;
    if (!m_networkPages)
        m_networkPages = std::make_unique<NetworkPageSource>();
    return *m_networkPages;
}

bool Form1::SaveResultsAsExcelFileIsExcelInstalled()
{
    return spreadsheetApplicationAvailable(*m_services.dialogs, m_services.spreadsheetRegistered);
}

} // namespace tv
