// The views behind the numbers, reached from the window's lists: a site's counted text (the
// site list's menu, or Enter), a word's uses (the results list's menu, Enter or Ctrl+double-
// click, which removes nothing), the chart of the top words, and local files added as pages.
#include "app/concordanceview.h"
#include "app/mainwindow.h"
#include "app/pagetextview.h"
#include "app/wordchartview.h"
#include "fetch/localfilepages.h"
#include "platform/dialogs.h"
#include "platform/guard.h"
#include "platform/windowcontrols.h"
#include "sites/droppedfiles.h"
#include "sites/sitecommands.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHash>
#include <QKeyEvent>
#include <QMimeData>
#include <QRadioButton>
#include <QTreeView>

namespace tv {

namespace {

QAction* listAction(QWidget* list, const QString& text, const char* name)
{
    auto* action = new QAction(text, list);
    action->setObjectName(QString::fromLatin1(name));
    list->addAction(action);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    return action;
}

// A view in a window of its own, closed with the main window.
void showAsWindow(QWidget* view, const QString& title, QSize size)
{
    view->setWindowFlag(Qt::Window);
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->setWindowTitle(title);
    view->resize(size);
    view->show();
    view->raise();
    view->activateWindow();
}

// Enter alone: with Ctrl or Alt it is another command's key.
bool isEnter(const QKeyEvent* key)
{
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    return enter && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

void MainWindow::connectViews()
{
    connect(listAction(m_siteList, QStringLiteral("Show Counted Text"), "showCountedText"),
            &QAction::triggered, this, [this] { viewCommand([this] { showCountedText(); }); });
    connect(listAction(m_siteList, QStringLiteral("Add Local Files..."), "addLocalFiles"),
            &QAction::triggered, this, [this] { viewCommand([this] { addLocalFiles(); }); });
    connect(listAction(m_resultsList, QStringLiteral("Show Uses of the Word"), "showConcordance"),
            &QAction::triggered, this, [this] { viewCommand([this] { showConcordance(); }); });
    connect(listAction(m_resultsList, QStringLiteral("Chart of the Top Words..."), "showWordChart"),
            &QAction::triggered, this, [this] { viewCommand([this] { showWordChart(); }); });
    m_siteList->setAcceptDrops(true);
    m_siteList->viewport()->setAcceptDrops(true);
}

void MainWindow::viewCommand(const std::function<void()>& procedure)
{
    ++m_commandDepth;
    runUnguarded(windowLocation("ShowView"), procedure);
    --m_commandDepth;
}

bool MainWindow::viewEvent(QObject* watched, QEvent* event)
{
    const bool onSites = watched == m_siteList || watched == m_siteList->viewport();
    const bool onResults = watched == m_resultsList || watched == m_resultsList->viewport();
    if (event->type() == QEvent::KeyPress && isEnter(static_cast<QKeyEvent*>(event))) {
        if (watched == m_siteList)
            viewCommand([this] { showCountedText(); });
        else if (watched == m_resultsList)
            viewCommand([this] { showConcordance(); });
        return watched == m_siteList || watched == m_resultsList;
    }
    if (event->type() == QEvent::MouseButtonDblClick && onResults &&
        (static_cast<QMouseEvent*>(event)->modifiers() & Qt::ControlModifier)) {
        viewCommand([this] { showConcordance(); });
        return true;
    }
    if (onSites && event->type() == QEvent::DragEnter) {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        if (drag->mimeData()->hasUrls()) {
            drag->acceptProposedAction();
            return true;
        }
    }
    if (onSites && event->type() == QEvent::DragMove) {
        static_cast<QDragMoveEvent*>(event)->acceptProposedAction();
        return true;
    }
    if (onSites && event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        QStringList paths;
        for (const QUrl& url : drop->mimeData()->urls()) {
            if (url.isLocalFile())
                paths << url.toLocalFile();
        }
        drop->acceptProposedAction();
        viewCommand([this, paths] { addFiles(paths); });
        return true;
    }
    return false;
}

void MainWindow::addLocalFiles()
{
    const QStringList paths = m_services.dialogs->openFileNames(
        QStringLiteral("Add Local Files - Hold Ctrl to select multiple files"),
        QStringLiteral("Web Pages and Text (*.html *.htm *.xhtml *.txt)|*.html;*.htm;*.xhtml;*.txt|"
                       "All Files (*.*)|*.*|"));
    // Chosen as pages, so each is a page even when it looks like a list.
    for (const QString& path : paths)
        m_sites.append(localFileAddress(path));
}

void MainWindow::addFiles(const QStringList& paths)
{
    for (const QString& path : paths) {
        if (droppedFileKind(path) == DroppedFile::SiteList)
            tv::openSiteFiles(m_sites, {path}, *m_services.dialogs);
        else
            m_sites.append(localFileAddress(path));
    }
}

void MainWindow::showCountedText()
{
    const QModelIndex current = m_siteList->selectionModel()->currentIndex();
    if (!current.isValid())
        return;
    const int row = current.row();
    const QString address = m_sites.rows().value(row);
    const KeptTexts* store = m_keeper.store();
    const int run = m_keeper.run();
    // The site as the last run counted it: its own place when the list is as it was, else the
    // first site of that run typed the same.
    int site = 0;
    if (store && run > 0) {
        for (const KeptPage& page : store->pages(run)) {
            if (page.address != address)
                continue;
            if (site == 0 || page.site == row + 1)
                site = page.site;
        }
    }
    if (site == 0) {
        m_services.dialogs->information(
            m_keeper.failure().isEmpty()
                ? QStringLiteral("This site was not counted in the last run.")
                : QStringLiteral("The last run could not keep its texts: ") + m_keeper.failure());
        return;
    }
    auto* view = new PageTextView(this);
    view->showSite(*store, run, site);
    showAsWindow(view, QStringLiteral("Counted Text - ") + address, QSize(760, 560));
}

void MainWindow::showConcordance()
{
    const QModelIndex current = m_resultsList->selectionModel()->currentIndex();
    if (!current.isValid() || current.row() >= m_results.rows())
        return;
    const int row = current.row() + 1;
    const bool perSite = m_perSiteCount->isChecked() && m_results.columns() >= 3;
    const QString word = m_results.cell(row, perSite ? 2 : 1);
    std::optional<QString> address;
    if (perSite)
        address = m_results.cell(row, 1);
    if (!m_keeper.store() || m_keeper.run() == 0) {
        m_services.dialogs->information(
            m_keeper.failure().isEmpty()
                ? QStringLiteral("The uses of a word are found in the texts of the last run: "
                                 "count first.")
                : QStringLiteral("The last run could not keep its texts: ") + m_keeper.failure());
        return;
    }
    auto* view = new ConcordanceView(*m_services.desktop, this);
    view->showWord(*m_keeper.store(), m_keeper.run(), word, address);
    showAsWindow(view, QStringLiteral("Uses of \"%1\"").arg(word), QSize(900, 560));
}

void MainWindow::showWordChart()
{
    // The rows as the list shows them, filters and all; per site, each word's counts summed.
    const bool perSite = m_perSiteCount->isChecked() && m_results.columns() >= 3;
    const int wordColumn = perSite ? 2 : 1;
    WordRows rows;
    QHash<QString, size_t> at;
    for (int r = 1; r <= m_results.rows(); ++r) {
        const QString word = m_results.cell(r, wordColumn);
        bool ok = false;
        const qint64 count = m_results.cell(r, wordColumn + 1).toLongLong(&ok);
        if (!ok)
            continue;
        const auto found = at.constFind(word);
        if (found != at.constEnd()) {
            rows[*found].count += count;
            continue;
        }
        at.insert(word, rows.size());
        rows.push_back({word, count});
    }
    if (rows.empty()) {
        m_services.dialogs->information(QStringLiteral("There are no results to chart."));
        return;
    }
    auto* view = new WordChartView(*m_services.dialogs, this);
    view->setRows(rows);
    showAsWindow(view, QStringLiteral("Top Words"), QSize(720, 640));
}

} // namespace tv
