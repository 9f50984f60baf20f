#include "guard.h"

#include <QTextStream>
#include <cstdio>
#include <new>

namespace tv {

namespace {
ReportSink* g_sink = nullptr;
}

Failure::Failure(const QString& description)
    : std::runtime_error(description.toStdString()), m_description(description)
{
}

ReportSink* setReportSink(ReportSink* sink)
{
    ReportSink* previous = g_sink;
    g_sink = sink;
    return previous;
}

QString supportAddress()
{
    return QStringLiteral("support@quenrith.com");
}

QString locationText(const QString& module, const QString& procedure)
{
    return QStringLiteral("in Corvantis2021/08/31.") + module + u'.' + procedure + u' ';
}

QString errorReportText(const QString& description, const QString& location, int line)
{
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") +
           QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") + supportAddress();
}

QString describeException(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Failure& failure) {
        return failure.description();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown failure");
    }
}

void showErrorReport(const QString& text)
{
    if (g_sink) {
        g_sink->showErrorReport(text);
        return;
    }
    QTextStream err(stderr);
    err << "Application Error: " << QString(text).replace(u'\r', u'\n') << '\n';
}

Guard::Guard(const QString& module, const QString& procedure)
    : m_location(locationText(module, procedure))
{
}

void Guard::report(int line, std::exception_ptr error) const
{
    showErrorReport(errorReportText(describeException(error), m_location, line));
}

} // namespace tv
