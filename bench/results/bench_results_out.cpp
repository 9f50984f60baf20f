// Saving and copying a million-row results list, and exporting a large one to a workbook.
// Prints "name value unit" lines; the baseline is one plain read of every cell of the same list.
#include "platform/desktop.h"
#include "platform/pointer.h"
#include "platform/progresssink.h"
#include "platform/spreadsheet.h"
#include "results/copyresults.h"
#include "results/resultsmodel.h"
#include "results/savetext.h"
#include "results/spreadsheetexport.h"
#include "support/benchdoubles.h"
#include "support/benchsupport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace tv;
using namespace tv::bench;

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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    CountingSink sink;
    QTemporaryDir folder;

    const int rows = 1000000;
    ResultsModel list;
    fill(list, rows);

    qsizetype characters = 0;
    const double baseline = secondsOf([&] {
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= list.columns(); ++c)
                characters += list.cell(r, c).size();
    });
    figure("read_cells_1m_rows_baseline", baseline, "s");

    Bar bar;
    const QString path = folder.filePath(QStringLiteral("results.txt"));
    const double save = secondsOf([&] { saveAlignedResults(list, path, &bar); });
    figure("save_text_1m_rows", save, "s");
    figure("save_text_1m_rows_vs_baseline", save / baseline, "x");
    figure("save_text_file_size", QFileInfo(path).size() / 1048576.0, "MiB");

    QuietDesktop desktop;
    SilentDialogs dialogs;
    const double copy = secondsOf([&] { copyResultsToClipboard(list, dialogs, desktop); });
    figure("copy_clipboard_1m_rows", copy, "s");
    figure("copy_clipboard_1m_rows_vs_baseline", copy / baseline, "x");
    figure("copy_clipboard_characters", double(desktop.length), "chars", 0);

    // The whole list again, now into a workbook.
    Idle pointer;
    XlsxSpreadsheet sheet(desktop, folder.path());
    const double exported = secondsOf([&] {
        exportResultsToSpreadsheet(
            list, dialogs, pointer, sheet, [] { return true; }, [] { return true; });
    });
    figure("export_xlsx_1m_rows", exported, "s");
    figure("export_xlsx_file_size", QFileInfo(desktop.opened).size() / 1048576.0, "MiB");

    figure("error_reports", sink.reports, "count", 0);
    return (sink.reports == 0 && characters > 0) ? 0 : 1;
}
