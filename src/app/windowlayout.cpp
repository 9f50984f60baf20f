// The main window's controls: each made under its layout name with its caption, at its place
// in the layout (given in twips at the default size), in the fonts and colours of the layout,
// and put in the layout's tab order. A larger window gives its extra room to the two lists.
#include "app/mainwindow.h"

#include "platform/windowcontrols.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

namespace tv {

namespace {

// 15 twips make one pixel at 96 dots per inch.
int px(int twips)
{
    return twips / 15;
}

void place(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(px(left), px(top), px(width), px(height));
}

QString nameOf(const WindowControl& control)
{
    return QString::fromLatin1(control.name);
}

// A captioned control under its layout name, at its layout place.
template <class T>
T* makeControl(QWidget* parent, const WindowControl& control, int left, int top, int width,
               int height)
{
    auto* made = new T(labelOf(control), parent);
    made->setObjectName(nameOf(control));
    place(made, left, top, width, height);
    made->setMouseTracking(true);
    return made;
}

const char* const kListTip =
    "Double-click item to remove it. Move | line to right and out of window to reveal full names.";

QTreeView* makeList(QWidget* parent, const WindowControl& control, QAbstractItemModel* model)
{
    auto* view = new QTreeView(parent);
    view->setObjectName(nameOf(control));
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setToolTip(QString::fromLatin1(kListTip));
    view->header()->setStretchLastSection(false);
    view->header()->setSectionsMovable(false);
    view->setMouseTracking(true);
    view->viewport()->setMouseTracking(true);
    return view;
}

} // namespace

QPushButton* MainWindow::addButton(const WindowControl& control, int left, int top, int width,
                                   int height)
{
    auto* button = makeControl<QPushButton>(m_page, control, left, top, width, height);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(11.25);
    font.setBold(true);
    button->setFont(font);
    return button;
}

void MainWindow::buildControls()
{
    setObjectName(nameOf(control::mainWindow));
    QFont font(QStringLiteral("Arial"), 9);
    font.setBold(true);
    setFont(font);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    setMouseTracking(true);
    buildPage();

    m_siteList = makeList(m_page, control::siteList, &m_siteStatus);
    place(m_siteList, 120, 120, 7800, 1575);
    m_resultsList = makeList(m_page, control::resultsList, &m_shown);
    place(m_resultsList, 120, 6465, 7800, 1935);
    buildFindBox();
    buildButtons();
    buildOptionFrames();
    buildProgressBar();
    setLayoutTabOrder();
    rememberPlaces();
}

void MainWindow::buildButtons()
{
    // Each command button and its place: left, top, width, height.
    const struct {
        const WindowControl& control;
        QPushButton* MainWindow::*button;
        int left, top, width, height;
    } buttons[] = {
        {control::addOneUrl, &MainWindow::m_addOneUrl, 120, 1780, 3840, 405},
        {control::loadSitesFromFiles, &MainWindow::m_loadSitesFromFiles, 4080, 1780, 3840, 405},
        {control::clearSiteList, &MainWindow::m_clearSiteList, 120, 2290, 3840, 405},
        {control::loadSampleSites, &MainWindow::m_loadSampleSites, 4080, 2290, 3840, 405},
        {control::removeSitesContaining, &MainWindow::m_removeSitesContaining, 120, 2800, 3840,
         405},
        {control::removeSitesNotContaining, &MainWindow::m_removeSitesNotContaining, 4080, 2800,
         3840, 405},
        {control::startCounting, &MainWindow::m_startCounting, 120, 5955, 7800, 405},
        {control::saveResultsAsText, &MainWindow::m_saveResultsAsText, 120, 8490, 3840, 405},
        {control::exportResults, &MainWindow::m_exportResults, 4080, 8490, 3840, 405},
        {control::copyResults, &MainWindow::m_copyResults, 120, 9000, 3840, 405},
        {control::clearResults, &MainWindow::m_clearResults, 4080, 9000, 3840, 405}};
    for (const auto& b : buttons)
        this->*b.button = addButton(b.control, b.left, b.top, b.width, b.height);
}

void MainWindow::buildOptionFrames()
{
    m_optionsFrame = makeControl<QGroupBox>(m_page, control::optionsFrame, 120, 3270, 7800, 1440);
    m_combinedCount =
        makeControl<QRadioButton>(m_optionsFrame, control::combinedCount, 240, 300, 3750, 255);
    m_perSiteCount =
        makeControl<QRadioButton>(m_optionsFrame, control::perSiteCount, 240, 650, 3750, 255);
    m_ignoreCase =
        makeControl<QCheckBox>(m_optionsFrame, control::ignoreCase, 240, 1000, 1935, 255);
    m_styleSheets =
        makeControl<QCheckBox>(m_optionsFrame, control::styleSheets, 4080, 1000, 3600, 255);
    // The word analysis in the frame's free corner: its dialog, and a line that says what it
    // does or, after a run, the count's figures.
    m_wordAnalysis =
        makeControl<QPushButton>(m_optionsFrame, control::wordAnalysis, 4080, 255, 2100, 345);
    m_wordFigures = new QLabel(m_optionsFrame);
    m_wordFigures->setObjectName(nameOf(control::wordFigures));
    place(m_wordFigures, 4080, 650, 3600, 255);
    m_wordFigures->setMouseTracking(true);

    m_speedFrame = makeControl<QGroupBox>(m_page, control::speedFrame, 120, 4815, 7800, 1020);
    m_databaseMethod =
        makeControl<QRadioButton>(m_speedFrame, control::databaseMethod, 240, 300, 3840, 255);
    m_textMethod =
        makeControl<QRadioButton>(m_speedFrame, control::textMethod, 240, 650, 4455, 255);

    // The frames, option buttons and check box are white like the window (until a skin).
    for (QWidget* w : std::initializer_list<QWidget*>{m_optionsFrame, m_speedFrame, m_perSiteCount,
                                                      m_combinedCount, m_databaseMethod,
                                                      m_textMethod, m_ignoreCase, m_styleSheets})
        w->setPalette(palette());

    m_combinedCount->setChecked(true);
    m_ignoreCase->setChecked(true);
    m_styleSheets->setChecked(true);
    m_databaseMethod->setChecked(true);
}

void MainWindow::buildProgressBar()
{
    m_progressBar = new QProgressBar(m_page);
    m_progressBar->setObjectName(nameOf(control::progressBar));
    place(m_progressBar, 120, 9510, 7800, 405);
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(true);
    m_progressBar->setAlignment(Qt::AlignCenter);
    m_progressBar->setFormat(QString::fromLatin1(control::progressBar.caption));
    m_progressBar->setMouseTracking(true);
}

void MainWindow::setLayoutTabOrder()
{
    // The frames and the progress bar take no focus themselves, but keep their tab index.
    QWidget* previous = nullptr;
    int index = 0;
    for (const WindowControl& control : kTabOrder) {
        QWidget* w = findChild<QWidget*>(nameOf(control));
        w->setProperty("TabIndex", index++);
        if (w->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    // The controls beyond the layout sit where they are read: the options' second column after
    // the first, the find box between Start Counting and the results it filters.
    setTabOrder(m_ignoreCase, m_wordAnalysis);
    setTabOrder(m_wordAnalysis, m_styleSheets);
    setTabOrder(m_startCounting, m_findResults);
}

} // namespace tv
