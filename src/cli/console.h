#pragma once
// Standard error of the command line: messages, a status line that is redrawn in place while
// standard error is a terminal, and the error reports of the logic. Control characters in the
// texts (a server's or a page's) are shown escaped.
#include "platform/errorreport.h"

#include <QString>
#include <cstdio>

namespace tv {

class Console {
public:
    // `showStatus`: whether the status line is drawn at all (a terminal, and not --quiet).
    explicit Console(bool showStatus, FILE* stream = stderr);
    ~Console();

    // A line of its own, prefixed with the program name; the status line is cleared first.
    void message(const QString& text);
    // A line as it stands, without the program name.
    void plain(const QString& text);
    // Replaces the status line.
    void status(const QString& text);
    void clearStatus();

    // Whether this standard error is a terminal.
    static bool isTerminal(FILE* stream);

private:
    void write(const QByteArray& bytes);

    bool m_showStatus;
    FILE* m_stream;
    bool m_statusShown = false;
};

// Shows each error report of the logic as one message: its description and where it arose.
class ConsoleReports : public ReportSink {
public:
    explicit ConsoleReports(Console& console);
    ~ConsoleReports() override;
    ConsoleReports(const ConsoleReports&) = delete;
    ConsoleReports& operator=(const ConsoleReports&) = delete;

    void showErrorReport(const QString& text) override;

private:
    Console& m_console;
    ReportSink* m_previous;
};

// The report text in one line: "description (in ...procedure at line N)". A text that is not
// laid out as a report comes back with its line breaks made single.
QString reportLine(const QString& reportText);

} // namespace tv
