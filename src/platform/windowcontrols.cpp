#include "platform/windowcontrols.h"

namespace tv {

ReportLocation windowLocation(const char* procedure)
{
    return {QString::fromLatin1(control::mainWindow.name), QString::fromLatin1(procedure)};
}

ReportLocation eventLocation(const WindowControl& control, const char* event)
{
    return {QString::fromLatin1(control::mainWindow.name),
            QString::fromLatin1(control.name) + u'_' + QString::fromLatin1(event)};
}

QString labelOf(const WindowControl& control)
{
    QString label = QString::fromLatin1(control.caption);
    const qsizetype at = control.accessKey ? label.indexOf(QLatin1Char(control.accessKey)) : -1;
    if (at >= 0)
        label.insert(at, u'&');
    return label;
}

ReportLocation clickLocation(const WindowControl& control)
{
    return eventLocation(control, "Click");
}

ReportLocation windowLoadLocation()
{
    return windowLocation("Form_Load");
}

} // namespace tv
