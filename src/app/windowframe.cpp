// The main window's frame: the controls' page inside a scroll area (so that a small screen or a
// large scale still reaches every control), the room a larger window gives to the two lists,
// and the size, position and result column widths kept in the settings.
#include "app/mainwindow.h"

#include "platform/settings.h"

#include <QEvent>
#include <QHeaderView>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace tv {

namespace {

// The page at the size the layout was drawn for (8040 x 10035 twips).
constexpr QSize kDefaultPage(536, 669);
// How far the two lists may shrink below their default heights.
constexpr int kListShrink = 50;

const QString kGeometryKey = QStringLiteral("WindowGeometry");

QString widthsKey(int columns)
{
    return QStringLiteral("ResultColumnWidths%1").arg(columns);
}

} // namespace

void MainWindow::buildPage()
{
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setSpacing(0);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("pageScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    // Tab goes through the controls, and the area scrolls to the one that takes the focus.
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_page = new QWidget;
    m_page->setObjectName(QStringLiteral("controlsPage"));
    m_page->setAutoFillBackground(true);
    m_page->setMouseTracking(true);
    m_page->setMinimumSize(kDefaultPage.width(), kDefaultPage.height() - 2 * kListShrink);
    m_page->installEventFilter(this);
    m_scroll->setWidget(m_page);
    m_scroll->viewport()->setMouseTracking(true);
    frame->addWidget(m_scroll);
    resize(kDefaultPage);
    // Small enough for a 1280 x 1024 screen at twice the usual scale; the page scrolls then.
    setMinimumSize(320, 240);
}

void MainWindow::rememberPlaces()
{
    const int sitesBottom = m_siteList->geometry().bottom();
    const int resultsTop = m_resultsList->geometry().top();
    for (QWidget* w : m_page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        Place p{w, w->geometry(), Across::Full, Down::Fixed};
        if (p.base.width() < kDefaultPage.width() / 2)
            p.across =
                p.base.left() < kDefaultPage.width() / 2 ? Across::LeftHalf : Across::RightHalf;
        if (w == m_siteList)
            p.down = Down::SitesGrow;
        else if (w == m_resultsList)
            p.down = Down::ResultsGrow;
        else if (p.base.top() > resultsTop)
            p.down = Down::BelowResults;
        else if (p.base.top() > sitesBottom)
            p.down = Down::BelowSites;
        m_places.push_back(p);
    }
    // Laid out now, as at the default size: the scroll area sizes the page only once shown.
    m_page->resize(kDefaultPage);
    relayout();
}

// The extra width goes to every control that spans the page (halves to the buttons standing
// two by two), the extra height to the two lists in proportion to their heights, so that the
// controls keep their order and nothing overlaps.
void MainWindow::relayout()
{
    const int dx = std::max(0, m_page->width() - kDefaultPage.width());
    const int dy = std::max(-2 * kListShrink, m_page->height() - kDefaultPage.height());
    int sitesHeight = 1;
    int resultsHeight = 1;
    for (const Place& p : m_places) {
        if (p.down == Down::SitesGrow)
            sitesHeight = p.base.height();
        else if (p.down == Down::ResultsGrow)
            resultsHeight = p.base.height();
    }
    const int sitesExtra = dy * sitesHeight / (sitesHeight + resultsHeight);
    const int resultsExtra = dy - sitesExtra;
    const int leftExtra = dx / 2;
    for (const Place& p : m_places) {
        QRect r = p.base;
        switch (p.across) {
        case Across::Full:
            r.setWidth(r.width() + dx);
            break;
        case Across::LeftHalf:
            r.setWidth(r.width() + leftExtra);
            break;
        case Across::RightHalf:
            r.translate(leftExtra, 0);
            r.setWidth(r.width() + dx - leftExtra);
            break;
        }
        switch (p.down) {
        case Down::Fixed:
            break;
        case Down::SitesGrow:
            r.setHeight(r.height() + sitesExtra);
            break;
        case Down::BelowSites:
            r.translate(0, sitesExtra);
            break;
        case Down::ResultsGrow:
            r.translate(0, sitesExtra);
            r.setHeight(r.height() + resultsExtra);
            break;
        case Down::BelowResults:
            r.translate(0, sitesExtra + resultsExtra);
            break;
        }
        p.widget->setGeometry(r);
    }
}

void MainWindow::restoreWindowState()
{
    if (!m_services.rememberFrame)
        return;
    const QByteArray geometry =
        QByteArray::fromBase64(readSetting(kGeometryKey, QString()).toLatin1());
    m_geometryRestored = !geometry.isEmpty() && restoreGeometry(geometry);
}

void MainWindow::saveWindowState()
{
    if (!m_services.rememberFrame)
        return;
    writeSetting(kGeometryKey, QString::fromLatin1(saveGeometry().toBase64()));
    QStringList widths;
    const QHeaderView* header = m_resultsList->header();
    for (int c = 0; c < header->count(); ++c)
        widths << QString::number(header->sectionSize(c));
    if (!widths.isEmpty())
        writeSetting(widthsKey(int(widths.size())), widths.join(u','));
}

// The widths the user left for this many columns, in place of the layout's.
void MainWindow::applyRememberedWidths()
{
    if (!m_services.rememberFrame)
        return;
    const int columns = m_resultsList->header()->count();
    if (columns == 0)
        return;
    const QStringList widths = readSetting(widthsKey(columns), QString()).split(u',');
    if (widths.size() != columns)
        return;
    for (int c = 0; c < columns; ++c) {
        bool ok = false;
        const int w = widths[c].toInt(&ok);
        if (ok && w > 0 && w < 10000)
            m_resultsList->header()->resizeSection(c, w);
    }
}

// A screen too small for the default size (or a large scale) gets a window that fits, with the
// page scrolling inside.
void MainWindow::fitToScreen()
{
    const QScreen* s = screen();
    if (!s || m_geometryRestored)
        return;
    const QRect room = s->availableGeometry();
    // Before the window manager has framed the window its frame is unknown: leave room for one.
    QSize frameExtra = frameGeometry().size() - geometry().size();
    if (frameExtra.isEmpty())
        frameExtra = QSize(16, 48);
    const QSize space = room.size() - frameExtra;
    QSize fits = size().boundedTo(space);
    if (fits == size())
        return;
    // A page cut short scrolls, and its scroll bar should not cover the controls.
    const int bar = m_scroll->verticalScrollBar()->sizeHint().width();
    if (fits.height() < size().height())
        fits.setWidth(std::min(space.width(), fits.width() + bar));
    resize(fits);
    move(room.topLeft());
}

// Maximized as far as the screen goes, also where no window manager does it.
void MainWindow::showMaximizedOnScreen()
{
    if (const QScreen* s = screen())
        setGeometry(s->availableGeometry());
    m_geometryRestored = true;
    showMaximized();
}

bool MainWindow::pageEvent(QEvent* event)
{
    if (event->type() == QEvent::Resize)
        relayout();
    return false;
}

} // namespace tv
