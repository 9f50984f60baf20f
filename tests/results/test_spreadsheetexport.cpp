// "Save Results As Excel File": the availability test, the sheet layout against a recording
// spreadsheet, and one real .xlsx read back cell by cell.
#include "platform/failure.h"
#include "platform/spreadsheet.h"
#include "results/resultsmodel.h"
#include "results/spreadsheetexport.h"
#include "resultsfixture.h"
#include "support/recorders.h"
#include "support/testenv.h"
#include "xlsxreader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace tv;
using namespace tv::test;

namespace {

const QString kTestMessage =
    QStringLiteral("Excel is not installed on this computer. You need to have it installed to use "
                   "this software without error.");
const QString kFeatureMessage =
    QStringLiteral("Excel is not installed on this computer. You need to have it installed to use "
                   "this feature.");

// Records every call as a short line: "new", "row column text", "fit", "show".
class RecordingSpreadsheet : public Spreadsheet {
public:
    explicit RecordingSpreadsheet(const Pointer& pointer) : m_pointer(pointer) {}

    void newWorkbook() override { record(QStringLiteral("new")); }
    void setCellText(int row, int column, const QString& text) override
    {
        record(QStringLiteral("%1 %2 %3").arg(row).arg(column).arg(text));
        if (onCell)
            onCell(row, column);
        if (refuse == qMakePair(row, column))
            throw Failure(QStringLiteral("Cell refused"));
    }
    void fitColumns() override { record(QStringLiteral("fit")); }
    void show() override { record(QStringLiteral("show")); }

    QStringList calls;
    QList<int> pointerModes; // the busy mark at each call
    std::function<void(int, int)> onCell;
    QPair<int, int> refuse{0, 0};

private:
    void record(const QString& call)
    {
        calls << call;
        pointerModes << m_pointer.pointerMode();
    }
    const Pointer& m_pointer;
};

class RefusingDesktop : public RecordingDesktop {
public:
    bool openDocument(const QString& path) override
    {
        RecordingDesktop::openDocument(path);
        return false;
    }
};

} // namespace

class TestSpreadsheetExport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sheetLayout_data();
    void sheetLayout();
    void emptyListDoesNothing();
    void notInstalled();
    void layoutReadAtEveryCell();
    void failedCellIsReportedAndExportGoesOn();
    void listClearedWhileExporting();
    void applicationRegistered_data();
    void applicationRegistered();
    void realWorkbookReadBack();
    void workbookFailures();
};

void TestSpreadsheetExport::sheetLayout_data()
{
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<bool>("combined");
    QTest::addColumn<QStringList>("expected");

    const QStringList combined{"Results", "Count"};
    const QStringList perSite{"Filename", "Results", "Count"};

    QTest::newRow("header and ticked rows")
        << combined << QList<QStringList>{{"x", "the", "12"}, {"x", "a", "7"}} << true
        << QStringList{"new",   "1 1 Results", "1 2 Count", "2 1 the", "2 2 12",
                       "3 1 a", "3 2 7",       "fit",       "show"};
    QTest::newRow("no ticked rows: header only")
        << combined << QList<QStringList>{{"-", "the", "12"}, {"-", "a", "7"}} << true
        << QStringList{"new", "1 1 Results", "1 2 Count", "fit", "show"};
    QTest::newRow("rows 1 and 3 ticked: sheet row 3 stays empty")
        << combined << QList<QStringList>{{"x", "the", "12"}, {"-", "a", "7"}, {"x", "of", "3"}}
        << true << QStringList{"new",    "1 1 Results", "1 2 Count", "2 1 the", "2 2 12",
                               "4 1 of", "4 2 3",       "fit",       "show"};
    QTest::newRow("empty count in the first row: no Count caption")
        << combined << QList<QStringList>{{"x", "the", ""}, {"x", "a", "7"}} << true
        << QStringList{"new", "1 1 Results", "2 1 the", "3 1 a", "3 2 7", "fit", "show"};
    QTest::newRow("combined: equals signs removed from the count only")
        << combined << QList<QStringList>{{"x", "=the=", "=1=2="}} << true
        << QStringList{"new", "1 1 Results", "1 2 Count", "2 1 =the=", "2 2 12", "fit", "show"};
    QTest::newRow("count of equals signs only becomes an empty text")
        << combined << QList<QStringList>{{"x", "a", "=="}} << true
        << QStringList{"new", "1 1 Results", "1 2 Count", "2 1 a", "2 2 ", "fit", "show"};
    QTest::newRow("per site: equals signs kept")
        << perSite << QList<QStringList>{{"x", "=site", "a=b", "=3"}} << false
        << QStringList{"new",     "1 1 Filename", "1 2 Results", "1 3 Count", "2 1 =site",
                       "2 2 a=b", "2 3 =3",       "fit",         "show"};
    QTest::newRow("empty middle cell: later cells shift left")
        << perSite << QList<QStringList>{{"x", "site", "", "3"}, {"x", "site", "ox", "4"}} << false
        << QStringList{"new",      "1 1 Filename", "1 2 Count", "2 1 site", "2 2 3",
                       "3 1 site", "3 2 ox",       "3 3 4",     "fit",      "show"};
    QTest::newRow("values stay text")
        << combined << QList<QStringList>{{"x", "007", "1e5"}} << true
        << QStringList{"new", "1 1 Results", "1 2 Count", "2 1 007", "2 2 1e5", "fit", "show"};
}

