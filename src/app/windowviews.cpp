// The views behind the numbers, reached from the window's lists: a site's counted text (the
// site list's menu, or Enter), a word's uses (the results list's menu, Enter or Ctrl+double-
// click, which removes nothing), the chart of the top words, and local files added as pages
// (chosen, or dropped on the site list).
#include "app/concordanceview.h"
#include "app/mainwindow.h"
#include "app/pagetextview.h"
#include "app/wordchartview.h"
#include "fetch/localfilepages.h"
#include "platform/dialogs.h"
#include "platform/guard.h"
#include "platform/windowcontrols.h"
#include "sites/droppedfiles.h"

#include <QAction>
#include <QHash>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
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
}

void MainWindow::buildViewMenus(QMenu* file)
{
    auto* addFiles = new QAction(QStringLiteral("Add &Local Files..."), file);
    addFiles->setObjectName(QStringLiteral("addLocalFilesAction"));
    // After the other ways of adding sites.
    QAction* before = nullptr;
    for (QAction* action : file->actions()) {
        if (action->objectName() == u"exportAction")
            before = action;
    }
    file->insertAction(before, addFiles);
    connect(addFiles, &QAction::triggered, this,
            [this] { viewCommand([this] { addLocalFiles(); }); });

    QMenu* view = m_menuBar->addMenu(QStringLiteral("&View"));
    const auto add = [&](const QString& text, const char* name, QKeySequence key,
                         void (MainWindow::*show)()) {
        QAction* action = view->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        connect(action, &QAction::triggered, this,
                [this, show] { viewCommand([this, show] { (this->*show)(); }); });
    };
    add(QStringLiteral("Counted &Text of the Site"), "countedTextAction",
        QKeySequence(Qt::CTRL | Qt::Key_T), &MainWindow::showCountedText);
    add(QStringLiteral("&Uses of the Word"), "concordanceAction",
        QKeySequence(Qt::CTRL | Qt::Key_U), &MainWindow::showConcordance);
    add(QStringLiteral("&Chart of the Top Words..."), "wordChartAction",
        QKeySequence(Qt::CTRL | Qt::Key_B), &MainWindow::showWordChart);
}

void MainWindow::viewCommand(const std::function<void()>& procedure)
{
    ++m_commandDepth;
    runUnguarded(windowLocation("ShowView"), procedure);
    --m_commandDepth;
}

bool MainWindow::viewEvent(QObject* watched, QEvent* event)
{
    // Events come while the window is still being built.
    if (!m_siteList || !m_resultsList)
        return false;
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

void MainWindow::addDroppedFiles(const QStringList& paths)
{
    for (const QString& path : paths) {
        if (droppedFileKind(path) == DroppedFile::SiteList)
            openSiteFiles({path});
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
    if (!current.isValid() || current.row() >= m_shown.rows())
        return;
    // The row as shown: the list may be sorted or filtered.
    const int row = current.row() + 1;
    const bool perSite = m_perSiteCount->isChecked() && m_shown.columns() >= 3;
    const QString word = m_shown.cell(row, perSite ? 2 : 1);
    std::optional<QString> address;
    if (perSite)
        address = m_shown.cell(row, 1);
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
    const bool perSite = m_perSiteCount->isChecked() && m_shown.columns() >= 3;
    const int wordColumn = perSite ? 2 : 1;
    WordRows rows;
    QHash<QString, size_t> at;
    for (int r = 1; r <= m_shown.rows(); ++r) {
        const QString word = m_shown.cell(r, wordColumn);
        bool ok = false;
        const qint64 count = m_shown.cell(r, wordColumn + 1).toLongLong(&ok);
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
