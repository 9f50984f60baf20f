// The window program: loads the main window and hands control to the event loop.
#include "app/aboutbox.h"
#include "app/addpagescommands.h"
#include "app/mainwindow.h"
#include "app/widgetdesktop.h"
#include "app/widgetdialogs.h"
#include "app/windowcommandline.h"
#include "platform/datafolder.h"

#include <QAction>
#include <QApplication>
#include <QPixmap>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication::setOrganizationName(QStringLiteral("Quenrith"));
    QApplication::setApplicationName(QStringLiteral("Tallyvane"));
    QApplication::setApplicationVersion(QStringLiteral(TV_VERSION));
    if (const std::optional<int> status = tv::answerWithoutWindow(argc, argv))
        return *status;

    QApplication app(argc, argv);
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.quenrith.tallyvane"));
    const tv::WindowCommandLine line = tv::readWindowCommandLine(app);

    tv::WidgetDialogs dialogs;
    tv::WidgetDesktop desktop;
    tv::setReportSink(&dialogs);

    tv::MainWindowServices services;
    services.dialogs = &dialogs;
    services.desktop = &desktop;
    services.programFolder = tv::programDataFolder();
    services.rememberFrame = line.screenshotFile.isEmpty();
    tv::MainWindow window(services);
    dialogs.setOwner(&window);
    tv::addPagesCommands(window);
    tv::addAboutCommand(window, dialogs);
    if (auto* about = window.findChild<QAction*>(QStringLiteral("aboutAction")))
        window.addHelpCommand(about);
    window.load();
    if (line.maximized)
        window.showMaximizedOnScreen();
    else
        window.show();
    if (!line.siteFiles.isEmpty())
        QTimer::singleShot(0, &window, [&] { window.openSiteFiles(line.siteFiles); });

    int status = 0;
    if (!line.screenshotFile.isEmpty()) {
        QTimer::singleShot(500, &window, [&] {
            status = window.grab().save(line.screenshotFile) ? 0 : 1;
            QApplication::quit();
        });
    }
    const int loopStatus = app.exec();
    tv::setReportSink(nullptr);
    return status != 0 ? status : loopStatus;
}
