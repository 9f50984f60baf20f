#pragma once
// The guarded procedures' error handling: each labelled statement runs through a Guard, which
// shows a failure in the "Application Error" report and lets the procedure go on after it.
#include "platform/errorreport.h"
#include "platform/failure.h"

#include <QSet>
#include <QString>
#include <exception>

namespace tv {

class Guard {
public:
    explicit Guard(const ReportLocation& location);

    // A simple statement: a failure is reported and control goes on after it.
    template <class F> void run(int line, F&& statement)
    {
        try {
            statement();
        } catch (...) {
            report(line, std::current_exception());
        }
    }

    // A statement with a value: on failure the report is shown and `fallback` comes back.
    template <class T, class F> T value(int line, T fallback, F&& expression)
    {
        try {
            return expression();
        } catch (...) {
            report(line, std::current_exception());
            return fallback;
        }
    }

    // The test of a conditional: a failing test enters the first branch.
    template <class F> bool test(int line, F&& condition)
    {
        try {
            return bool(condition());
        } catch (...) {
            report(line, std::current_exception());
            return true;
        }
    }

    // The test of a loop: the first failure enters the body; a repeat failure of the same test
    // ends the loop without a further report, so a broken test cannot report forever.
    template <class F> bool loopTest(int line, F&& condition)
    {
        try {
            const bool result = bool(condition());
            m_failedLoopTests.remove(line);
            return result;
        } catch (...) {
            if (m_failedLoopTests.contains(line))
                return false;
            m_failedLoopTests.insert(line);
            report(line, std::current_exception());
            return true;
        }
    }

    // Reports a failure the statement at `line` was told of rather than caught.
    void report(int line, const QString& description) const;
    void report(int line, std::exception_ptr error) const;

private:
    ReportLocation m_location;
    QSet<int> m_failedLoopTests;
};

// Runs an event handler that has no report of its own, so that a failure is still shown (at
// line 0 of the handler's location) and never escapes into the event loop.
template <class F> void runUnguarded(const ReportLocation& location, F&& handler)
{
    try {
        handler();
    } catch (...) {
        showErrorReport(errorReportText(describeException(std::current_exception()), location, 0));
    }
}

} // namespace tv
