// How long the window goes without handling its events during a run: the largest gap between
// two processed event batches, for each engine over the 10-million-word text with the results
// shown in a tree view. The baseline is the same measurement over an idle second.
#include "count/blankdatabase.h"
#include "count/databasemethod.h"
#include "count/textmethod.h"
#include "countbench.h"
#include "support/benchsupport.h"
#include "support/gapmeter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <functional>

using namespace tv;
using namespace tv::bench;

namespace {

// The window's share of a run: results in a tree view, progress in a bar that repaints.
class WindowCount : public BenchCount {
public:
    explicit WindowCount(ResultsModel& results, QProgressBar& bar) : BenchCount(results), m_bar(bar)
    {
    }
    void setProgressValue(double value) override { m_bar.setValue(int(value)); }
    void setProgressText(const QString& text) override { m_bar.setFormat(text); }

private:
    QProgressBar& m_bar;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/dbData.mdb");
    createWordDatabase(path);
    const QString text = benchText("runs");

    ResultsModel results;
    addResultColumns(results);
    QTreeView list;
    list.setModel(&results);
    list.setRootIsDecorated(false);
    list.setUniformRowHeights(true);
    list.resize(520, 130);
    list.show();
    QProgressBar bar;
    bar.setTextVisible(true);
    bar.show();
    WindowCount count(results, bar);
    OnePage pages(text);
    GapMeter meter;

    const double idle = meter.measure([] {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 1000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    });
    const double db =
        meter.measure([&] { countWithDatabaseMethod(benchRequest(), pages, count, path); });
    const double textMethod =
        meter.measure([&] { countWithTextMethod(benchRequest(), pages, count); });

    figure(QStringLiteral("gap_idle_largest"), idle, "ms");
    figure(QStringLiteral("gap_database_method_largest"), db, "ms");
    figure(QStringLiteral("gap_text_method_largest"), textMethod, "ms");
    figure(QStringLiteral("gap_result_rows"), results.rows(), "rows");
    return 0;
}
