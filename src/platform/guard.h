#pragma once
// The common error report: a guarded procedure runs each labelled statement through a Guard,
// which shows any failure in the "Application Error" report and lets the procedure go on.
#include <QSet>
#include <QString>
#include <exception>
#include <stdexcept>

namespace tv {

// A failure raised by the program or a platform wrapper; its description is what the report shows.
class Failure : public std::runtime_error {
public:
    explicit Failure(const QString& description);
    QString description() const { return m_description; }

private:
    QString m_description;
};

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
QString locationText(const QString& module, const QString& procedure);
// The report box text: description, CR LF, location, "at line ", label, CR CR, the request.
QString errorReportText(const QString& description, const QString& location, int line);
// The readable description of a caught exception.
QString describeException(std::exception_ptr error);
// Shows a report through the installed sink.
void showErrorReport(const QString& text);

class Guard {
public:
    Guard(const QString& module, const QString& procedure);

    QString location() const { return m_location; }

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

    void report(int line, std::exception_ptr error) const;

private:
    QString m_location;
    QSet<int> m_failedLoopTests;
};

// Runs an event handler that has no report of its own, so that a failure is still shown and
// never escapes into the event loop.
template <class F> void runUnguarded(const QString& module, const QString& procedure, F&& handler)
{
    try {
        handler();
    } catch (...) {
        showErrorReport(errorReportText(describeException(std::current_exception()),
                                        locationText(module, procedure), 0));
    }
}

} // namespace tv
