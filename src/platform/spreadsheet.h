#pragma once
// The spreadsheet the results are exported to. On this platform a new .xlsx workbook is written
// to the temporary folder and handed to the desktop's spreadsheet application; tests record
// the calls instead.
#include <QString>
#include <memory>

namespace tv {

class Desktop;

// The rows one sheet of an .xlsx workbook can hold.
constexpr int kSheetRows = 1048576;

class Spreadsheet {
public:
    virtual ~Spreadsheet() = default;

    // Starts a new, empty workbook with one sheet; an unfinished one is dropped.
    // Throws Failure when none can be made.
    virtual void newWorkbook() = 0;
    // Sets the cell (row, column), both from 1, of the sheet to a text value (never a number).
    // Throws Failure without a workbook, outside the sheet, or for a text a cell cannot hold.
    virtual void setCellText(int row, int column, const QString& text) = 0;
    // Widens the columns to their longest text. Throws Failure without a workbook.
    virtual void fitColumns() = 0;
    // Hands the workbook to the user. Throws Failure when it cannot be written or opened.
    virtual void show() = 0;
};

// Writes the workbook as a new .xlsx file in `folder` (the temporary folder when empty) and
// opens it with the desktop's default application. Rows are written out as the next one
// starts, so they must come in increasing order (the cells of one row in any order); a cell of
// an earlier row throws Failure.
class XlsxSpreadsheet : public Spreadsheet {
public:
    explicit XlsxSpreadsheet(Desktop& desktop, const QString& folder = QString());
    ~XlsxSpreadsheet() override;

    void newWorkbook() override;
    void setCellText(int row, int column, const QString& text) override;
    void fitColumns() override;
    void show() override;

    // The file of the current or last workbook; "" before the first.
    QString path() const { return m_path; }

private:
    struct Book;
    void dropBook();

    Desktop& m_desktop;
    QString m_folder;
    QString m_path;
    std::unique_ptr<Book> m_book;
};

// The MIME type of .xlsx workbooks.
QString xlsxMimeType();
// True when the desktop has a default application for .xlsx files (asked through xdg-mime);
// false when none is registered or xdg-mime is missing or does not answer.
bool spreadsheetApplicationRegistered();

} // namespace tv
