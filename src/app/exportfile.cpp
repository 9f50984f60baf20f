// Beyond the original window: "Export..." writes the results as shown to a file the user
// picks, as an .xlsx workbook (the same workbook "Save Results As Excel File" makes, without a
// spreadsheet program) or as CSV, TSV or JSON (the command line's formats), by the file's
// ending.
#include "app/mainwindow.h"

#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/guard.h"
#include "platform/spreadsheet.h"
#include "platform/windowcontrols.h"
#include "results/resultformats.h"
#include "results/savetext.h"
#include "results/spreadsheetexport.h"
#include "results/textoutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRadioButton>

namespace tv {

namespace {

// The desktop as the workbook writer sees it: "opening" the finished workbook moves it to the
// file the user picked instead.
class SaveAsDesktop : public Desktop {
public:
    SaveAsDesktop(Desktop& desktop, QString target)
        : m_desktop(desktop), m_target(std::move(target))
    {
    }
    bool openUrl(const QString& url) override { return m_desktop.openUrl(url); }
    bool openDocument(const QString& path) override
    {
        if (QFileInfo::exists(m_target) && !QFile::remove(m_target)) {
            QFile::remove(path);
            return false;
        }
        return QFile::rename(path, m_target);
    }
    bool clearClipboard() override { return m_desktop.clearClipboard(); }
    bool setClipboardText(const QString& text) override { return m_desktop.setClipboardText(text); }

private:
    Desktop& m_desktop;
    QString m_target;
};

QString exportDialogFilter()
{
    return QStringLiteral("Excel Workbook (*.xlsx)|*.xlsx|CSV (*.csv)|*.csv|TSV (*.tsv)|*.tsv|"
                          "JSON (*.json)|*.json|");
}

} // namespace

void MainWindow::exportToFile()
{
    Dialogs& dialogs = *m_services.dialogs;
    Guard g(windowLocation("Export"));
    QString path;
    g.run(100,
          [&] { path = dialogs.saveFileName(QStringLiteral("Export"), exportDialogFilter()); });
    if (path.isEmpty())
        return;
    const QString ending = QFileInfo(path).suffix().toLower();
    const bool workbook = ending == u"xlsx";
    OutputFormat format = OutputFormat::Csv;
    if (ending == u"tsv")
        format = OutputFormat::Tsv;
    else if (ending == u"json")
        format = OutputFormat::Json;
    else if (!workbook && ending != u"csv") {
        g.run(102, [&] {
            dialogs.information(QStringLiteral("Choose a file name that ends in .xlsx, .csv, .tsv "
                                               "or .json: the ending says how the results are "
                                               "written."));
        });
        return;
    }
    if (QFileInfo::exists(path) && !g.value(104, false, [&] {
            return dialogs.question(overwriteQuestion(QDir::toNativeSeparators(path)), false);
        }))
        return;
    if (workbook) {
        SaveAsDesktop desktop(*m_services.desktop, path);
        XlsxSpreadsheet sheet(desktop, QFileInfo(path).absolutePath());
        exportResultsToSpreadsheet(
            m_shown, dialogs, *this, sheet, [this] { return m_combinedCount->isChecked(); },
            [] { return true; });
        return;
    }
    const int before = m_pointerMode;
    setPointerMode(PointerHourglass);
    g.run(106, [&] {
        TextOutput out(path, QStringConverter::Utf8);
        out.open();
        writeResultRows(m_shown, m_shown.columns() == 3, format, out);
        out.commit();
    });
    setPointerMode(before);
}

} // namespace tv
