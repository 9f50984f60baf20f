// The window's frame: a resize gives its room to the two lists, a small screen still reaches
// every control, and the size, place and result column widths are remembered.
#include "support/testenv.h"
#include "windowharness.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QTreeView>

using namespace tv;

namespace {

// Rows of the window from top to bottom, each read left to right.
const QList<QList<WindowControl>> kLines{
    {control::siteList},
    {control::addOneUrl, control::loadSitesFromFiles},
    {control::clearSiteList, control::loadSampleSites},
    {control::removeSitesContaining, control::removeSitesNotContaining},
    {control::optionsFrame},
    {control::speedFrame},
    {control::startCounting},
    {control::resultsList},
    {control::saveResultsAsText, control::exportResults},
    {control::copyResults, control::clearResults},
    {control::progressBar}};

} // namespace

class TestWindowFrame : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void resizeGivesRoomToTheLists_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("default") << QSize(536, 669);
        QTest::newRow("wider and taller") << QSize(900, 1000);
        QTest::newRow("taller only") << QSize(536, 900);
        QTest::newRow("a little smaller") << QSize(536, 600);
    }
    void resizeGivesRoomToTheLists()
    {
        QFETCH(QSize, size);
        test::WindowHarness h;
        MainWindow& w = h.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(size + QSize(0, w.findChild<QMenuBar*>()->height()));
        auto* page = w.findChild<QScrollArea*>(QStringLiteral("pageScroll"))->widget();
        QTRY_COMPARE(page->size(), size);
        const int dy = size.height() - 669;
        const int dx = size.width() - 536;
        auto* sites = h.control<QTreeView>(control::siteList);
        auto* results = h.control<QTreeView>(control::resultsList);
        // The lists take every pixel of the change, in proportion; each keeps a few rows.
        const int sitesHeight = 105;
        const int resultsHeight = 103; // below the find box
        QCOMPARE(sites->height() + results->height(), sitesHeight + resultsHeight + dy);
        QVERIFY(sites->height() >= 50 && results->height() >= 50);
        QVERIFY(qAbs((sites->height() - sitesHeight) * resultsHeight -
                     (results->height() - resultsHeight) * sitesHeight) <
                sitesHeight + resultsHeight);
        // The find box stands right above the results, as wide.
        const QRect find = w.findChild<QWidget*>(QStringLiteral("resultsFind"))->geometry();
        QVERIFY(find.bottom() < results->geometry().top());
        QVERIFY(results->geometry().top() - find.bottom() < 8);
        QCOMPARE(find.width(), results->width());
        QVERIFY(find.top() > h.control<QWidget>(control::startCounting)->geometry().bottom());
        // Everything spans the new width, in its rows, without overlaps.
        int above = -1;
        for (const QList<WindowControl>& line : kLines) {
            int left = -1;
            int widths = 0;
            const int top = h.control<QWidget>(line.first())->geometry().top();
            for (const WindowControl& which : line) {
                const QRect r = h.control<QWidget>(which)->geometry();
                QVERIFY2(page->rect().contains(r), which.intent);
                QVERIFY2(r.top() == top && r.top() > above, which.intent);
                QVERIFY2(r.left() > left, which.intent);
                left = r.right();
                widths += r.width();
            }
            QVERIFY2(widths >= 520 + dx - 8 * (line.size() - 1), line.first().intent);
            above = h.control<QWidget>(line.first())->geometry().bottom();
        }
        QVERIFY(page->height() - above < 16);
    }

    // At twice the usual scale a 1280 x 1024 screen holds 640 x 512 of the window's pixels: the
    // window then fits it, and scrolling brings every control into view whole.
    void everyControlReachableOnASmallScreen()
    {
        test::WindowHarness h;
        MainWindow& w = h.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(620, 440);
        const QWidget* viewport =
            w.findChild<QScrollArea*>(QStringLiteral("pageScroll"))->viewport();
        QTRY_COMPARE(w.size(), QSize(620, 440));
        auto* scroll = w.findChild<QScrollArea*>(QStringLiteral("pageScroll"));
        for (const WindowControl& which : kTabOrder) {
            QWidget* c = h.control<QWidget>(which);
            scroll->ensureWidgetVisible(c, 0, 0);
            const QRect shown(c->mapTo(&w, QPoint(0, 0)), c->size());
            QVERIFY2(QRect(viewport->mapTo(&w, QPoint(0, 0)), viewport->size()).contains(shown),
                     qPrintable(QStringLiteral("%1 at %2,%3 %4x%5")
                                    .arg(QLatin1String(which.intent))
                                    .arg(shown.x())
                                    .arg(shown.y())
                                    .arg(shown.width())
                                    .arg(shown.height())));
        }
    }

    // The next start opens the window where and as large as the user left it, with the
    // result columns as wide as they were; a layout with other columns keeps its own widths.
    void sizePlaceAndColumnWidthsAreRemembered()
    {
        test::WindowHarness h;
        {
            MainWindow& w = h.load();
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.resize(700, 820);
            QTRY_COMPARE(w.size(), QSize(700, 820));
            h.control<QTreeView>(control::resultsList)->header()->resizeSection(0, 311);
            w.close();
        }
        MainWindow& again = h.load();
        QCOMPARE(again.size(), QSize(700, 820));
        auto* header = h.control<QTreeView>(control::resultsList)->header();
        QCOMPARE(header->sectionSize(0), 311);
        QCOMPARE(header->sectionSize(1), 3700 / 15);
        QCOMPARE(again.results().width(1), 3700);
        h.control<QRadioButton>(control::perSiteCount)->click();
        QCOMPARE(header->sectionSize(0), 3000 / 15);
        h.control<QRadioButton>(control::combinedCount)->click();
        QCOMPARE(header->sectionSize(0), 311);
        QVERIFY(h.sink.reports.isEmpty());
    }
};

TV_TEST_MAIN(TestWindowFrame, QApplication)
#include "test_windowframe.moc"
