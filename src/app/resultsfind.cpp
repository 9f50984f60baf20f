// Beyond the original window: the results list sorted by a click on a column header (again
// for the other way round) and narrowed by the find box above it as the user types.
#include "app/mainwindow.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTreeView>

namespace tv {

namespace {

constexpr int kFindHeight = 22;
constexpr int kFindGap = 4;

} // namespace

// The find box takes the top of the results list's place, which keeps its bottom edge.
void MainWindow::buildFindBox()
{
    m_findResults = new QLineEdit(m_page);
    m_findResults->setObjectName(QStringLiteral("resultsFind"));
    m_findResults->setPlaceholderText(QStringLiteral("Find in results (Ctrl+F)"));
    m_findResults->setClearButtonEnabled(true);
    m_findResults->setMouseTracking(true);
    const QRect list = m_resultsList->geometry();
    m_findResults->setGeometry(list.left(), list.top(), list.width(), kFindHeight);
    m_resultsList->setGeometry(list.adjusted(0, kFindHeight + kFindGap, 0, 0));
    // Per site, the part of a site's name that tells pages apart is its end.
    m_resultsList->setTextElideMode(Qt::ElideMiddle);
    connect(m_findResults, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_shown.setFilter(text); });
    connectSorting();
}

void MainWindow::connectSorting()
{
    QHeaderView* header = m_resultsList->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    // No indicator until the user sorts: the list's own order, least frequent first.
    header->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header, &QHeaderView::sortIndicatorChanged, this,
            [this](int section, Qt::SortOrder order) {
                const int before = m_pointerMode;
                setPointerMode(PointerHourglass);
                m_shown.sortBy(section + 1, order);
                setPointerMode(before);
            });
    connect(&m_shown, &ShownRows::sortDropped, this, [header] {
        const QSignalBlocker quiet(header);
        header->setSortIndicator(-1, Qt::AscendingOrder);
    });
}

} // namespace tv
