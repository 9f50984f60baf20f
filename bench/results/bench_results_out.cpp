// Saving and copying a million-row results list, and exporting a large one to a workbook.
// Prints "name value unit" lines; the baseline is one plain read of every cell of the same list.
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/guard.h"
#include "platform/pointer.h"
#include "platform/spreadsheet.h"
#include "results/copylist.h"
#include "results/excelexport.h"
#include "results/progresssink.h"
#include "results/resultsmodel.h"
#include "results/savelist.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

using namespace tv;

namespace {

// A progress bar that keeps only what a real one would show.
class Bar : public ProgressSink {
public:
    void setProgressValue(double value) override { m_value = int(value); }
    void setProgressText(const QString& text) override { m_text = text; }

private:
    int m_value = 0;
    QString m_text;
};

class Idle : public Pointer {
public:
    int pointerMode() const override { return m_mode; }
    void setPointerMode(int mode) override { m_mode = mode; }

private:
    int m_mode = 0;
};

class QuietDesktop : public Desktop {
public:
    bool openUrl(const QString&) override { return true; }
    bool openDocument(const QString& path) override
    {
        opened = path;
        return true;
    }
    bool clearClipboard() override { return true; }
    bool setClipboardText(const QString& text) override
    {
        length = text.size();
        return true;
    }
    QString opened;
    qsizetype length = 0;
};

class NoDialogs : public Dialogs {
public:
    void information(const QString&) override {}
    bool question(const QString&, bool) override { return false; }
    QString inputBox(const QString&) override { return {}; }
    QStringList openFileNames(const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&) override { return {}; }
};

class CountingSink : public ReportSink {
public:
    void showErrorReport(const QString&) override { ++reports; }
    int reports = 0;
};

void fill(ResultsModel& list, int rows)
{
    list.clearRows();
    list.clearColumns();
    list.addColumn(QStringLiteral("Results"), 3500);
    list.addColumn(QStringLiteral("Count"), 3000);
    for (int r = 1; r <= rows; ++r)
        list.append(QStringLiteral("word%1").arg(qint64(r) * 7919 % 1000003),
                    QString::number(r % 977 + 1));
}

void print(const char* name, double value, const char* unit, int decimals = 3)
{
    std::printf("%s %.*f %s\n", name, decimals, value, unit);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    CountingSink sink;
    setReportSink(&sink);
    QTemporaryDir folder;

    const int rows = 1000000;
    ResultsModel list;
    fill(list, rows);

    QElapsedTimer timer;
    timer.start();
    qsizetype characters = 0;
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= list.columns(); ++c)
            characters += list.cell(r, c).size();
    const double baseline = timer.nsecsElapsed() / 1e9;
    print("read_cells_1m_rows_baseline", baseline, "s");

    Bar bar;
    const QString path = folder.filePath(QStringLiteral("results.txt"));
    timer.restart();
    SaveListviewProperlySpaced(list, path, &bar);
    const double save = timer.nsecsElapsed() / 1e9;
    print("save_text_1m_rows", save, "s");
    print("save_text_1m_rows_vs_baseline", save / baseline, "x");
    print("save_text_file_size", QFileInfo(path).size() / 1048576.0, "MiB");

    QuietDesktop desktop;
    NoDialogs dialogs;
    timer.restart();
    copyResultsToClipboard(list, dialogs, desktop);
    const double copy = timer.nsecsElapsed() / 1e9;
    print("copy_clipboard_1m_rows", copy, "s");
    print("copy_clipboard_1m_rows_vs_baseline", copy / baseline, "x");
    print("copy_clipboard_characters", double(desktop.length), "chars", 0);

    // The whole list again, now into a workbook.
    Idle pointer;
    XlsxSpreadsheet sheet(desktop, folder.path());
    timer.restart();
    saveResultsAsExcelFile(
        list, dialogs, pointer, sheet, [] { return true; }, [] { return true; });
    print("export_xlsx_1m_rows", timer.nsecsElapsed() / 1e9, "s");
    print("export_xlsx_file_size", QFileInfo(desktop.opened).size() / 1048576.0, "MiB");

    print("error_reports", sink.reports, "count", 0);
    setReportSink(nullptr);
    return (sink.reports == 0 && characters > 0) ? 0 : 1;
}