void TestSpreadsheetExport::sheetLayout()
{
    QFETCH(QStringList, captions);
    QFETCH(QList<QStringList>, rows);
    QFETCH(bool, combined);
    QFETCH(QStringList, expected);

    ResultsModel list;
    fillList(list, captions, rows);
    ScriptedDialogs dialogs;
    RecordingPointer pointer;
    RecordingSpreadsheet sheet(pointer);
    RecordingSink sink;

    exportResultsToSpreadsheet(
        list, dialogs, pointer, sheet, [&] { return combined; }, [] { return true; });

    QVERIFY(sink.reports.isEmpty());
    QCOMPARE(sheet.calls, expected);
    QVERIFY(dialogs.informations.isEmpty());
    // The busy mark shows from before the workbook is made until after it is shown.
    QCOMPARE(sheet.pointerModes, QList<int>(expected.size(), PointerHourglass));
    QCOMPARE(pointer.history, (QList<int>{PointerHourglass, PointerDefault}));
}

void TestSpreadsheetExport::emptyListDoesNothing()
{
    ResultsModel list;
    fillList(list, {"Results", "Count"}, {});
    ScriptedDialogs dialogs;
    RecordingPointer pointer;
    RecordingSpreadsheet sheet(pointer);
    int probes = 0;

    exportResultsToSpreadsheet(
        list, dialogs, pointer, sheet, [] { return true; },
        [&] {
            ++probes;
            return true;
        });

    QCOMPARE(probes, 1); // the availability test still comes first
    QVERIFY(sheet.calls.isEmpty());
    QVERIFY(dialogs.informations.isEmpty());
    QVERIFY(pointer.history.isEmpty());
}

void TestSpreadsheetExport::notInstalled()
{
    ResultsModel list;
    fillList(list, {"Results", "Count"}, {{"x", "the", "12"}});
    ScriptedDialogs dialogs;
    RecordingPointer pointer;
    RecordingSpreadsheet sheet(pointer);
    RecordingSink sink;

    exportResultsToSpreadsheet(
        list, dialogs, pointer, sheet, [] { return true; }, [] { return false; });

    QCOMPARE(dialogs.informations, (QStringList{kTestMessage, kFeatureMessage}));
    QVERIFY(sheet.calls.isEmpty());
    QVERIFY(pointer.history.isEmpty());
    QVERIFY(sink.reports.isEmpty());

    // The test on its own: its message and false; silence and true when available.
    ScriptedDialogs alone;
    QVERIFY(!spreadsheetApplicationAvailable(alone, [] { return false; }));
    QVERIFY(spreadsheetApplicationAvailable(alone, [] { return true; }));
    QCOMPARE(alone.informations, QStringList{kTestMessage});
}

void TestSpreadsheetExport::layoutReadAtEveryCell()
{
    // The layout option can change while the export yields: each cell follows the option as it
    // stands when that cell is written.
    ResultsModel list;
    fillList(list, {"Results", "Count"}, {{"x", "a", "=1"}, {"x", "b", "=2"}, {"x", "c", "=3"}});
    ScriptedDialogs dialogs;
    RecordingPointer pointer;
    RecordingSpreadsheet sheet(pointer);
    bool combined = true;
    sheet.onCell = [&](int row, int column) {
        if (row == 3 && column == 2)
            combined = false; // the user clicks the per-site option here
    };

    exportResultsToSpreadsheet(
        list, dialogs, pointer, sheet, [&] { return combined; }, [] { return true; });

    QCOMPARE(sheet.calls, (QStringList{"new", "1 1 Results", "1 2 Count", "2 1 a", "2 2 1", "3 1 b",
                                       "3 2 2", "4 1 c", "4 2 =3", "fit", "show"}));
}

