#include "platform/errorreport.h"

#include <QTextStream>

namespace tv {

namespace {
ReportSink* g_sink = nullptr;
quint64 g_shown = 0;
} // namespace

namespace location {

ReportLocation alignedResults()
{
    return {QStringLiteral("Main"), QStringLiteral("SaveListviewProperlySpaced")};
}

ReportLocation fetchPage()
{
    return {QStringLiteral("Sorting"), QStringLiteral("fetchUrl")};
}

ReportLocation bodyText()
{
    return {QStringLiteral("Sorting"), QStringLiteral("removeTags")};
}

ReportLocation textMethod()
{
    return {QStringLiteral("Sorting"), QStringLiteral("SortingText")};
}

ReportLocation databaseMethod()
{
    return {QStringLiteral("Sorting"), QStringLiteral("SortingDB")};
}

} // namespace location

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

QString locationText(const ReportLocation& location)
{
    return QStringLiteral("in Corvantis2021/08/31.") + location.module + u'.' + location.procedure +
           u' ';
}

QString errorReportText(const QString& description, const ReportLocation& location, int line)
{
    return description + QStringLiteral("\r\n") + locationText(location) +
           QStringLiteral("at line ") + QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") + supportAddress();
}

void showErrorReport(const QString& text)
{
    ++g_shown;
    if (g_sink) {
        g_sink->showErrorReport(text);
        return;
    }
    QTextStream err(stderr);
    err << "Application Error: " << QString(text).replace(u'\r', u'\n') << '\n';
}

quint64 reportsShown()
{
    return g_shown;
}

} // namespace tv
