#include "spreadsheet.h"

#include "platform/desktop.h"
#include "platform/failure.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <algorithm>
#include <vector>
#include <xlsxwriter.h>

namespace tv {

namespace {

constexpr int kSheetColumns = 16384;
// Excel's widest column, in characters of the standard font.
constexpr double kMaxColumnWidth = 255;

QString libraryError(lxw_error error)
{
    return QString::fromUtf8(lxw_strerror(error));
}

// Characters as a reader counts them: a surrogate pair is one.
int displayLength(const QString& text)
{
    int length = 0;
    for (const QChar ch : text)
        if (!ch.isLowSurrogate())
            ++length;
    return length;
}

// A spreadsheet reads "_x0041_" in a cell as an escaped "A". The writing library escapes
// control characters that way but leaves such text alone, so a literal one is escaped here by
// escaping its underscore.
QString escapeUnderscores(const QString& text)
{
    if (!text.contains(QStringLiteral("_x")))
        return text;
    static const QRegularExpression escape(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
    return QString(text).replace(escape, QStringLiteral("_x005F_"));
}

} // namespace

struct XlsxSpreadsheet::Book {
    lxw_workbook* workbook = nullptr;
    lxw_worksheet* sheet = nullptr;
    std::vector<int> longest; // per column, in characters
    QByteArray scratchFolder;
};

XlsxSpreadsheet::XlsxSpreadsheet(Desktop& desktop, const QString& folder)
    : m_desktop(desktop), m_folder(folder)
{
}

XlsxSpreadsheet::~XlsxSpreadsheet()
{
    dropBook();
}

void XlsxSpreadsheet::dropBook()
{
    if (!m_book)
        return;
    lxw_workbook_free(m_book->workbook);
    m_book.reset();
    // Nothing was written into the reserved name yet.
    QFile::remove(m_path);
}

void XlsxSpreadsheet::newWorkbook()
{
    dropBook();
    const QString folder = m_folder.isEmpty() ? QDir::tempPath() : m_folder;
    // Reserving the name first makes every export a new file that no earlier one can clash with.
    QTemporaryFile reserved(folder + QStringLiteral("/Tallyvane-XXXXXX.xlsx"));
    reserved.setAutoRemove(false);
    if (!reserved.open())
        throw Failure(QStringLiteral("Cannot create a workbook in ") +
                      QDir::toNativeSeparators(folder) + QStringLiteral(": ") +
                      reserved.errorString());
    m_path = reserved.fileName();
    reserved.close();

    auto book = std::make_unique<Book>();
    const QByteArray fileName = QFile::encodeName(m_path);
    // Rows go out to a scratch file as they are finished: a million-row list then takes a
    // fraction of the memory and time of a workbook held whole.
    book->scratchFolder = QFile::encodeName(folder);
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = book->scratchFolder.data();
    book->workbook = workbook_new_opt(fileName.constData(), &options);
    if (book->workbook)
        book->sheet = workbook_add_worksheet(book->workbook, nullptr);
    if (!book->workbook || !book->sheet) {
        lxw_workbook_free(book->workbook);
        QFile::remove(m_path);
        throw Failure(QStringLiteral("Out of memory"));
    }
    m_book = std::move(book);
}

void XlsxSpreadsheet::setCellText(int row, int column, const QString& text)
{
    if (!m_book)
        throw Failure(QStringLiteral("No workbook is open"));
    if (row < 1 || row > kSheetRows || column < 1 || column > kSheetColumns)
        throw Failure(QStringLiteral("Cell (%1, %2) is outside the sheet").arg(row).arg(column));
    const QByteArray utf8 = escapeUnderscores(text).toUtf8();
    const lxw_error error = worksheet_write_string(
        m_book->sheet, lxw_row_t(row - 1), lxw_col_t(column - 1), utf8.constData(), nullptr);
    if (error != LXW_NO_ERROR)
        throw Failure(QStringLiteral("Cannot set cell (%1, %2): ").arg(row).arg(column) +
                      libraryError(error));
    std::vector<int>& longest = m_book->longest;
    if (longest.size() < size_t(column))
        longest.resize(size_t(column), 0);
    longest[size_t(column - 1)] = std::max(longest[size_t(column - 1)], displayLength(text));
}

void XlsxSpreadsheet::fitColumns()
{
    if (!m_book)
        throw Failure(QStringLiteral("No workbook is open"));
    const std::vector<int>& longest = m_book->longest;
    for (size_t c = 0; c < longest.size(); ++c) {
        if (longest[c] == 0)
            continue; // an empty column keeps the standard width, as a spreadsheet's own fit does
        // A little more than one standard character per character, plus the cell's margins.
        const double width = std::min(kMaxColumnWidth, longest[c] * 1.1 + 1.0);
        const lxw_error error =
            worksheet_set_column(m_book->sheet, lxw_col_t(c), lxw_col_t(c), width, nullptr);
        if (error != LXW_NO_ERROR)
            throw Failure(QStringLiteral("Cannot fit column %1: ").arg(c + 1) +
                          libraryError(error));
    }
}

void XlsxSpreadsheet::show()
{
    if (!m_book)
        throw Failure(QStringLiteral("No workbook is open"));
    // Closing writes the file and frees the workbook, whatever the outcome.
    const lxw_error error = workbook_close(m_book->workbook);
    m_book.reset();
    if (error != LXW_NO_ERROR) {
        QFile::remove(m_path);
        throw Failure(QStringLiteral("Cannot write the workbook ") +
                      QDir::toNativeSeparators(m_path) + QStringLiteral(": ") +
                      libraryError(error));
    }
    if (!m_desktop.openDocument(m_path))
        throw Failure(QStringLiteral("No application could open the workbook ") +
                      QDir::toNativeSeparators(m_path));
}

QString xlsxMimeType()
{
    return QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
}

bool spreadsheetApplicationRegistered()
{
    QProcess query;
    query.setProcessChannelMode(QProcess::SeparateChannels);
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), xlsxMimeType()});
    if (!query.waitForStarted(5000))
        return false; // no xdg-mime: nothing can be said to be registered
    query.closeWriteChannel();
    if (!query.waitForFinished(10000)) {
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return false;
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace tv
