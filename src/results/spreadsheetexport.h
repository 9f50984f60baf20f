#pragma once
// "Save Results As Excel File": the results copied into a new spreadsheet workbook.
#include "platform/spreadsheet.h"

#include <QString>
#include <functional>

namespace tv {

class Dialogs;
class Pointer;
class ResultRows;

// The availability test's own message, and the command's message after it.
QString noSpreadsheetTestMessage();
QString noSpreadsheetMessage();

// True when a spreadsheet application can take the workbook (`applicationRegistered`, by
// default the desktop's registration for .xlsx; it must not throw). When not, shows its
// message and returns false; it never reports a failure.
bool spreadsheetApplicationAvailable(
    Dialogs& dialogs,
    const std::function<bool()>& applicationRegistered = spreadsheetApplicationRegistered);

// The command. Writes into a new workbook of `sheet`: row 1 the captions of the columns whose
// cell in the list's first row is not empty; sheet row r + 1 the non-empty cells of ticked list
// row r, side by side from column 1 ("=" removed from the cells after the first while
// `combinedSelected`, asked at every cell, is true); every value as text. Then fits the
// columns and shows the workbook, with the busy mark showing meanwhile. Failures are reported.
void exportResultsToSpreadsheet(
    const ResultRows& list, Dialogs& dialogs, Pointer& pointer, Spreadsheet& sheet,
    const std::function<bool()>& combinedSelected,
    const std::function<bool()>& applicationRegistered = spreadsheetApplicationRegistered);

} // namespace tv
