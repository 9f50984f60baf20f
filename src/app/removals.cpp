// Beyond the original window: removing the selected rows of either list with Delete, and
// undoing the last removal or clear of either list with Ctrl+Z. An undo puts back exactly what
// went, and only while the list is as the removal left it, so that nothing made since is lost.
#include "app/mainwindow.h"

#include "platform/guard.h"
#include "platform/windowcontrols.h"
#include "sites/sitecommands.h"

#include <QAction>
#include <QTreeView>

namespace tv {

void MainWindow::trackListChanges()
{
    const auto watch = [this](QAbstractItemModel* model, quint64* changes) {
        const auto changed = [changes] { ++*changes; };
        connect(model, &QAbstractItemModel::rowsInserted, this, changed);
        connect(model, &QAbstractItemModel::rowsRemoved, this, changed);
        connect(model, &QAbstractItemModel::modelReset, this, changed);
        connect(model, &QAbstractItemModel::columnsInserted, this, changed);
    };
    watch(&m_sites, &m_siteChanges);
    watch(&m_results, &m_resultChanges);
}

void MainWindow::changeSites(const std::function<void()>& removal)
{
    QStringList before = m_sites.rows();
    const quint64 changes = m_siteChanges;
    removal();
    if (m_siteChanges == changes)
        return;
    m_undo = UndoStep{};
    m_undo.kind = UndoStep::Kind::Sites;
    m_undo.sites = std::move(before);
    m_undo.changes = m_siteChanges;
    m_undoAction->setEnabled(true);
}

void MainWindow::removeResultRows(QList<int> rows)
{
    if (m_pointerMode == PointerHourglass || rows.isEmpty())
        return;
    std::sort(rows.begin(), rows.end());
    UndoStep step;
    step.kind = UndoStep::Kind::ResultRows;
    for (auto r = rows.rbegin(); r != rows.rend(); ++r) {
        step.removed.insert(step.removed.begin(), {*r, m_results.row(*r)});
        m_results.removeAt(*r);
    }
    step.changes = m_resultChanges;
    m_undo = std::move(step);
    m_undoAction->setEnabled(true);
}

void MainWindow::clearResultsUndoably()
{
    std::deque<ResultRow> taken = m_results.takeRows();
    if (taken.empty())
        return;
    m_undo = UndoStep{};
    m_undo.kind = UndoStep::Kind::ResultsCleared;
    m_undo.cleared = std::move(taken);
    m_undo.changes = m_resultChanges;
    m_undoAction->setEnabled(true);
}

// Delete: the selected rows of the list that has the focus, as a double-click removes one.
void MainWindow::removeSelectedRows()
{
    QTreeView* list = m_resultsList->hasFocus() ? m_resultsList
                      : m_siteList->hasFocus()  ? m_siteList
                                                : nullptr;
    if (!list)
        return;
    QList<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows())
        rows << index.row() + 1;
    if (rows.isEmpty())
        return;
    if (list == m_siteList) {
        std::sort(rows.begin(), rows.end());
        runUnguarded(eventLocation(control::siteList, "KeyDown"), [&] {
            if (m_pointerMode != PointerHourglass)
                changeSites([&] { m_sites.removeAtRows(rows); });
        });
        return;
    }
    runUnguarded(eventLocation(control::resultsList, "KeyDown"), [&] {
        QList<int> listRows;
        for (int shown : rows)
            listRows << m_shown.sourceRow(shown);
        removeResultRows(listRows);
    });
}

void MainWindow::undoRemoval()
{
    UndoStep step = std::exchange(m_undo, UndoStep{});
    m_undoAction->setEnabled(false);
    if (m_pointerMode == PointerHourglass)
        return;
    runUnguarded(windowLocation("Undo"), [&] {
        switch (step.kind) {
        case UndoStep::Kind::None:
            break;
        case UndoStep::Kind::Sites:
            if (step.changes != m_siteChanges)
                return;
            m_sites.clear();
            m_sites.append(step.sites);
            break;
        case UndoStep::Kind::ResultRows:
            if (step.changes != m_resultChanges)
                return;
            for (const auto& [row, values] : step.removed)
                m_results.insertAt(row, values);
            break;
        case UndoStep::Kind::ResultsCleared:
            if (step.changes != m_resultChanges)
                return;
            m_results.restoreRows(std::move(step.cleared));
            break;
        }
    });
}

} // namespace tv
