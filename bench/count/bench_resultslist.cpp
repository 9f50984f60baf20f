// One million result rows appended to the results model while a tree view shows it, as a
// run appends them (yielding as it goes): the time, the memory per row, and the slowest
// repaint while scrolling through the list. The baseline, in the same process, is the same
// model told of every row on its own.
#include "countbench.h"
#include "platform/yield.h"
#include "results/counttexts.h"
#include "support/benchsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QTreeView>
#include <memory>

using namespace tv;
using namespace tv::bench;

namespace {

constexpr int kRows = 1'000'000;
constexpr int kBaselineRows = 50'000;

// A results list with its two columns, set up as the window sets up its own.
std::unique_ptr<QTreeView> showList(ResultsModel& model)
{
    addResultColumns(model);
    auto view = std::make_unique<QTreeView>();
    view->setModel(&model);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->header()->setStretchLastSection(false);
    view->resize(520, 130);
    view->show();
    QApplication::processEvents();
    return view;
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Appends `rows` rows as an engine does: a distinct word, its count (small counts shared, as
// the engines share them), a yield per row.
double appendRows(ResultsModel& model, int rows, bool noticeEach)
{
    CountTexts counts;
    return secondsOf([&] {
        for (int i = 0; i < rows; ++i) {
            model.append(QStringLiteral("word%1").arg(i), counts.text(1 + i / 100));
            if (noticeEach)
                model.flushAppends();
            yieldToWindow();
        }
        model.flushAppends();
        settle();
    });
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    double baselineSeconds = 0;
    {
        ResultsModel model;
        const auto view = showList(model);
        baselineSeconds = appendRows(model, kBaselineRows, true);
    }

    ResultsModel model;
    const auto view = showList(model);
    const qint64 heapBefore = heapInUse();
    const double seconds = appendRows(model, kRows, false);
    const qint64 heapAfter = heapInUse();

    // Scrolling: a page down at a time through the first part, then jumps across the list.
    QScrollBar* bar = view->verticalScrollBar();
    double slowest = 0;
    QElapsedTimer frame;
    for (int step = 0; step < 200; ++step) {
        const int value =
            step < 100 ? step * bar->pageStep() : (step - 100) * (bar->maximum() / 100);
        frame.start();
        bar->setValue(value);
        view->viewport()->repaint();
        slowest = std::max(slowest, double(frame.nsecsElapsed()) / 1e6);
    }

    figure(QStringLiteral("results_rows"), model.rowCount(), "rows");
    figure(QStringLiteral("results_append_seconds"), seconds, "s");
    figure(QStringLiteral("results_bytes_per_row"), double(heapAfter - heapBefore) / kRows,
           "bytes");
    figure(QStringLiteral("results_slowest_scroll_repaint"), slowest, "ms");
    figure(QStringLiteral("results_rows_per_second"), kRows / seconds, "rows/s");
    figure(QStringLiteral("results_rows_per_second_told_each_row"), kBaselineRows / baselineSeconds,
           "rows/s");
    return 0;
}
