#pragma once
// Reads back what a written .xlsx holds: the cells of its first sheet and the column widths.
// Enough of the zip container and of the sheet XML for the workbooks the program writes.
#include <QByteArray>
#include <QMap>
#include <QPair>
#include <QString>

namespace tv::test {

// One entry of a zip file, inflated. Sets `error` and returns {} when it cannot.
QByteArray readZipEntry(const QString& zipPath, const QString& entryName, QString* error);

struct SheetContents {
    QMap<QPair<int, int>, QString> cells; // (row, column) from 1 -> text
    QMap<QPair<int, int>, QString> types; // (row, column) -> the cell's t attribute
    QMap<int, double> widths;             // column from 1 -> width set for it
};

// The first sheet of the workbook. Sets `error` when the file cannot be read.
SheetContents readFirstSheet(const QString& xlsxPath, QString* error);

} // namespace tv::test
