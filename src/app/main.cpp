// The window program: loads the main window and hands control to the event loop.
#include "app/mainwindow.h"
#include "app/widgetdesktop.h"
#include "app/widgetdialogs.h"
#include "platform/folders.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quenrith"));
    QApplication::setApplicationName(QStringLiteral("Tallyvane"));
    QApplication::setApplicationVersion(QStringLiteral(TV_VERSION));

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the window to <file> once it shows, then quit."),
        QStringLiteral("file"));
    parser.addOption(screenshot);
    parser.process(app);

    tv::WidgetDialogs dialogs;
    tv::WidgetDesktop desktop;
    tv::setReportSink(&dialogs);

    tv::MainWindowServices services;
    services.dialogs = &dialogs;
    services.desktop = &desktop;
    services.programFolder = tv::programFolder();
    tv::MainWindow window(services);
    dialogs.setOwner(&window);
    window.load();
    window.show();

    int status = 0;
    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(500, &window, [&] {
            status = window.grab().save(file) ? 0 : 1;
            QApplication::quit();
        });
    }
    const int loopStatus = app.exec();
    tv::setReportSink(nullptr);
    return status != 0 ? status : loopStatus;
}
