// The command buttons of the main window, each handing over to its procedure in the logic
// libraries with the window's lists, options, pointer and progress bar.
#include "form1.h"

#include "count/countingrun.h"
#include "fetch/addressdisplay.h"
#include "fetch/networkpagesource.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/guard.h"
#include "results/copylist.h"
#include "results/excelexport.h"
#include "results/savelist.h"
#include "sites/sitecommands.h"

#include <QCheckBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

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
                                        locationText(QStringLiteral("Form1"), objectName()), 0));
    }
    --m_commandDepth;
}

void Form1::openSiteFiles(const QStringList& paths)
{
    command([&] { tv::openSiteFiles(m_sites, paths, *m_services.dialogs); });
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
        EngineChoice choice;
        choice.databaseMethod = Option3->isChecked();
        choice.textMethod = Option4->isChecked();
        choice.providerAvailable = m_providerAvailable;
        choice.databasePath = workingDatabasePath();
        startCounting(*this, *m_services.dialogs, pages(), choice);
    });
    on(PushButton9, [this] {
        Guard g(QStringLiteral("Form1"), QStringLiteral("PushButton9_Click"));
        g.run(100, [&] { m_results.clearRows(); });
    });
    on(PushButton6, [this] { saveResultsAsTextFile(m_results, *m_services.dialogs, *this, this); });
    on(PushButton2,
       [this] { copyResultsToClipboard(m_results, *m_services.dialogs, *m_services.desktop); });
    on(PushButton1, [this] {
        std::unique_ptr<Spreadsheet> sheet =
            m_services.makeSpreadsheet ? m_services.makeSpreadsheet()
                                       : std::make_unique<XlsxSpreadsheet>(*m_services.desktop);
        saveResultsAsExcelFile(
            m_results, *m_services.dialogs, *this, *sheet, [this] { return Option2->isChecked(); },
            m_services.spreadsheetRegistered);
    });
}

PageSource& Form1::pages()
{
    if (!m_services.pages && !m_networkPages)
        m_networkPages = std::make_unique<NetworkPageSource>();
    // Asked for at every run: a change of the option counts from the next run on, and each run
    // fetches its style sheets afresh.
    if (m_networkPages)
        m_networkPages->beginRun(styleSheetsOption->isChecked());
    PageSource& source = m_services.pages ? *m_services.pages : *m_networkPages;
    // While the run waits for a page the bar names it; the engine's own text comes back after.
    // A source of the caller's may outlive the window, hence the guard.
    QPointer<Form1> self(this);
    const auto begins = [self](const PageWait& wait) {
        if (!self)
            return;
        self->m_textBeforeWait = self->ProgressBar1->format();
        const QString address = displayAddress(wait.address);
        self->setProgressText(wait.position > 0 ? QStringLiteral("Downloading site %1 of %2: %3")
                                                      .arg(wait.position)
                                                      .arg(wait.count)
                                                      .arg(address)
                                                : QStringLiteral("Downloading ") + address);
    };
    const auto ends = [self] {
        if (self)
            self->ProgressBar1->setFormat(self->m_textBeforeWait);
    };
    source.setWaitWatcher({begins, ends});
    return source;
}

bool Form1::SaveResultsAsExcelFileIsExcelInstalled()
{
    return tv::SaveResultsAsExcelFileIsExcelInstalled(*m_services.dialogs,
                                                      m_services.spreadsheetRegistered);
}

} // namespace tv
