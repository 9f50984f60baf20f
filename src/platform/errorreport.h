#pragma once
// The "Application Error" report: its text, where it is shown, and the locations the guarded
// procedures outside the window's own commands name in it.
#include <QString>

namespace tv {

// Where a guarded procedure's reports say they arose.
struct ReportLocation {
    QString module;
    QString procedure;
};

// The guarded procedures that are not commands of the window (those are in windowcontrols.h).
namespace location {
ReportLocation alignedResults(); // Main.SaveListviewProperlySpaced: the aligned results text
ReportLocation fetchPage();      // Sorting.fetchUrl: a page fetched for a count
ReportLocation bodyText();       // Sorting.removeTags: the text between a page's body tags
ReportLocation textMethod();     // Sorting.SortingText: the text method
ReportLocation databaseMethod(); // Sorting.SortingDB: the database method
} // namespace location

// Where reports go: the window's message box, standard error, or a recorder in tests.
class ReportSink {
public:
    virtual ~ReportSink() = default;
    virtual void showErrorReport(const QString& text) = 0;
};

// nullptr sends reports to standard error. Returns the sink that was installed before.
ReportSink* setReportSink(ReportSink* sink);

QString supportAddress();
// "in Corvantis2021/08/31.<module>.<procedure> "
QString locationText(const ReportLocation& location);
// The report box text: description, CR LF, location, "at line ", label, CR CR, the request.
QString errorReportText(const QString& description, const ReportLocation& location, int line);
// Shows a report through the installed sink.
void showErrorReport(const QString& text);
// How many reports have been shown since the program started.
quint64 reportsShown();

} // namespace tv
