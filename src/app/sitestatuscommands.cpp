// Beyond the original window: the commands around the site list's status column (collecting
// failures there instead of a box each, retrying the failed sites) and drops of site-list
// files and addresses onto the list.
#include "app/mainwindow.h"

#include "platform/dialogs.h"
#include "platform/guard.h"
#include "platform/settings.h"
#include "platform/windowcontrols.h"
#include "sites/sitecommands.h"

#include <QAction>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTreeView>
#include <QUrl>

namespace tv {

namespace {

const QString kCollectFailuresKey = QStringLiteral("CollectFailures");

} // namespace

void MainWindow::buildSiteStatusCommands(QMenu* count)
{
    count->addSeparator();
    m_collectFailures = count->addAction(QStringLiteral("&Collect Failures in the Site List"));
    m_collectFailures->setObjectName(QStringLiteral("collectFailuresAction"));
    m_collectFailures->setCheckable(true);
    // Off unless the user turned it on: each failure then shows its own box, as it always did.
    bool on = false;
    try {
        on = textToBool(readSetting(kCollectFailuresKey, QStringLiteral("False")));
    } catch (const Failure&) {
        on = false;
    }
    m_collectFailures->setChecked(on);
    connect(m_collectFailures, &QAction::toggled, this, [](bool checked) {
        runUnguarded(windowLocation("CollectFailures_Click"),
                     [checked] { writeSetting(kCollectFailuresKey, boolToText(checked)); });
    });
    QAction* retry = count->addAction(QStringLiteral("&Retry Failed Sites"));
    retry->setObjectName(QStringLiteral("retryFailedAction"));
    connect(retry, &QAction::triggered, this, &MainWindow::retryFailedSites);

    m_siteList->setTextElideMode(Qt::ElideMiddle);
    m_siteList->viewport()->setAcceptDrops(true);
}

// A new run over the sites whose page failed in the last run that reached them.
void MainWindow::retryFailedSites()
{
    if (m_counting || m_pointerMode == PointerHourglass)
        return;
    m_retryRows = m_siteStatus.failedRows();
    if (m_retryRows.empty()) {
        m_services.dialogs->information(QStringLiteral("No site failed in the last run."));
        return;
    }
    startOrStopCounting();
    m_retryRows.clear();
}

// Lists of addresses are loaded as "Load From File" loads them, other files (saved pages, texts)
// become file rows of their own; addresses (links or text from a browser)
// are added as rows, one per line.
bool MainWindow::dropOnSiteList(QEvent* event)
{
    auto* drop = static_cast<QDropEvent*>(event);
    const QMimeData* data = drop->mimeData();
    if (!data || (!data->hasUrls() && !data->hasText()))
        return false;
    if (event->type() != QEvent::Drop) {
        drop->acceptProposedAction();
        return true;
    }
    drop->acceptProposedAction();
    QStringList files;
    QStringList addresses;
    if (data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile())
                files << url.toLocalFile();
            else
                addresses << url.toString();
        }
    } else {
        for (const QString& line : data->text().split(u'\n')) {
            const QString address = line.trimmed();
            if (!address.isEmpty())
                addresses << address;
        }
    }
    if (m_pointerMode == PointerHourglass)
        return true;
    if (!addresses.isEmpty())
        m_sites.append(addresses);
    if (!files.isEmpty())
        addDroppedFiles(files);
    return true;
}

} // namespace tv
