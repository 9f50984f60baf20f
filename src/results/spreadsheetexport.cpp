#include "results/spreadsheetexport.h"

#include "platform/dialogs.h"
#include "platform/guard.h"
#include "platform/pointer.h"
#include "platform/windowcontrols.h"
#include "platform/yield.h"
#include "results/resultrows.h"
#include "results/rowwalk.h"

namespace tv {

namespace {

// Sheet row 1: the captions of the columns whose cell in the list's first row is not empty,
// side by side from column 1.
void writeCaptions(const ResultRows& list, Spreadsheet& sheet, Guard& g)
{
    const int columns = list.columns();
    int i = 1;
    for (int k = 1; k <= columns; ++k) {
        yieldToWindow();
        // "Clear Results" or a layout click may have emptied the list meanwhile.
        if (list.rows() < 1 || k > list.columns())
            break;
        QString cell;
        g.run(110, [&] { cell = list.cell(1, k); });
        if (g.test(112, [&] { return !cell.isEmpty(); })) {
            g.run(114, [&] { sheet.setCellText(1, i, list.caption(k)); });
            ++i;
        }
    }
}

// Sheet row j: the non-empty cells of the list row, side by side from column 1.
void writeCells(const QStringList& cells, int j, Spreadsheet& sheet, Guard& g,
                const std::function<bool()>& combinedSelected)
{
    int i = 1;
    for (qsizetype k = 1; k <= cells.size(); ++k) {
        QString cell = cells[k - 1];
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

// Sheet rows from 2: list row r in sheet row r + 1, an unticked one left empty. Rows past the
// sheet's last one cannot be written; one report says so instead of one report per cell.
void writeRows(const ResultRows& list, Spreadsheet& sheet, Guard& g,
               const std::function<bool()>& combinedSelected)
{
    RowWalk walk(list);
    QStringList cells;
    int j = 1;
    while (walk.next()) {
        if (++j > kSheetRows) {
            for (; walk.hasRow(); walk.next()) {
                if (g.test(126, [&] { return walk.isChecked(); })) {
                    g.report(128, QStringLiteral("A sheet holds %1 rows: the ticked rows from "
                                                 "list row %2 on are left out")
                                      .arg(kSheetRows)
                                      .arg(walk.row()));
                    break;
                }
            }
            return;
        }
        if (!g.test(116, [&] { return walk.isChecked(); }))
            continue;
        bool whole = false;
        g.run(118, [&] { whole = walk.readCells(cells); });
        writeCells(cells, j, sheet, g, combinedSelected);
        if (!whole)
            return;
    }
}

} // namespace

QString noSpreadsheetTestMessage()
{
    return QStringLiteral("Excel is not installed on this computer. You need to have it "
                          "installed to use this software without error.");
}

QString noSpreadsheetMessage()
{
    return QStringLiteral("Excel is not installed on this computer. You need to have it "
                          "installed to use this feature.");
}

bool spreadsheetApplicationAvailable(Dialogs& dialogs,
                                     const std::function<bool()>& applicationRegistered)
{
    const bool installed = applicationRegistered();
    if (!installed)
        dialogs.information(noSpreadsheetTestMessage());
    return installed;
}

void exportResultsToSpreadsheet(const ResultRows& list, Dialogs& dialogs, Pointer& pointer,
                                Spreadsheet& sheet, const std::function<bool()>& combinedSelected,
                                const std::function<bool()>& applicationRegistered)
{
    Guard g(clickLocation(control::exportResults));
    if (g.test(100,
               [&] { return !spreadsheetApplicationAvailable(dialogs, applicationRegistered); })) {
        g.run(102, [&] { dialogs.information(noSpreadsheetMessage()); });
        return;
    }
    if (g.test(104, [&] { return list.rows() == 0; }))
        return;
    g.run(106, [&] { pointer.setPointerMode(PointerHourglass); });
    g.run(108, [&] { sheet.newWorkbook(); });
    writeCaptions(list, sheet, g);
    writeRows(list, sheet, g, combinedSelected);
    g.run(130, [&] { sheet.fitColumns(); });
    g.run(132, [&] { sheet.show(); });
    g.run(134, [&] { pointer.setPointerMode(PointerDefault); });
}

} // namespace tv
