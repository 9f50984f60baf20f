#include "platform/guard.h"

namespace tv {

Guard::Guard(const ReportLocation& location) : m_location(location) {}

void Guard::report(int line, const QString& description) const
{
    showErrorReport(errorReportText(description, m_location, line));
}

void Guard::report(int line, std::exception_ptr error) const
{
    report(line, describeException(error));
}

} // namespace tv