void TestSpreadsheetExport::failedCellIsReportedAndExportGoesOn()
{
    ResultsModel list;
    fillList(list, {"Results", "Count"}, {{"x", "the", "12"}, {"x", "a", "7"}});
    ScriptedDialogs dialogs;
    RecordingPointer pointer;
    RecordingSpreadsheet sheet(pointer);
    sheet.refuse = {2, 1};
    RecordingSink sink;

    exportResultsToSpreadsheet(
        list, dialogs, pointer, sheet, [] { return true; }, [] { return true; });

    QCOMPARE(sink.descriptions(), QStringList{"Cell refused"});
    QVERIFY(sink.reports[0].contains(
        QStringLiteral("\r\nin Corvantis2021/08/31.Form1.PushButton1_Click at line ")));
    // The column counter still moves on, so the count lands in column 2 as before.
    QCOMPARE(sheet.calls, (QStringList{"new", "1 1 Results", "1 2 Count", "2 1 the", "2 2 12",
                                       "3 1 a", "3 2 7", "fit", "show"}));
    QCOMPARE(pointer.history, (QList<int>{PointerHourglass, PointerDefault}));
}

void TestSpreadsheetExport::listClearedWhileExporting()
{
    ResultsModel list;
    fillList(list, {"Results", "Count"}, {{"x", "the", "12"}, {"x", "a", "7"}, {"x", "of", "3"}});
    ScriptedDialogs dialogs;
    RecordingPointer pointer;
    RecordingSpreadsheet sheet(pointer);
    sheet.onCell = [&](int row, int column) {
        if (row == 2 && column == 2)
            list.clearRows(); // "Clear Results" while the export yields
    };
    RecordingSink sink;

    exportResultsToSpreadsheet(
        list, dialogs, pointer, sheet, [] { return true; }, [] { return true; });

    QVERIFY2(sink.reports.isEmpty(), qPrintable(sink.reports.join(u'\n')));
    QCOMPARE(sheet.calls,
             (QStringList{"new", "1 1 Results", "1 2 Count", "2 1 the", "2 2 12", "fit", "show"}));
    QCOMPARE(pointer.history, (QList<int>{PointerHourglass, PointerDefault}));
}

void TestSpreadsheetExport::applicationRegistered_data()
{
    QTest::addColumn<QString>("script"); // the body of a stand-in xdg-mime; "" for none
    QTest::addColumn<bool>("registered");

    QTest::newRow("application registered") << "echo libreoffice-calc.desktop" << true;
    QTest::newRow("nothing registered") << "exit 0" << false;
    QTest::newRow("blank answer") << "echo '  '" << false;
    QTest::newRow("query fails") << "echo calc.desktop; exit 4" << false;
    QTest::newRow("no xdg-mime") << QString() << false;
}

