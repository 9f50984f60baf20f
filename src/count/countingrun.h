#pragma once
// "Start Counting": the site list through the chosen engine into the results list.
#include <QString>

namespace tv {

class CountingView;
class Dialogs;
class PageSource;

// The engine choice as the window holds it.
struct EngineChoice {
    bool databaseMethod = false; // Option3, "MS Access Method (faster)"
    bool textMethod = false;     // Option4, "Regular Text Method (slower)"
    bool providerAvailable = false;
    QString databasePath; // the working database
};

// The body of the "Start Counting" command. Does nothing while the view shows the busy mark;
// shows "No files added." on an empty site list; otherwise marks the window busy, runs the
// database method (or the text method in its place when the provider is missing) or the text
// method, resets pointer and progress, shows "Done." and enables the results list. Failures
// are reported through the error report of "Form1.PushButton12_Click"; nothing is thrown.
void startCounting(CountingView& view, Dialogs& dialogs, PageSource& pages,
                   const EngineChoice& choice);

} // namespace tv
