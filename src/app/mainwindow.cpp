#include "app/mainwindow.h"

#include "fetch/networkpagesource.h"
#include "platform/guard.h"
#include "platform/settings.h"
#include "platform/windowcontrols.h"
#include "sites/sitecommands.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTreeView>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tv {

MainWindow::MainWindow(const MainWindowServices& services, QWidget* parent)
    : QWidget(parent), m_services(services)
{
    buildControls();
    connectEvents();
    buildMenus();
    trackListChanges();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectEvents()
{
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    m_siteList->viewport()->installEventFilter(this);
    m_resultsList->viewport()->installEventFilter(this);

    // An option's click handling runs when it becomes selected, by the user or by the program.
    const auto onSelected = [this](QRadioButton* option, const WindowControl& control,
                                   std::function<void()> handler) {
        connect(option, &QRadioButton::toggled, this, [&control, handler](bool on) {
            if (on)
                runUnguarded(eventLocation(control, "Click"), handler);
        });
    };
    onSelected(m_perSiteCount, control::perSiteCount,
               [this] { m_results.rebuild(ResultsLayout::PerSite); });
    onSelected(m_combinedCount, control::combinedCount,
               [this] { m_results.rebuild(ResultsLayout::Combined); });
    onSelected(m_databaseMethod, control::databaseMethod, [this] { chooseDatabaseMethod(); });
    onSelected(m_textMethod, control::textMethod, [this] { saveMethodChoice(); });
    connectCommands();
    connectViews();
    connect(&m_results, &ResultsModel::widthsChanged, this, &MainWindow::applyResultWidths);
    connect(&m_results, &QAbstractItemModel::modelReset, this, &MainWindow::applyResultWidths);
}

void MainWindow::applyResultWidths()
{
    for (int c = 1; c <= m_results.columns(); ++c)
        m_resultsList->header()->resizeSection(c - 1, m_results.width(c) / 15);
    applyRememberedWidths();
}

void MainWindow::setPointerMode(int mode)
{
    m_pointerMode = mode;
    if (mode == PointerHourglass)
        setCursor(Qt::WaitCursor);
    else if (mode == PointerCustom && m_customCursor)
        setCursor(*m_customCursor);
    else
        unsetCursor();
}

void MainWindow::setProgressValue(double value)
{
    m_progressBar->setValue(int(std::lround(std::clamp(value, 0.0, 100.0))));
}

void MainWindow::setProgressText(const QString& text)
{
    // The bar's format treats % as a placeholder; addresses may hold one.
    m_progressBar->setFormat(QString(text).replace(u'%', QStringLiteral("%%")));
}

// The hand over the command buttons and the check box; the hourglass stays whatever the mouse
// does.
void MainWindow::pointerHandRule()
{
    if (m_pointerMode != PointerHourglass)
        setPointerMode(PointerCustom);
}

// The arrow over the bare window, the lists and the frames.
void MainWindow::pointerArrowRule()
{
    if (m_pointerMode != PointerHourglass)
        setPointerMode(PointerDefault);
}

void MainWindow::mouseMoveEvent(QMouseEvent* event)
{
    pointerArrowRule();
    QWidget::mouseMoveEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_page && event->type() == QEvent::Resize)
        return pageEvent(event);
    if (m_siteList && watched == m_siteList->viewport() &&
        (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
         event->type() == QEvent::Drop))
        return dropOnSiteList(event);
    if (event->type() == QEvent::MouseMove &&
        (watched == m_page || watched == m_scroll || watched == m_scroll->viewport())) {
        // The page is the window's bare area.
        runUnguarded(windowLocation("Form_MouseMove"), [this] { pointerArrowRule(); });
        return false;
    }
    if (event->type() == QEvent::MouseMove) {
        QObject* control = watched;
        if (control == m_siteList->viewport())
            control = m_siteList;
        else if (control == m_resultsList->viewport())
            control = m_resultsList;
        if (qobject_cast<QPushButton*>(control) || control == m_ignoreCase ||
            control == m_styleSheets) {
            runUnguarded(windowLocation("PushButton_MouseMove"), [this] { pointerHandRule(); });
            // Unhandled, the move would travel on to the window and its arrow rule.
            return static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton;
        }
        if (control == m_siteList || control == m_resultsList || control == m_optionsFrame ||
            control == m_speedFrame) {
            runUnguarded(windowLocation("ListView_MouseMove"), [this] { pointerArrowRule(); });
            return false;
        }
        // Option buttons and the progress bar keep whatever pointer the window has.
        if (qobject_cast<QRadioButton*>(control) || control == m_progressBar)
            return true;
    }
    if (viewEvent(watched, event))
        return true;
    if (event->type() == QEvent::MouseButtonDblClick && watched == m_resultsList->viewport()) {
        runUnguarded(eventLocation(control::resultsList, "DblClick"),
                     [this] { removeSelectedResult(); });
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick && watched == m_siteList->viewport()) {
        const QModelIndex current = m_siteList->selectionModel()->currentIndex();
        runUnguarded(eventLocation(control::siteList, "DblClick"), [&] {
            changeSites([&] {
                removeSelectedSite(m_sites, current.isValid() ? current.row() + 1 : 0, *this);
            });
        });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        fitToScreen();
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    runUnguarded(windowLocation("Form_Unload"), [this] { saveWindowState(); });
    if (m_commandDepth > 0) {
        // A command is still running inside a nested event loop and would hold the program
        // until it ends: end at once instead. Settings are written when they change, and the
        // database keeps its own journal, so nothing is lost.
        if (m_services.endProgramNow) {
            m_services.endProgramNow();
            return;
        }
        std::fflush(nullptr);
        std::_Exit(0);
    }
}

void MainWindow::setOptionValue(QRadioButton* option, bool value)
{
    if (option->isChecked() == value)
        return;
    if (value) {
        option->setChecked(true);
        return;
    }
    // An exclusive group refuses to clear its selected button directly.
    QWidget* group = option->parentWidget();
    const QList<QRadioButton*> buttons = group->findChildren<QRadioButton*>();
    for (QRadioButton* b : buttons)
        b->setAutoExclusive(false);
    const QSignalBlocker block(option);
    option->setChecked(false);
    for (QRadioButton* b : buttons)
        b->setAutoExclusive(true);
}

// Without the provider the database method cannot run: the diagnosis explains why, and the
// text method is selected instead.
void MainWindow::chooseDatabaseMethod()
{
    if (!m_providerAvailable) {
        diagnoseDatabaseProvider(false, *m_services.dialogs, *m_services.desktop,
                                 m_services.probeProvider);
        setOptionValue(m_textMethod, true);
    }
    saveMethodChoice();
}

// Both method options, as the settings keys named after them.
void MainWindow::saveMethodChoice()
{
    writeSetting(QString::fromLatin1(control::databaseMethod.name),
                 boolToText(m_databaseMethod->isChecked()));
    writeSetting(QString::fromLatin1(control::textMethod.name),
                 boolToText(m_textMethod->isChecked()));
}

// Double-click on the results list: removes the selected row, except while busy.
void MainWindow::removeSelectedResult()
{
    if (m_pointerMode == PointerHourglass)
        return;
    if (m_results.rows() == 0)
        return;
    const QModelIndex current = m_resultsList->selectionModel()->currentIndex();
    if (!current.isValid())
        return;
    removeResultRows({m_shown.sourceRow(current.row() + 1)});
}

} // namespace tv