void TestSpreadsheetExport::applicationRegistered()
{
    QFETCH(QString, script);
    QFETCH(bool, registered);

    QTemporaryDir bin;
    const QString argsFile = bin.filePath(QStringLiteral("args"));
    if (!script.isEmpty()) {
        const QString path = bin.filePath(QStringLiteral("xdg-mime"));
        writeFile(path, QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\n%2\n")
                            .arg(argsFile, script)
                            .toUtf8());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", bin.path().toUtf8());
    const bool result = spreadsheetApplicationRegistered();
    qputenv("PATH", savedPath);

    QCOMPARE(result, registered);
    if (!script.isEmpty())
        QCOMPARE(readFile(argsFile),
                 QByteArray("query\ndefault\n"
                            "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet\n"));
}

void TestSpreadsheetExport::realWorkbookReadBack()
{
    QTemporaryDir folder;
    ResultsModel list;
    fillList(list, {"Results", "Count"},
             {{"x", "the", "12"},
              {"-", "skipped", "1"},
              {"x", "naïve=", "=3"},
              {"x", "0042", "1e5"},
              {"x", "Grüße \U0001D11E & <b>", "100000000000000000001"},
              {"x", " two  spaces ", "a_x0041_b"},
              {"x", "bell\x07", "tab\tin"}});
    ScriptedDialogs dialogs;
    RecordingPointer pointer;
    RecordingDesktop desktop;
    XlsxSpreadsheet sheet(desktop, folder.path());
    RecordingSink sink;

    exportResultsToSpreadsheet(
        list, dialogs, pointer, sheet, [] { return true; }, [] { return true; });
    QVERIFY2(sink.reports.isEmpty(), qPrintable(sink.reports.join(u'\n')));

    // A new file in the given folder, handed to the desktop.
    QCOMPARE(desktop.openedDocuments.size(), 1);
    const QString path = desktop.openedDocuments[0];
    QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(folder.path()).absoluteFilePath());
    QVERIFY(path.endsWith(QStringLiteral(".xlsx")));

    QString error;
    const SheetContents contents = readFirstSheet(path, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QMap<QPair<int, int>, QString> expected{{{1, 1}, "Results"},
                                                  {{1, 2}, "Count"},
                                                  {{2, 1}, "the"},
                                                  {{2, 2}, "12"},
                                                  {{4, 1}, "naïve="},
                                                  {{4, 2}, "3"},
                                                  {{5, 1}, "0042"},
                                                  {{5, 2}, "1e5"},
                                                  {{6, 1}, "Grüße \U0001D11E & <b>"},
                                                  {{6, 2}, "100000000000000000001"},
                                                  {{7, 1}, " two  spaces "},
                                                  {{7, 2}, "a_x0041_b"},
                                                  {{8, 1}, "bell\x07"},
                                                  {{8, 2}, "tab\tin"}};
    QCOMPARE(contents.cells, expected);
    for (auto it = contents.types.cbegin(); it != contents.types.cend(); ++it)
        QVERIFY2(it.value() == u"s" || it.value() == u"inlineStr", qPrintable(it.value()));
    // Columns are fitted to their longest text.
    QVERIFY(contents.widths.value(1) >= QStringLiteral("Grüße \U0001D11E & <b>").size() - 1);
    QVERIFY(contents.widths.value(2) >= QStringLiteral("100000000000000000001").size());

    // Every export is a new workbook in a new file.
    exportResultsToSpreadsheet(
        list, dialogs, pointer, sheet, [] { return true; }, [] { return true; });
    QCOMPARE(desktop.openedDocuments.size(), 2);
    QVERIFY(desktop.openedDocuments[1] != path);
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(QFileInfo::exists(desktop.openedDocuments[1]));
}

void TestSpreadsheetExport::workbookFailures()
{
    QTemporaryDir folder;
    {
        RecordingDesktop desktop;
        XlsxSpreadsheet sheet(desktop, folder.filePath(QStringLiteral("missing")));
        QVERIFY_THROWS_EXCEPTION(Failure, sheet.newWorkbook());
        QVERIFY_THROWS_EXCEPTION(Failure, sheet.setCellText(1, 1, QStringLiteral("a")));
        QVERIFY_THROWS_EXCEPTION(Failure, sheet.show());
    }
    {
        RefusingDesktop desktop;
        XlsxSpreadsheet sheet(desktop, folder.path());
        sheet.newWorkbook();
        QVERIFY_THROWS_EXCEPTION(Failure, sheet.setCellText(0, 1, QStringLiteral("a")));
        QVERIFY_THROWS_EXCEPTION(Failure,
                                 sheet.setCellText(kSheetRows + 1, 1, QStringLiteral("a")));
        sheet.setCellText(2, 2, QStringLiteral("b"));
        sheet.setCellText(2, 1, QStringLiteral("a"));
        QVERIFY_THROWS_EXCEPTION(Failure, sheet.setCellText(1, 1, QStringLiteral("too late")));
        sheet.setCellText(kSheetRows, 1, QStringLiteral("last row"));
        QVERIFY_THROWS_EXCEPTION(Failure, sheet.show()); // nothing opened it
        QCOMPARE(desktop.openedDocuments, QStringList{sheet.path()});
        QString error;
        const SheetContents contents = readFirstSheet(sheet.path(), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QMap<QPair<int, int>, QString> expected{
            {{2, 1}, "a"}, {{2, 2}, "b"}, {{kSheetRows, 1}, "last row"}};
        QCOMPARE(contents.cells, expected);
    }
    {
        // A workbook dropped before it is shown leaves no file behind.
        RecordingDesktop desktop;
        QTemporaryDir empty;
        {
            XlsxSpreadsheet sheet(desktop, empty.path());
            sheet.newWorkbook();
            sheet.setCellText(1, 1, QStringLiteral("a"));
            sheet.newWorkbook();
        }
        QVERIFY(QDir(empty.path()).isEmpty());
    }
}

TV_TEST_MAIN(TestSpreadsheetExport, QCoreApplication)
#include "test_spreadsheetexport.moc"
