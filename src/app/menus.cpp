// Beyond the original window: the menu bar, with the usual shortcuts for the commands the
// buttons carry and for those the window adds (copying the selected rows, finding, removing
// the selected rows, undoing a removal, exporting, stopping a run).
#include "app/mainwindow.h"

#include "platform/guard.h"
#include "platform/windowcontrols.h"
#include "results/copyresults.h"
#include "results/resultrows.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tv {

namespace {

// The selected rows of the results as shown, in the order shown: what Ctrl+C copies.
class SelectedRows : public ResultRows {
public:
    SelectedRows(const ShownRows& shown, QList<int> rows) : m_shown(shown), m_rows(std::move(rows))
    {
    }
    int columns() const override { return m_shown.columns(); }
    QString caption(int column) const override { return m_shown.caption(column); }
    int rows() const override { return int(m_rows.size()); }
    QString cell(int row, int column) const override
    {
        return m_shown.cell(m_rows.value(row - 1), column);
    }
    // Picked by hand: copied whether ticked or not.
    bool isChecked(int) const override { return true; }

private:
    const ShownRows& m_shown;
    QList<int> m_rows;
};

QAction* addCommand(QMenu* menu, const QString& text, const QString& name,
                    const QList<QKeySequence>& keys)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
}

} // namespace

void MainWindow::buildMenus()
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("menuBar"));
    static_cast<QVBoxLayout*>(layout())->setMenuBar(m_menuBar);

    QMenu* file = m_menuBar->addMenu(QStringLiteral("&File"));
    m_fileMenu = file;
    connect(addCommand(file, QStringLiteral("&Load Sites From File..."),
                       QStringLiteral("loadSitesAction"), {QKeySequence::Open}),
            &QAction::triggered, m_loadSitesFromFiles, &QPushButton::click);
    connect(addCommand(file, QStringLiteral("&Save Results As Text File..."),
                       QStringLiteral("saveResultsAction"), {QKeySequence::Save}),
            &QAction::triggered, m_saveResultsAsText, &QPushButton::click);
    connect(addCommand(file, QStringLiteral("&Export..."), QStringLiteral("exportAction"),
                       {QKeySequence(Qt::CTRL | Qt::Key_E)}),
            &QAction::triggered, this,
            [this] { command(control::exportResults, [this] { exportToFile(); }); });
    file->addSeparator();
    connect(addCommand(file, QStringLiteral("&Quit"), QStringLiteral("quitAction"),
                       {QKeySequence::Quit}),
            &QAction::triggered, this, &QWidget::close);

    QMenu* edit = m_menuBar->addMenu(QStringLiteral("&Edit"));
    m_undoAction = addCommand(edit, QStringLiteral("&Undo Removal"), QStringLiteral("undoAction"),
                              {QKeySequence::Undo});
    m_undoAction->setEnabled(false);
    connect(m_undoAction, &QAction::triggered, this, &MainWindow::undoRemoval);
    edit->addSeparator();
    connect(addCommand(edit, QStringLiteral("&Copy Selected Results"),
                       QStringLiteral("copySelectedAction"), {QKeySequence::Copy}),
            &QAction::triggered, this, &MainWindow::copySelectedResults);
    connect(addCommand(edit, QStringLiteral("Copy &All Results"), QStringLiteral("copyAllAction"),
                       {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)}),
            &QAction::triggered, m_copyResults, &QPushButton::click);
    connect(addCommand(edit, QStringLiteral("&Find in Results"), QStringLiteral("findAction"),
                       {QKeySequence::Find}),
            &QAction::triggered, this, [this] {
                m_findResults->setFocus(Qt::ShortcutFocusReason);
                m_findResults->selectAll();
            });
    connect(addCommand(edit, QStringLiteral("&Remove Selected Rows"),
                       QStringLiteral("removeSelectedAction"), {QKeySequence::Delete}),
            &QAction::triggered, this, &MainWindow::removeSelectedRows);

    QMenu* count = m_menuBar->addMenu(QStringLiteral("&Count"));
    connect(addCommand(count, QStringLiteral("&Start Counting"), QStringLiteral("startAction"),
                       {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_Return),
                        QKeySequence(Qt::CTRL | Qt::Key_Enter)}),
            &QAction::triggered, this, [this] {
                if (!m_counting)
                    startOrStopCounting();
            });
    connect(addCommand(count, QStringLiteral("S&top Counting"), QStringLiteral("stopAction"),
                       {QKeySequence(Qt::Key_Escape)}),
            &QAction::triggered, this, &MainWindow::stopCounting);
    buildSiteStatusCommands(count);
    buildViewMenus(file);

    m_helpMenu = m_menuBar->addMenu(QStringLiteral("&Help"));
    // The page keeps the size the layout was drawn for; the menu bar comes on top of it.
    resize(width(), height() + m_menuBar->sizeHint().height());
}

void MainWindow::addSiteCommand(QAction* action)
{
    // With the other ways of adding sites, before the commands of the results.
    QAction* before = nullptr;
    for (QAction* item : m_fileMenu->actions()) {
        if (item->objectName() == u"exportAction")
            before = item;
    }
    m_fileMenu->insertAction(before, action);
}

void MainWindow::addHelpCommand(QAction* action)
{
    m_helpMenu->addAction(action);
}

void MainWindow::copySelectedResults()
{
    // In the find box, Ctrl+C copies its text as usual.
    if (m_findResults->hasFocus()) {
        m_findResults->copy();
        return;
    }
    QList<int> rows;
    for (const QModelIndex& index : m_resultsList->selectionModel()->selectedRows())
        rows << index.row() + 1;
    std::sort(rows.begin(), rows.end());
    if (rows.isEmpty())
        return;
    runUnguarded(windowLocation("CopySelected"),
                 [&] { copyAlignedResults(SelectedRows(m_shown, rows), *m_services.desktop); });
}

} // namespace tv
