#pragma once
// The window program's command line: its options, the texts it prints instead of opening a
// window, and the site-list files it is given.
#include <QString>
#include <QStringList>
#include <optional>

class QCoreApplication;

namespace tv {

struct WindowCommandLine {
    QString screenshotFile; // "" unless --screenshot was given
    QStringList siteFiles;  // loaded into the site list once the window shows
    bool maximized = false; // --maximized: the window opens maximized
};

// Answers --help and --version before any window system is started, so they work without a
// display. Returns the exit status when the program is done, nothing when a window is wanted.
std::optional<int> answerWithoutWindow(int argc, char** argv);
// Reads the running application's command line; a mistake is shown and ends the program, as
// Qt's parser does.
WindowCommandLine readWindowCommandLine(const QCoreApplication& app);
// "tallyvane VERSION" and a line feed.
QString windowVersionText();

} // namespace tv
