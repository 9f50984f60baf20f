#include "excelexport.h"

#include "platform/dialogs.h"
#include "platform/guard.h"
#include "platform/pointer.h"
#include "platform/windowcontrols.h"
#include "platform/yield.h"
#include "results/resultsmodel.h"

namespace tv {

QString excelNotInstalledTestMessage()
{
    return QStringLiteral("Excel is not installed on this computer. You need to have it "
                          "installed to use this software without error.");
}

QString excelNotInstalledMessage()
{
    return QStringLiteral("Excel is not installed on this computer. You need to have it "
                          "installed to use this feature.");
}

bool SaveResultsAsExcelFileIsExcelInstalled(Dialogs& dialogs,
                                            const std::function<bool()>& applicationRegistered)
{
    bool installed = true;
    try {
        installed = applicationRegistered();
    } catch (...) {
        installed = false;
    }
    if (!installed)
        dialogs.information(excelNotInstalledTestMessage());
    return installed;
}

void saveResultsAsExcelFile(const ResultsModel& list, Dialogs& dialogs, Pointer& pointer,
                            Spreadsheet& sheet, const std::function<bool()>& combinedSelected,
                            const std::function<bool()>& applicationRegistered)
{
    Guard g(clickLocation(control::exportResults));
    if (g.test(100, [&] {
            return !SaveResultsAsExcelFileIsExcelInstalled(dialogs, applicationRegistered);
        })) {
        g.run(102, [&] { dialogs.information(excelNotInstalledMessage()); });
        return;
    }
    if (g.test(104, [&] { return list.rows() == 0; }))
        return;
    g.run(106, [&] { pointer.setPointerMode(PointerHourglass); });
    g.run(108, [&] { sheet.newWorkbook(); });

    const int columns = list.columns();
    const int rows = list.rows();
    // Other commands run while this one yields, and "Clear Results" or a layout click may
    // empty the list: after each yield the loops stop at what is left instead of reporting
    // every row that is gone.
    auto hasRow = [&](int r) { return r <= rows && r <= list.rows(); };
    auto hasColumn = [&](int k) { return k <= columns && k <= list.columns(); };
    int i = 1;
    for (int k = 1; k <= columns; ++k) {
        Yield();
        if (!hasRow(1) || !hasColumn(k))
            break;
        QString cell;
        g.run(110, [&] { cell = list.cell(1, k); });
        if (g.test(112, [&] { return !cell.isEmpty(); })) {
            g.run(114, [&] { sheet.setCellText(1, i, list.caption(k)); });
            ++i;
        }
    }

    int j = 2;
    int r = 1;
    bool whole = true;
    // Rows past the sheet's last one cannot be written; one report says so instead of one
    // report per cell.
    for (; r <= rows && j <= kSheetRows && whole; ++r, ++j) {
        Yield();
        if (!hasRow(r))
            break;
        if (!g.test(116, [&] { return list.isChecked(r); }))
            continue;
        i = 1;
        for (int k = 1; k <= columns; ++k) {
            Yield();
            whole = hasRow(r) && hasColumn(k);
            if (!whole)
                break;
            QString cell;
            g.run(118, [&] { cell = list.cell(r, k); });
            if (g.test(120, [&] { return !cell.isEmpty(); })) {
                g.run(122, [&] {
                    if (k > 1 && combinedSelected())
                        cell.remove(u'=');
                });
                g.run(124, [&] { sheet.setCellText(j, i, cell); });
                ++i;
            }
        }
    }
    for (; whole && j > kSheetRows && hasRow(r); ++r) {
        if (g.test(126, [&] { return list.isChecked(r); })) {
            g.report(128, QStringLiteral("A sheet holds %1 rows: the ticked rows from list "
                                         "row %2 on are left out")
                              .arg(kSheetRows)
                              .arg(r));
            break;
        }
    }

    g.run(130, [&] { sheet.fitColumns(); });
    g.run(132, [&] { sheet.show(); });
    g.run(134, [&] { pointer.setPointerMode(PointerDefault); });
}

} // namespace tv
