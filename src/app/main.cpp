// The window program: loads the main window and hands control to the event loop.
#include "app/form1.h"
#include "app/widgetdesktop.h"
#include "app/widgetdialogs.h"
#include "platform/files.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quenrith"));
    QApplication::setApplicationName(QStringLiteral("Tallyvane"));
    QApplication::setApplicationVersion(QStringLiteral(TV_VERSION));

    tv::WidgetDialogs dialogs;
    tv::WidgetDesktop desktop;
    tv::setReportSink(&dialogs);

    tv::Form1Services services;
    services.dialogs = &dialogs;
    services.desktop = &desktop;
    services.programFolder = tv::programFolder();
    tv::Form1 form(services);
    dialogs.setOwner(&form);
    form.Form_Load();
    form.show();
    const int status = app.exec();
    tv::setReportSink(nullptr);
    return status;
}
